// The two readers of the case file: the window's loader, which keeps the texts, and the run's
// reader, which checks every number.

#include "case_file.h"

#include "common/gbk.h"
#include "common/read_file.h"
#include "text_convert.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace m4 {
namespace {

/// No legal case comes near this size (bytes); larger files are refused unread.
constexpr qint64 kMaxCaseBytes = 64 * 1024 * 1024;

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

/// Skipped before an item; a tab is part of the item.
bool isBlank(char c) {
    return c == ' ';
}
/// Taken off the ends of an item's text in a message.
bool isBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}
/// Digits of a decimal read without from_chars: 10^15 is below 2^53, so every such decimal
/// without its point is an exact double.
constexpr int kPlainDigits = 15;
/// 10^0 .. 10^15, each exact in a double.
constexpr std::array<double, kPlainDigits + 1> kPowersOfTen{
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

/// Where an unquoted item ends.
bool endsItem(char c) {
    return c == ',' || isLineEnd(c);
}

Failure failureAt(Fault fault, const QString& file, int line, const QString& text = {}) {
    return Failure{fault, file, line, text};
}

/// The text of an item's bytes, which the whole file's check has found to be GBK.
QString textOf(std::string_view bytes) {
    const QByteArray raw =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return decodeGbk(raw).value_or(QString());
}

/// An item's text for a message, without the blanks around it.
QString shownText(std::string_view bytes) {
    while (!bytes.empty() && isBlankOrTab(bytes.front())) bytes.remove_prefix(1);
    while (!bytes.empty() && isBlankOrTab(bytes.back())) bytes.remove_suffix(1);
    return textOf(bytes);
}

QString shownText(QStringView text) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!text.isEmpty() && blank(text.front())) text = text.sliced(1);
    while (!text.isEmpty() && blank(text.back())) text.chop(1);
    return text.toString();
}

/// A count item refused with its field's name.
Failure countFailure(Fault fault, const QString& file, int line, int field, const QString& text) {
    Failure failure = failureAt(fault, file, line, text);
    failure.datum = fieldInfo(field).name;
    return failure;
}

struct Item {
    std::string_view bytes;
    int line = 0; ///< 1-based line of the case file
};

/// Line ends in bytes, CR LF counted once.
int lineEndsIn(std::string_view bytes) {
    int n = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++n;
    return n;
}

/// Walks the items of a case file's bytes. Commas and line ends (CR LF, LF or CR) end an item;
/// blanks before an item are skipped, tabs are not. An item that begins with a double quote
/// runs to the next double quote, across line ends, and whatever follows that quote up to the
/// next comma or line end is dropped; a quote never closed leaves the item unfinished. The
/// second byte of a GBK character is never a comma, a quote, a blank or a line end, so the
/// items are found on the bytes themselves.
class ItemReader {
  public:
    explicit ItemReader(std::string_view bytes) : bytes_(bytes) {}

    std::optional<Item> next() {
        const std::size_t size = bytes_.size();
        if (pos_ >= size && !afterComma_) return std::nullopt;
        afterComma_ = false;
        while (pos_ < size && isBlank(bytes_[pos_])) ++pos_;
        Item item{{}, line_};
        if (pos_ < size && bytes_[pos_] == '"') {
            const std::size_t start = pos_ + 1;
            const std::size_t end = bytes_.find('"', start);
            if (end == std::string_view::npos) {
                pos_ = size;
                unclosedQuoteLine_ = line_;
                return std::nullopt;
            }
            item.bytes = bytes_.substr(start, end - start);
            line_ += lineEndsIn(item.bytes);
            pos_ = end + 1;
            while (pos_ < size && !endsItem(bytes_[pos_])) ++pos_;
        } else {
            const std::size_t start = pos_;
            while (pos_ < size && !endsItem(bytes_[pos_])) ++pos_;
            item.bytes = bytes_.substr(start, pos_ - start);
        }
        last_ = item.bytes;
        passEnd();
        return item;
    }

