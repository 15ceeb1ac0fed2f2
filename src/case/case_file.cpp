#include "case_file.h"

#include "atomic_file.h"
#include "file_names.h"
#include "gbk.h"
#include "text_convert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cmath>

namespace m4 {
namespace {

/// No legal case comes near this size (bytes); larger files are refused unread.
constexpr qint64 kMaxCaseBytes = 64 * 1024 * 1024;
/// Bytes read from the disk at a time (bytes).
constexpr qint64 kReadChunk = 1024 * 1024;
/// The hydrograph holds J + 1 rows, so J may be one less than the row limit.
constexpr int kMaxJ = kMaxRows - 1;
constexpr int kFieldK = 2;
constexpr int kFieldJ = 3;
constexpr int kFieldG0 = 10;
constexpr int kFieldH0 = 11;
constexpr int kFieldKK1 = 12;
constexpr int kFieldKK0 = 13;
constexpr int kFieldKK2 = 14;
constexpr int kTunnelTable = 2;
constexpr int kSpillwayTable = 3;

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
constexpr QLatin1StringView kLineEnd("\r\n");

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

Failure failureAt(Fault fault, const QString& file, int line, const QString& detail = {}) {
    return Failure{fault, file, line, detail};
}

QString trimmedBlanks(QStringView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from])) ++from;
    while (to > from && isBlank(text[to - 1])) --to;
    return text.sliced(from, to - from).toString();
}

/// "G0=“2.5”": a count named in a message.
QString countDetail(int field, QStringView text) {
    return QString::fromUtf8(fieldInfo(field).name) + QStringLiteral("=“") + trimmedBlanks(text) +
           QStringLiteral("”");
}

struct Item {
    QStringView text;
    int line = 0; ///< 1-based line of the case file
};

/// Walks the items of a decoded case file. Commas and line ends (CR LF, LF or CR) end an item;
/// blanks before an item are skipped; a quoted item runs to the next quote on its line and
/// whatever follows it up to the next comma or line end is dropped.
class ItemReader {
  public:
    explicit ItemReader(QStringView text) : text_(text) {}

    std::optional<Item> next() {
        const qsizetype size = text_.size();
        if (pos_ >= size && !afterComma_) return std::nullopt;
        afterComma_ = false;
        while (pos_ < size && isBlank(text_[pos_])) ++pos_;
        Item item{{}, line_};
        if (pos_ < size && text_[pos_] == u'"') {
            const qsizetype start = pos_ + 1;
            qsizetype end = start;
            while (end < size && text_[end] != u'"' && !isLineEnd(text_[end])) ++end;
            item.text = text_.sliced(start, end - start);
            pos_ = end;
            while (pos_ < size && text_[pos_] != u',' && !isLineEnd(text_[pos_])) ++pos_;
        } else {
            const qsizetype start = pos_;
            while (pos_ < size && text_[pos_] != u',' && !isLineEnd(text_[pos_])) ++pos_;
            item.text = text_.sliced(start, pos_ - start);
        }
        if (pos_ < size) {
            if (text_[pos_] == u',') {
                afterComma_ = true;
                ++pos_;
            } else {
                const bool crlf =
                    text_[pos_] == u'\r' && pos_ + 1 < size && text_[pos_ + 1] == u'\n';
                pos_ += crlf ? 2 : 1;
                ++line_;
            }
        }
        return item;
    }

    /// The last line of the text (a final line end does not start another line).
    int endLine() const {
        const bool endsWithLineEnd = !text_.isEmpty() && isLineEnd(text_.back());
        return std::max(1, endsWithLineEnd ? line_ - 1 : line_);
    }

  private:
    QStringView text_;
    qsizetype pos_ = 0;
    int line_ = 1;
    bool afterComma_ = false; ///< a comma was read, so one more item follows on its line
};

/// Items of one case file with the failures of reading them; the first failure stops it.
class CaseItems {
  public:
    CaseItems(QStringView text, const QString& file) : reader_(text), file_(file) {}

