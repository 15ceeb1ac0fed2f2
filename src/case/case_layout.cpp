#include "case_layout.h"

#include "case_file.h"
#include "text_convert.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace m4 {
namespace {

/// Lines of the tail that follows the hydrograph up to the first table row that is not one
/// number, by the number of values of that row: the six parameters ZM..G0 before a tunnel row
/// (8 values), then one count line more for every empty table passed.
constexpr std::array<std::pair<std::size_t, int>, 5> kTailBeforeRowOf{
    {{8, 6}, {3, 7}, {6, 8}, {5, 9}, {2, 10}}};
/// All five outlet counts stand between the hydrograph and the end when every outlet table is
/// empty.
constexpr int kTailBeforeEnd = 10;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString trimmedBlanks(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front())) text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back())) text.chop(1);
    return text.toString();
}

struct Line {
    int number; ///< 1-based
    std::vector<QStringView> items;
    bool empty() const { return items.size() == 1 && trimmedBlanks(items[0]).isEmpty(); }
};

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

/// Line ends in text, CR LF counted once.
int lineEndsIn(QStringView text) {
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
            ++n;
    return n;
}

/// The lines of a case file with their items as the readers take them. Lines end with CR LF,
/// LF or CR; a final line end starts no further line; an empty line is one empty item. Commas
/// end an item, blanks (not tabs) before an item are skipped, and a quoted item runs to the
/// next quote, across line ends, what follows the quote up to the comma being dropped: such a
/// line counts as one, numbered where it starts.
std::vector<Line> linesOf(QStringView text) {
    std::vector<Line> lines;
    const qsizetype size = text.size();
    const auto itemEnd = [&](qsizetype at) {
        while (at < size && text[at] != u',' && !isLineEnd(text[at])) ++at;
        return at;
    };
    qsizetype pos = 0;
    int number = 1;
    while (pos < size) {
        Line line{number, {}};
        while (true) {
            while (pos < size && text[pos] == u' ') ++pos;
            if (pos < size && text[pos] == u'"') {
                const qsizetype start = pos + 1;
                qsizetype end = text.indexOf(u'"', start);
                if (end < 0) end = size;
                line.items.push_back(text.sliced(start, end - start));
                number += lineEndsIn(line.items.back());
                pos = itemEnd(std::min(end + 1, size));
            } else {
                const qsizetype start = pos;
                pos = itemEnd(pos);
                line.items.push_back(text.sliced(start, pos - start));
            }
            if (pos >= size || text[pos] != u',') break;
            ++pos;
        }
        lines.push_back(std::move(line));
        if (pos < size)
            pos += (text[pos] == u'\r' && pos + 1 < size && text[pos + 1] == u'\n') ? 2 : 1;
        ++number;
    }
    return lines;
}

class Walk {
  public:
    Walk(QStringView text, const QString& file) : lines_(linesOf(text)), file_(file) {
        filled_ = lines_.size();
        while (filled_ > 0 && lines_[filled_ - 1].empty()) --filled_;
    }

    CaseLayout run() {
        for (int s = 0; s < kSectionCount; ++s) {
            const SectionInfo& section = sectionInfo(s);
            for (int f = section.firstField; f <= section.lastField; ++f)
                if (!field(f)) return std::move(out_);
            table(section.table);
        }
        out_.complete = true;
        const auto rest = std::find_if(lines_.begin() + static_cast<std::ptrdiff_t>(at_),
                                       lines_.end(), [](const Line& l) { return !l.empty(); });
        if (rest != lines_.end()) problem(Fault::TrailingLines, rest->number);
        return std::move(out_);
    }

  private:
    void problem(Failure failure) { out_.problems.push_back(std::move(failure)); }
    void problem(Fault fault, int line, const QString& text = {}) {
        problem(Failure{fault, file_, line, text});
    }
    /// A line holding other than the items wanted: a parameter's line, or a table's row (number:
    /// the row as shown).
    void itemsProblem(Fault fault, const Line& line, const char* place, std::size_t wanted,
                      int number = 0) {
        Failure failure{fault, file_, line.number};
        failure.place = place;
        failure.number = number;
        failure.wanted = static_cast<int>(wanted);
        failure.found = static_cast<int>(line.items.size());
        problem(std::move(failure));
    }

    double value(const Line& line, QStringView item) {
        const std::optional<double> number = itemNumber(item);
        if (!number) {
            problem(Fault::NotANumber, line.number, trimmedBlanks(item));
            return 0;
        }
        if (!std::isfinite(*number)) {
            problem(Fault::NotFinite, line.number, trimmedBlanks(item));
            return 0;
        }
        return *number;
    }

    bool field(int f) {
        if (at_ >= lines_.size()) {
            problem(Fault::TooFewItems, lines_.empty() ? 1 : lines_.back().number);
            return false;
        }
        const Line& line = lines_[at_++];
        out_.fieldLines[static_cast<std::size_t>(f)] = line.number;
        if (line.items.size() != 1) itemsProblem(Fault::FieldItems, line, fieldInfo(f).caption, 1);
        const FieldKind kind = fieldInfo(f).kind;
        if (kind == FieldKind::Text) return true;
        const double v = value(line, line.items[0]);
        out_.fields[static_cast<std::size_t>(f)] = v;
        if (kind == FieldKind::Count) countValid_[static_cast<std::size_t>(f)] = count(f, line, v);
        return true;
    }

