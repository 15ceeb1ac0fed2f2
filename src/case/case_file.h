#pragma once
// The case file (.INT): GBK text, CR LF line ends, items separated by commas and line ends.
// Section by section: the section's parameter fields one per line, then its table's rows, the
// cells of a row joined by commas; the file ends with one empty line.

#include "case_data.h"
#include "case_text.h"
#include "common/failure.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace m4 {

/// A reason the case cannot be stored as it stands (invariants the readers rely on).
struct SaveProblem {
    enum class Kind {
        EmptyField,    ///< a required field (0..10) is empty; field says which
        CountMismatch, ///< the table's rows differ from what its count field says
        CountInvalid,  ///< a count that is negative, fractional or above its table's largest
        BadText,       ///< a comma, line break or leading double quote in field 0 or 1
        NotEncodable,  ///< a character with no GBK form
    };
    Kind kind;
    int field = -1;  ///< the parameter field concerned, or -1
    int table = -1;  ///< the table concerned, or -1
    int row = -1;    ///< the data row (0-based) of the cell concerned, or -1
    int column = -1; ///< the data column (0-based) of the cell concerned, or -1
};

/// The first problem that keeps the case from being written, or nullopt.
std::optional<SaveProblem> checkForSave(const CaseText& text);

/// The case file's text (with CR LF line ends) for the case, not yet encoded.
QString caseFileText(const CaseText& text);

/// Encode and write the case to path through an atomic replace: a failure leaves any existing
/// file as it was. The caller checks the case first (checkForSave).
std::optional<Failure> writeCaseFile(const QString& path, const CaseText& text);
/// The same for a name in a folder; a name holding a folder separator is refused.
std::optional<Failure> writeCaseFile(const QString& folder, const QString& name,
                                     const CaseText& text);

/// Read a case file into the window's text form: fields as read, cells normalised to cell texts.
Expected<CaseText> loadCaseText(const QString& path);

/// Read a case file for a run: every number checked (finite, counts whole and in range).
Expected<CaseData> readCaseData(const QString& path);

/// The failure of a count item read as value (text: the item without its blanks) when the value
/// is not one its field takes: negative, fractional or above the field's largest.
std::optional<Failure> refusedCount(int field, double value, const QString& text,
                                    const QString& file, int line);

/// The bytes of a case file, refused when missing, unreadable or larger than any case can be.
Expected<QByteArray> readCaseFileBytes(const QString& path);
/// The text of a case file's bytes, refused when they are not GBK or were saved as UTF-8.
Expected<QString> decodeCaseFile(const QByteArray& bytes, const QString& file);

/// The same two readers over bytes already in memory; file names the source in failures.
Expected<CaseText> parseCaseText(const QByteArray& bytes, const QString& file);
Expected<CaseData> parseCaseData(const QByteArray& bytes, const QString& file);

} // namespace m4