    bool next(Item& item) {
        if (auto read = reader_.next()) {
            item = *read;
            return true;
        }
        return fail(failureAt(Fault::TooFewItems, file_, reader_.endLine()));
    }

    /// An item the run reads as a number: a number in full, finite.
    bool number(double& value) {
        Item item;
        if (!next(item)) return false;
        return numberOf(item, value);
    }

    /// A count the run loops over: whole, from 0 up to its limit.
    bool count(int field, int& value) {
        Item item;
        double number = 0;
        if (!next(item) || !numberOf(item, number)) return false;
        if (number < 0 || number != std::floor(number))
            return fail(
                failureAt(Fault::CountNotWhole, file_, item.line, countDetail(field, item.text)));
        if (field == kFieldG0 && number > kMaxTunnels)
            return fail(
                failureAt(Fault::TunnelsAbove10, file_, item.line, trimmedBlanks(item.text)));
        if (field == kFieldH0 && number > kMaxSpillways)
            return fail(
                failureAt(Fault::SpillwaysAbove10, file_, item.line, trimmedBlanks(item.text)));
        if (number > (field == kFieldJ ? kMaxJ : kMaxRows))
            return fail(failureAt(field == kFieldJ ? Fault::JTooLarge : Fault::CountTooLarge, file_,
                                  item.line, countDetail(field, item.text)));
        value = static_cast<int>(number);
        return true;
    }

    bool fail(Failure failure) {
        failure_ = std::move(failure);
        return false;
    }
    const Failure& failure() const { return failure_; }
    const QString& file() const { return file_; }

  private:
    bool numberOf(const Item& item, double& value) {
        const auto number = itemNumber(item.text);
        if (!number)
            return fail(failureAt(Fault::NotANumber, file_, item.line, trimmedBlanks(item.text)));
        if (!std::isfinite(*number))
            return fail(failureAt(Fault::NotFinite, file_, item.line, trimmedBlanks(item.text)));
        value = *number;
        return true;
    }