    /// The next item when it is a plain decimal of at most 15 digits ("-12.50", "7", ".5"),
    /// read at once; nullopt, with nothing read, for any other item. Such a decimal and the
    /// power of ten that scales it are both exact doubles, so the one division gives the
    /// correctly rounded value, the same that reading the item's text gives.
    std::optional<double> nextPlainNumber() {
        const std::size_t size = bytes_.size();
        std::size_t p = pos_;
        while (p < size && isBlank(bytes_[p])) ++p;
        const std::size_t start = p;
        const bool negative = p < size && bytes_[p] == '-';
        if (negative) ++p;
        std::uint64_t digits = 0;
        int count = 0;
        int decimals = 0;
        bool point = false;
        for (; p < size; ++p) {
            const char c = bytes_[p];
            if (c >= '0' && c <= '9') {
                if (++count > kPlainDigits) return std::nullopt;
                digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
                decimals += point ? 1 : 0;
            } else if (c == '.' && !point) {
                point = true;
            } else {
                break;
            }
        }
        if (count == 0 || (p < size && !endsItem(bytes_[p]))) return std::nullopt;
        const double magnitude =
            static_cast<double>(digits) / kPowersOfTen[static_cast<std::size_t>(decimals)];
        pos_ = p;
        afterComma_ = false;
        last_ = bytes_.substr(start, p - start);
        passEnd();
        return negative ? -magnitude : magnitude;
    }

    /// Where the items ran out: the line of a quote never closed, otherwise the last line of
    /// the file (a final line end does not start another line).
    int endLine() const {
        if (unclosedQuoteLine_) return *unclosedQuoteLine_;
        const bool endsWithLineEnd = !bytes_.empty() && isLineEnd(bytes_.back());
        return std::max(1, endsWithLineEnd ? line_ - 1 : line_);
    }

    /// A comma or a line end followed the last item read. The writer ends every file with a
    /// line end, so a last item without one is where a cut file ends.
    bool lastItemEnded() const { return lastEnded_; }
    std::string_view last() const { return last_; }

  private:
    /// Steps over the comma or the line end after an item, if there is one.
    void passEnd() {
        lastEnded_ = pos_ < bytes_.size();
        if (!lastEnded_) return;
        if (bytes_[pos_] == ',') {
            afterComma_ = true;
            ++pos_;
            return;
        }
        const bool crlf =
            bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n';
        pos_ += crlf ? 2 : 1;
        ++line_;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool afterComma_ = false; ///< a comma was read, so one more item follows on its line
    bool lastEnded_ = true;
    std::string_view last_; ///< the last item read
    std::optional<int> unclosedQuoteLine_;
};

/// The fault of a count above its table's largest: tunnels, spillways and J have their own.
Fault tooLargeFault(int field) {
    switch (field) {
    case kFieldG0:
        return Fault::TunnelsAbove10;
    case kFieldH0:
        return Fault::SpillwaysAbove10;
    case kFieldJ:
        return Fault::JTooLarge;
    default:
        return Fault::CountTooLarge;
    }
}

/// Items of one case file with the failures of reading them; the first failure stops it.
class CaseItems {
  public:
    CaseItems(std::string_view bytes, const QString& file) : reader_(bytes), file_(file) {}

    bool next(Item& item) {
        if (auto read = reader_.next()) {
            item = *read;
            return true;
        }
        return fail(failureAt(Fault::TooFewItems, file_, reader_.endLine()));
    }

    /// After the last item the case calls for: refused when the file ends right after it.
    bool finish() {
        if (reader_.lastItemEnded()) return true;
        return fail(
            failureAt(Fault::LastItemUnended, file_, reader_.endLine(), shownText(reader_.last())));
    }

    /// An item read as text.
    bool text(QString& value) {
        Item item;
        if (!next(item)) return false;
        value = textOf(item.bytes);
        return true;
    }

    /// An item the run reads as a number: a number in full, finite.
    bool number(double& value) {
        if (const std::optional<double> plain = reader_.nextPlainNumber()) {
            value = *plain;
            return true;
        }
        Item item;
        if (!next(item)) return false;
        return numberOf(item, value);
    }

