// The window's case loader over arbitrary bytes. Beyond not crashing, a loaded case keeps the
// loader's promises: every table has the rows its count field calls for, every cell is a
// normalised cell text, and a case the save check lets through is written and read back as the
// same case.

#include "fuzz_check.h"

#include "case/case_file.h"
#include "case/text_convert.h"
#include "common/gbk.h"

#include <cmath>

namespace {

using m4::fuzz::check;

void checkLoadedShape(const m4::CaseText& text) {
    for (int d = 0; d < m4::kTableCount; ++d) {
        const QString& count = text.fields[static_cast<size_t>(m4::countFieldOf(d))];
        check(m4::rowsFromCount(d, count) == text.rows(d), "rows follow the count field", count);
        for (const auto& row : text.tables[static_cast<size_t>(d)]) {
            check(static_cast<int>(row.size()) == m4::tableInfo(d).columns, "row width");
            for (const QString& cell : row) {
                const double value = m4::numericValue(cell);
                // A cell reads back as the number it shows, and shows it in its one form.
                if (std::isfinite(value))
                    check(m4::cellText(value) == cell, "cell is a normalised cell text", cell);
            }
        }
    }
}

// Fields lose the blanks in front of them on the way through a file: blanks before an item are
// skipped by every reader.
QString withoutLeadingBlanks(const QString& field) {
    qsizetype i = 0;
    while (i < field.size() && (field[i] == u' ' || field[i] == u'\t')) ++i;
    return field.mid(i);
}

void checkSavedCaseReadsBack(const m4::CaseText& text) {
    if (m4::checkForSave(text)) return;
    const std::optional<QByteArray> bytes = m4::encodeGbk(m4::caseFileText(text));
    check(bytes.has_value(), "a case the save check accepts is GBK");
    const m4::Expected<m4::CaseText> again = m4::parseCaseText(*bytes, QStringLiteral("again.INT"));
    check(again.ok(), "a saved case loads again",
          again.ok() ? QString() : m4::describe(again.failure()));
    for (int i = 0; i < m4::kFieldCount; ++i) {
        const auto f = static_cast<size_t>(i);
        check(withoutLeadingBlanks(again->fields[f]) == withoutLeadingBlanks(text.fields[f]),
              "field survives save and load", QString::number(i) + u' ' + text.fields[f]);
    }
    check(again->tables == text.tables, "tables survive save and load");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const m4::Expected<m4::CaseText> text =
        m4::parseCaseText(m4::fuzz::inputBytes(data, size), QStringLiteral("fuzz.INT"));
    if (!text) {
        check(!m4::describe(text.failure()).isEmpty(), "a refusal has a message");
        return 0;
    }
    checkLoadedShape(*text);
    checkSavedCaseReadsBack(*text);
    return 0;
}