    ItemReader reader_;
    QString file_;
    Failure failure_{Fault::TooFewItems, {}, 0, {}};
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

/// Offset of the first byte of a multi-byte sequence when all the bytes are valid UTF-8 and
/// there is one; -1 otherwise. GBK Chinese text is practically never valid UTF-8, so such a
/// file was saved as UTF-8 and would be read as garbled names.
qsizetype utf8MultiByteStart(const QByteArray& bytes) {
    const auto first = std::find_if(bytes.begin(), bytes.end(),
                                    [](char b) { return static_cast<unsigned char>(b) >= 0x80; });
    if (first == bytes.end()) return -1;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    return utf8.hasError() ? -1 : first - bytes.begin();
}

Expected<QString> decodeCase(const QByteArray& bytes, const QString& file) {
    if (bytes.size() > kMaxCaseBytes) return failureAt(Fault::FileTooLarge, file, 0);
    if (bytes.startsWith(kUtf8Bom)) return failureAt(Fault::Utf8Bom, file, 1);
    if (const qsizetype at = utf8MultiByteStart(bytes); at >= 0)
        return failureAt(Fault::Utf8Bom, file, lineOfByte(bytes, at));
    qsizetype bad = 0;
    auto text = decodeGbk(bytes, &bad);
    if (!text)
        return failureAt(Fault::NotGbk, file, lineOfByte(bytes, bad), QString::number(bad + 1));
    return std::move(*text);
}

Expected<QByteArray> readCaseBytes(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return failureAt(Fault::FileMissing, path, 0);
    if (info.isFile() && info.size() > kMaxCaseBytes)
        return failureAt(Fault::FileTooLarge, path, 0);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failureAt(Fault::FileUnreadable, path, 0, file.errorString());
    // Read in pieces up to one byte past the limit: the size of a device or a growing file
    // cannot be trusted.
    QByteArray bytes;
    while (bytes.size() <= kMaxCaseBytes) {
        const QByteArray piece = file.read(std::min(kReadChunk, kMaxCaseBytes + 1 - bytes.size()));
        if (piece.isEmpty()) break;
        bytes += piece;
    }
    if (file.error() != QFileDevice::NoError)
        return failureAt(Fault::FileUnreadable, path, 0, file.errorString());
    if (bytes.size() > kMaxCaseBytes) return failureAt(Fault::FileTooLarge, path, 0);
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

constexpr std::array<double CurvePoint::*, 2> kCurveColumns{&CurvePoint::ZP, &CurvePoint::F};
constexpr std::array<double Tunnel::*, 8> kTunnelColumns{&Tunnel::B1,  &Tunnel::A1,  &Tunnel::C1,
                                                         &Tunnel::M11, &Tunnel::B11, &Tunnel::A11,
                                                         &Tunnel::C11, &Tunnel::GM};
constexpr std::array<double Spillway::*, 3> kSpillwayColumns{&Spillway::M2, &Spillway::B2,
                                                             &Spillway::C2};
constexpr std::array<double OrificeState::*, 6> kOrificeColumns{
    &OrificeState::ZZ1, &OrificeState::ZZ2, &OrificeState::BB,
    &OrificeState::AA,  &OrificeState::MM,  &OrificeState::VV};
constexpr std::array<double VariableSpillwayState::*, 5> kVariableSpillwayColumns{
    &VariableSpillwayState::ZZ3, &VariableSpillwayState::ZZ4, &VariableSpillwayState::MM,
    &VariableSpillwayState::DD, &VariableSpillwayState::EE};
constexpr std::array<double DischargePoint::*, 2> kDischargeColumns{&DischargePoint::ZZ0,
                                                                    &DischargePoint::QQ};
constexpr std::array<double CaseData::*, 5> kRoutingParameters{
    &CaseData::ZM, &CaseData::Z0, &CaseData::Q0, &CaseData::W, &CaseData::QA};

/// The rows a count text gives the window, or the failure naming the count.
Expected<int> windowRows(int table, const QString& countText, int line, const QString& file) {
    const int field = countFieldOf(table);
    const auto rows = rowsFromCount(table, countText);
    if (rows && *rows >= 0) return *rows;
    const double wanted = numericValue(countText) + (table == kHydrographTable ? 1 : 0);
    const Fault fault = (rows || wanted < 0)        ? Fault::CountNotWhole
                        : table == kHydrographTable ? Fault::JTooLarge
                                                    : Fault::CountTooLarge;
    return failureAt(fault, file, line, countDetail(field, countText));
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
        const double limit = d == kHydrographTable ? kMaxJ : kMaxRows;
        if (!count || !std::isfinite(*count) || *count != std::floor(*count) || *count < 0 ||
            *count > limit)
            return SaveProblem{Kind::CountInvalid, field, d};
        if (d == kTunnelTable && *count > kMaxTunnels)
            return SaveProblem{Kind::TooManyTunnels, field, d};
        if (d == kSpillwayTable && *count > kMaxSpillways)
            return SaveProblem{Kind::TooManySpillways, field, d};
        const int rows = static_cast<int>(*count) + (d == kHydrographTable ? 1 : 0);
        if (text.rows(d) != rows) return SaveProblem{Kind::CountMismatch, field, d};
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

    const QString content = caseFileText(text);
    qsizetype bad = 0;
    const auto bytes = encodeGbk(content, &bad);
    if (!bytes)
        return failureAt(Fault::CaseNotWritten, path, 0,
                         QStringLiteral("“") + content.at(bad) + QStringLiteral("”"));

    if (auto reason = replaceFile(path, *bytes))
        return failureAt(Fault::CaseNotWritten, path, 0, *reason);
    return std::nullopt;
}

std::optional<Failure> writeCaseFile(const QString& folder, const QString& name,
                                     const CaseText& text) {
    const QString path = joinPath(folder, name);
    if (hasFolderSeparator(name)) return failureAt(Fault::NameHasSeparator, path, 0);
    return writeCaseFile(path, text);
}

Expected<QByteArray> readCaseFileBytes(const QString& path) {
    return readCaseBytes(path);
}

Expected<QString> decodeCaseFile(const QByteArray& bytes, const QString& file) {
    return decodeCase(bytes, file);
}

Expected<CaseText> loadCaseText(const QString& path) {
    auto bytes = readCaseBytes(path);
    if (!bytes) return bytes.failure();
    return parseCaseText(*bytes, path);
}

Expected<CaseData> readCaseData(const QString& path) {
    auto bytes = readCaseBytes(path);
    if (!bytes) return bytes.failure();
    return parseCaseData(*bytes, path);
}

Expected<CaseText> parseCaseText(const QByteArray& bytes, const QString& file) {
    const auto decoded = decodeCase(bytes, file);
    if (!decoded) return decoded.failure();
    CaseItems items(*decoded, file);
    CaseText text;
    std::array<int, kFieldCount> fieldLines{};
    Item item;
    for (int s = 0; s < kSectionCount; ++s) {
        const SectionInfo& section = sectionInfo(s);
        for (int f = section.firstField; f <= section.lastField; ++f) {
            if (!items.next(item)) return items.failure();
            text.fields[static_cast<std::size_t>(f)] = item.text.toString();
            fieldLines[static_cast<std::size_t>(f)] = item.line;
        }
        const int field = countFieldOf(section.table);
        const auto rows = windowRows(section.table, text.fields[static_cast<std::size_t>(field)],
                                     fieldLines[static_cast<std::size_t>(field)], file);
        if (!rows) return rows.failure();
        text.resizeTable(section.table, *rows);
        for (auto& row : text.tables[static_cast<std::size_t>(section.table)]) {
            for (QString& cell : row) {
                if (!items.next(item)) return items.failure();
                auto cellText = itemCellText(item.text);
                // An overflowing number has no cell text that would read back as itself.
                if (!cellText)
                    return failureAt(Fault::NotFinite, file, item.line, trimmedBlanks(item.text));
                cell = std::move(*cellText);
            }
        }
    }
    return text;
}

Expected<CaseData> parseCaseData(const QByteArray& bytes, const QString& file) {
    const auto decoded = decodeCase(bytes, file);
    if (!decoded) return decoded.failure();
    CaseItems items(*decoded, file);
    CaseData data;
    Item item;
    int count = 0;

    if (!items.next(item)) return items.failure();
    data.projectName = item.text.toString();
    if (!items.next(item)) return items.failure();
    data.frequency = item.text.toString();

    if (!items.count(kFieldK, count) || !readRows(items, count, data.curve, kCurveColumns))
        return items.failure();

    if (!items.count(kFieldJ, count) || !items.number(data.T)) return items.failure();
    data.QL.assign(static_cast<std::size_t>(count) + 1, 0.0);
    for (double& q : data.QL)
        if (!items.number(q)) return items.failure();

    for (double CaseData::*parameter : kRoutingParameters)
        if (!items.number(data.*parameter)) return items.failure();

    if (!items.count(kFieldG0, count) || !readRows(items, count, data.tunnels, kTunnelColumns))
        return items.failure();
    if (!items.count(kFieldH0, count) || !readRows(items, count, data.spillways, kSpillwayColumns))
        return items.failure();
    if (!items.count(kFieldKK1, count) || !readRows(items, count, data.orifices, kOrificeColumns))
        return items.failure();
    if (!items.count(kFieldKK0, count) ||
        !readRows(items, count, data.variableSpillways, kVariableSpillwayColumns))
        return items.failure();
    if (!items.count(kFieldKK2, count) ||
        !readRows(items, count, data.dischargeTable, kDischargeColumns))
        return items.failure();
    return data;
}

} // namespace m4