    /// The count's own faults, as the run's reader names them.
    bool count(int f, const Line& line, double v) {
        std::optional<Failure> refused =
            refusedCount(f, v, trimmedBlanks(line.items[0]), file_, line.number);
        if (refused) problem(std::move(*refused));
        return !refused;
    }

    std::size_t itemsAt(std::size_t i) const { return lines_[i].items.size(); }

    /// Rows of a table of several columns: the lines with that many values; while the count
    /// asks for more, also rows with cells too many or too few: lines of two values or more,
    /// an empty line, and the last line of the file cut short. Any other line of one value is
    /// the next parameter.
    int tableRows(std::size_t columns, std::optional<int> wanted) const {
        int n = 0;
        for (std::size_t i = at_; i < lines_.size(); ++i, ++n) {
            const std::size_t k = itemsAt(i);
            if (k == columns) continue;
            const bool faultyRow =
                k >= 2 || i + 1 == filled_ || (lines_[i].empty() && i + 1 < filled_);
            if (!(faultyRow && wanted && n < *wanted)) break;
        }
        return n;
    }

    /// The count's rows of the hydrograph fit when the six parameters ZM..G0 follow them one a
    /// line and G0 agrees with the line after it (a row of values when G0 is not 0).
    bool hydrographFits(int rows) const {
        const std::size_t g0 = at_ + static_cast<std::size_t>(rows) + 5;
        if (g0 >= lines_.size()) return false;
        for (std::size_t i = at_; i <= g0; ++i)
            if (itemsAt(i) != 1) return false;
        const std::optional<double> tunnels = itemNumber(lines_[g0].items[0]);
        if (!tunnels || *tunnels < 0 || *tunnels > kMaxTunnels || *tunnels != std::floor(*tunnels))
            return false;
        if (g0 + 1 >= filled_) return *tunnels == 0;
        const Line& next = lines_[g0 + 1];
        return next.empty() || (*tunnels > 0) == (next.items.size() >= 2);
    }

    /// Rows of the hydrograph, one number a line like the parameters after it: the run of
    /// one-item lines less the lines that must follow it, which the first longer line tells.
    int hydrographRows(std::optional<int> wanted) const {
        if (wanted && hydrographFits(*wanted)) return *wanted;
        std::size_t end = at_;
        while (end < lines_.size() && itemsAt(end) == 1) ++end;
        const int run = static_cast<int>(end - at_);
        int most = 0;
        int emptyAtEnd = 0;
        if (end < lines_.size()) {
            const auto tail = std::find_if(kTailBeforeRowOf.begin(), kTailBeforeRowOf.end(),
                                           [&](const auto& t) { return t.first == itemsAt(end); });
            if (tail == kTailBeforeRowOf.end()) return wanted ? std::min(*wanted, run) : run;
            most = run - tail->second;
        } else {
            // Empty lines at the end may be empty counts or the file's closing empty lines.
            while (emptyAtEnd < run &&
                   lines_[end - 1 - static_cast<std::size_t>(emptyAtEnd)].empty())
                ++emptyAtEnd;
            most = run - kTailBeforeEnd;
        }
        const int fewest = most - emptyAtEnd;
        // Without a count to go by, the writer's one closing empty line is assumed.
        if (!wanted) return std::max(0, most - std::min(1, emptyAtEnd));
        // More rows wanted than the lines allow: the file ends early, not the hydrograph.
        if (*wanted > most) return std::min(*wanted, run);
        return std::max(*wanted, fewest);
    }

    void table(int d) {
        const TableInfo& info = tableInfo(d);
        const auto columns = static_cast<std::size_t>(info.columns);
        const auto countField = static_cast<std::size_t>(countFieldOf(d));
        std::optional<int> wanted;
        if (countValid_[countField])
            wanted = rowsOfCount(d, static_cast<int>(out_.fields[countField]));
        const int rows =
            d == kHydrographTable ? hydrographRows(wanted) : tableRows(columns, wanted);
        if (wanted && rows != *wanted) {
            Failure failure{Fault::RowsDisagree, file_, out_.fieldLines[countField]};
            failure.datum = fieldInfo(static_cast<int>(countField)).name;
            failure.place = info.pageCaption;
            failure.number = static_cast<int>(out_.fields[countField]);
            failure.wanted = *wanted;
            failure.found = rows;
            problem(std::move(failure));
        }
        auto& values = out_.rows[static_cast<std::size_t>(d)];
        auto& lines = out_.rowLines[static_cast<std::size_t>(d)];
        for (int r = 1; r <= rows; ++r) {
            const Line& line = lines_[at_++];
            if (line.items.size() != columns)
                itemsProblem(Fault::RowItems, line, info.pageCaption, columns,
                             rowNumberShown(d, r));
            std::vector<double> row(columns, 0.0);
            for (std::size_t c = 0; c < columns && c < line.items.size(); ++c)
                row[c] = value(line, line.items[c]);
            values.push_back(std::move(row));
            lines.push_back(line.number);
        }
    }

    std::vector<Line> lines_;
    QString file_;
    std::size_t at_ = 0;
    std::size_t filled_ = 0; ///< lines up to the last one that is not empty
    std::array<bool, kFieldCount> countValid_{};
    CaseLayout out_;
};

} // namespace

CaseLayout readCaseLayout(QStringView text, const QString& file) {
    return Walk(text, file).run();
}

} // namespace m4
