#include "cell_block.h"

#include "case/text_convert.h"

#include <algorithm>
#include <cmath>

namespace m4 {
namespace {

/// The column headers of every table, blanks around them dropped.
const QStringList& columnHeaders() {
    static const QStringList headers = [] {
        QStringList all;
        for (int d = 0; d < kTableCount; ++d) {
            const QStringList header = QString::fromUtf8(tableInfo(d).header).split(u'|');
            for (qsizetype c = 1; c < header.size(); ++c) all << header[c].trimmed();
        }
        return all;
    }();
    return headers;
}

bool isHeaderLine(const std::vector<QString>& cells) {
    return std::all_of(cells.begin(), cells.end(), [](const QString& cell) {
        const QString text = cell.trimmed();
        return !text.isEmpty() && columnHeaders().contains(text);
    });
}

/// A spreadsheet quotes a cell only when it holds a separator; text editors' CSV may quote any.
QString withoutQuotes(const QString& cell) {
    const QString text = cell.trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        return text.sliced(1, text.size() - 2).trimmed();
    return text;
}

} // namespace

TableText splitBlock(QStringView text) {
    TableText rows;
    const QChar separator = text.contains(u'\t') ? u'\t' : u',';
    size_t widest = 0;
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = at;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
        std::vector<QString> row;
        for (QStringView cell : text.sliced(at, end - at).split(separator))
            row.push_back(cell.toString());
        widest = std::max(widest, row.size());
        rows.push_back(std::move(row));
        at = end + 1;
        if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') ++at;
    }
    for (auto& row : rows) row.resize(widest);
    return rows;
}

std::variant<TableText, NotANumber> pastedCells(QStringView text) {
    TableText rows = splitBlock(text);
    if (!rows.empty() && isHeaderLine(rows.front())) rows.erase(rows.begin());
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            QString& cell = rows[r][c];
            cell = withoutQuotes(cell);
            const std::optional<double> value = itemNumber(cell);
            if (!value || !std::isfinite(*value))
                return NotANumber{static_cast<int>(r), static_cast<int>(c), cell};
        }
    return rows;
}

QString joinBlock(const QStringList& header, const TableText& rows) {
    QString text = header.join(u'\t');
    text += u'\n';
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0) text += u'\t';
            text += row[c];
        }
        text += u'\n';
    }
    return text;
}

} // namespace m4