    /// A count the run loops over: whole, from 0 up to its limit.
    bool count(int field, int& value) {
        Item item;
        double number = 0;
        if (!next(item) || !numberOf(item, number)) return false;
        if (std::optional<Failure> refused =
                refusedCount(field, number, shownText(item.bytes), file_, item.line))
            return fail(std::move(*refused));
        value = static_cast<int>(number);
        return true;
    }

    bool fail(Failure failure) {
        failure_ = std::move(failure);
        return false;
    }
    const Failure& failure() const { return failure_; }

  private:
    bool numberOf(const Item& item, double& value) {
        const auto number = itemNumber(item.bytes);
        if (!number)
            return fail(failureAt(Fault::NotANumber, file_, item.line, shownText(item.bytes)));
        if (!std::isfinite(*number))
            return fail(failureAt(Fault::NotFinite, file_, item.line, shownText(item.bytes)));
        value = *number;
        return true;
    }

    ItemReader reader_;
    QString file_;
    Failure failure_{Fault::TooFewItems};
};

/// Line of the byte at offset: line ends before it, CR LF counted once.
int lineOfByte(const QByteArray& bytes, qsizetype offset) {
    int line = 1;
    for (qsizetype i = 0; i < offset && i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            ++line;
        else if (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))
            ++line;
    }
    return line;
}

/// The bytes of a case file as items can be read from them: not too large, no byte-order mark,
/// not UTF-8 and GBK throughout.
Expected<std::string_view> caseBytes(const QByteArray& bytes, const QString& file) {
    if (bytes.size() > kMaxCaseBytes) return failureAt(Fault::FileTooLarge, file, 0);
    if (bytes.startsWith(kUtf8Bom)) return failureAt(Fault::Utf8Bom, file, 1);
    if (const std::optional<qsizetype> at = utf8MultiByteStart(bytes))
        return failureAt(Fault::Utf8Bom, file, lineOfByte(bytes, *at));
    if (const std::optional<qsizetype> bad = firstNonGbkByte(bytes)) {
        Failure failure = failureAt(Fault::NotGbk, file, lineOfByte(bytes, *bad));
        failure.number = static_cast<int>(*bad + 1);
        return failure;
    }
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

Expected<QByteArray> readCaseBytes(const QString& path) {
    Expected<QByteArray> bytes = readRegularFile(Fault::FileUnreadable, path, kMaxCaseBytes);
    if (bytes) return bytes;
    const Failure& failure = bytes.failure();
    if (failure.cause == FileCause::TooLarge) return failureAt(Fault::FileTooLarge, path, 0);
    if (failure.cause == FileCause::AccessFailed && failure.error == ENOENT)
        return failureAt(Fault::FileMissing, path, 0);
    return bytes;
}

template <class Row, std::size_t N>
bool readRows(CaseItems& items, int count, std::vector<Row>& rows,
              const std::array<double Row::*, N>& columns) {
    rows.assign(static_cast<std::size_t>(count), Row{});
    for (Row& row : rows)
        for (double Row::*column : columns)
            if (!items.number(row.*column)) return false;
    return true;
}

constexpr std::array<double CaseData::*, 5> kRoutingParameters{
    &CaseData::ZM, &CaseData::Z0, &CaseData::Q0, &CaseData::W, &CaseData::QA};

/// The rows a count text gives the window, or the failure naming the count.
Expected<int> windowRows(int table, const QString& countText, int line, const QString& file) {
    const auto rows = rowsFromCount(table, countText);
    if (rows && *rows >= 0) return *rows;
    const bool negative = rows || numericValue(countText) < 0;
    const Fault tooLarge = table == kHydrographTable ? Fault::JTooLarge : Fault::CountTooLarge;
    return countFailure(negative ? Fault::CountNotWhole : tooLarge, file, line, countFieldOf(table),
                        shownText(countText));
}

/// The cells of one table as the loader normalises them.
bool loadCells(CaseItems& items, TableText& table, const QString& file) {
    Item item;
    for (auto& row : table) {
        for (QString& cell : row) {
            if (!items.next(item)) return false;
            auto cellText = itemCellText(textOf(item.bytes));
            // An overflowing number has no cell text that would read back as itself.
            if (!cellText)
                return items.fail(
                    failureAt(Fault::NotFinite, file, item.line, shownText(item.bytes)));
            cell = std::move(*cellText);
        }
    }
    return true;
}

} // namespace

