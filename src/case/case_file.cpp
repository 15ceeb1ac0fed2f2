// The writer of the case file and the checks a case passes before it is written.

#include "case_file.h"

#include "common/atomic_file.h"
#include "common/gbk.h"
#include "file_names.h"
#include "text_convert.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <cmath>

namespace m4 {
namespace {

constexpr QLatin1StringView kLineEnd("\r\n");

/// Skipped by the readers before an item.
bool isBlank(QChar c) {
    return c == u' ';
}
bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

Failure failureAt(Fault fault, const QString& file, int line, const QString& text = {}) {
    return Failure{fault, file, line, text};
}

bool isAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

bool isGbk(const QString& text) {
    return isAscii(text) || encodeGbk(text).has_value();
}

/// A text that would not come back as the same one item: a comma or line break splits it, a
/// leading quote (after blanks) makes the reader take it as quoted.
bool breaksItems(const QString& text) {
    for (QChar c : text)
        if (c == u',' || isLineEnd(c)) return true;
    for (QChar c : text) {
        if (isBlank(c)) continue;
        return c == u'"';
    }
    return false;
}

/// The first field or cell for which the test holds, as a problem of the given kind.
template <class Test>
std::optional<SaveProblem> firstText(const CaseText& text, SaveProblem::Kind kind, Test test) {
    for (int f = 0; f < kFieldCount; ++f)
        if (test(text.fields[static_cast<std::size_t>(f)])) return SaveProblem{kind, f};
    for (int d = 0; d < kTableCount; ++d) {
        const TableText& table = text.tables[static_cast<std::size_t>(d)];
        for (std::size_t r = 0; r < table.size(); ++r)
            for (std::size_t c = 0; c < table[r].size(); ++c)
                if (test(table[r][c]))
                    return SaveProblem{kind, -1, d, static_cast<int>(r), static_cast<int>(c)};
    }
    return std::nullopt;
}

} // namespace

std::optional<SaveProblem> checkForSave(const CaseText& text) {
    using Kind = SaveProblem::Kind;
    for (int f = 0; f <= kFieldG0; ++f)
        if (text.fields[static_cast<std::size_t>(f)].isEmpty())
            return SaveProblem{Kind::EmptyField, f};

    for (int d = 0; d < kTableCount; ++d) {
        const int field = countFieldOf(d);
        const auto count = itemNumber(text.fields[static_cast<std::size_t>(field)]);
        if (!count || !std::isfinite(*count) || *count != std::floor(*count) || *count < 0 ||
            *count > largestCount(d))
            return SaveProblem{Kind::CountInvalid, field, d};
        if (text.rows(d) != rowsOfCount(d, static_cast<int>(*count)))
            return SaveProblem{Kind::CountMismatch, field, d};
    }

    if (auto problem = firstText(text, Kind::BadText, breaksItems)) return problem;
    return firstText(text, Kind::NotEncodable, [](const QString& t) { return !isGbk(t); });
}

QString caseFileText(const CaseText& text) {
    qsizetype size = kLineEnd.size();
    for (const QString& field : text.fields) size += field.size() + kLineEnd.size();
    for (const TableText& table : text.tables)
        for (const auto& row : table) {
            size += static_cast<qsizetype>(row.size()) + kLineEnd.size();
            for (const QString& cell : row) size += cell.size();
        }

    QString out;
    out.reserve(size);
    for (int s = 0; s < kSectionCount; ++s) {
        const SectionInfo& section = sectionInfo(s);
        for (int f = section.firstField; f <= section.lastField; ++f) {
            out += text.fields[static_cast<std::size_t>(f)];
            out += kLineEnd;
        }
        // Always the table's own number of cells, so a short row cannot shift later items.
        const std::size_t columns = static_cast<std::size_t>(tableInfo(section.table).columns);
        for (const auto& row : text.tables[static_cast<std::size_t>(section.table)]) {
            for (std::size_t c = 0; c < columns; ++c) {
                if (c > 0) out += u',';
                if (c < row.size()) out += row[c];
            }
            out += kLineEnd;
        }
    }
    out += kLineEnd;
    return out;
}

std::optional<Failure> writeCaseFile(const QString& path, const CaseText& text) {
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return failureAt(Fault::FolderMissing, path, 0, info.absolutePath());
    if (info.fileName().contains(u'\\')) return failureAt(Fault::NameHasSeparator, path, 0);

    return orOutOfMemory(
        Fault::CaseNotWritten, path, FileCause::WriteFailed, [&]() -> std::optional<Failure> {
            const QString content = caseFileText(text);
            qsizetype bad = 0;
            const auto bytes = encodeGbk(content, &bad);
            if (!bytes) {
                Failure failure =
                    failureAt(Fault::CaseNotWritten, path, 0, characterAt(content, bad));
                failure.cause = FileCause::NoGbkForm;
                return failure;
            }
            return replaceFile(Fault::CaseNotWritten, path, *bytes);
        });
}

std::optional<Failure> writeCaseFile(const QString& folder, const QString& name,
                                     const CaseText& text) {
    const QString path = joinPath(folder, name);
    if (hasFolderSeparator(name)) return failureAt(Fault::NameHasSeparator, path, 0);
    return writeCaseFile(path, text);
}

} // namespace m4