Expected<CaseText> loadCaseText(const QString& path) {
    return orOutOfMemory(Fault::FileUnreadable, path, FileCause::ReadFailed,
                         [&]() -> Expected<CaseText> {
                             auto bytes = readCaseBytes(path);
                             if (!bytes) return bytes.failure();
                             return parseCaseText(*bytes, path);
                         });
}

Expected<CaseData> readCaseData(const QString& path) {
    auto bytes = readCaseBytes(path);
    if (!bytes) return bytes.failure();
    return parseCaseData(*bytes, path);
}

std::optional<Failure> refusedCount(int field, double value, const QString& text,
                                    const QString& file, int line) {
    if (value < 0 || value != std::floor(value))
        return countFailure(Fault::CountNotWhole, file, line, field, text);
    if (value > largestCount(tableOfCountField(field)))
        return countFailure(tooLargeFault(field), file, line, field, text);
    return std::nullopt;
}

Expected<QByteArray> readCaseFileBytes(const QString& path) {
    return readCaseBytes(path);
}

Expected<QString> decodeCaseFile(const QByteArray& bytes, const QString& file) {
    const Expected<std::string_view> checked = caseBytes(bytes, file);
    if (!checked) return checked.failure();
    return textOf(*checked);
}

Expected<CaseText> parseCaseText(const QByteArray& bytes, const QString& file) {
    const Expected<std::string_view> checked = caseBytes(bytes, file);
    if (!checked) return checked.failure();
    CaseItems items(*checked, file);
    CaseText text;
    std::array<int, kFieldCount> fieldLines{};
    Item item;
    for (int s = 0; s < kSectionCount; ++s) {
        const SectionInfo& section = sectionInfo(s);
        for (int f = section.firstField; f <= section.lastField; ++f) {
            if (!items.next(item)) return items.failure();
            text.fields[static_cast<std::size_t>(f)] = textOf(item.bytes);
            fieldLines[static_cast<std::size_t>(f)] = item.line;
        }
        const int field = countFieldOf(section.table);
        const auto rows = windowRows(section.table, text.fields[static_cast<std::size_t>(field)],
                                     fieldLines[static_cast<std::size_t>(field)], file);
        if (!rows) return rows.failure();
        text.resizeTable(section.table, *rows);
        if (!loadCells(items, text.tables[static_cast<std::size_t>(section.table)], file))
            return items.failure();
    }
    if (!items.finish()) return items.failure();
    return text;
}

Expected<CaseData> parseCaseData(const QByteArray& bytes, const QString& file) {
    const Expected<std::string_view> checked = caseBytes(bytes, file);
    if (!checked) return checked.failure();
    CaseItems items(*checked, file);
    CaseData data;
    int count = 0;

    if (!items.text(data.projectName) || !items.text(data.frequency)) return items.failure();
    if (!items.count(kFieldK, count) || !readRows(items, count, data.curve, kCurveColumns))
        return items.failure();

    if (!items.count(kFieldJ, count) || !items.number(data.T)) return items.failure();
    data.QL.assign(static_cast<std::size_t>(count) + 1, 0.0);
    for (double& q : data.QL)
        if (!items.number(q)) return items.failure();

    for (double CaseData::*parameter : kRoutingParameters)
        if (!items.number(data.*parameter)) return items.failure();

    if (!items.count(kFieldG0, count) || !readRows(items, count, data.tunnels, kTunnelColumns) ||
        !items.count(kFieldH0, count) ||
        !readRows(items, count, data.spillways, kSpillwayColumns) ||
        !items.count(kFieldKK1, count) || !readRows(items, count, data.orifices, kOrificeColumns) ||
        !items.count(kFieldKK0, count) ||
        !readRows(items, count, data.variableSpillways, kVariableSpillwayColumns) ||
        !items.count(kFieldKK2, count) ||
        !readRows(items, count, data.dischargeTable, kDischargeColumns) || !items.finish())
        return items.failure();
    return data;
}

} // namespace m4
