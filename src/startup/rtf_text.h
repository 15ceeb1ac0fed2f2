#pragma once
// A small reader for the rich text of the introduction page: groups, paragraphs, bold,
// \'hh bytes in GBK and \uN characters. Destination groups (font and colour tables, styles,
// document information, pictures) and other control words are passed over.

#include <QByteArray>
#include <QString>

#include <vector>

class QTextDocument;

namespace m4 {

/// A stretch of text in one style.
struct RtfRun {
    QString text;
    bool bold = false;
};

/// The text of an RTF file in runs, paragraphs ended by "\n".
std::vector<RtfRun> parseRtf(const QByteArray& rtf);

/// The text alone.
QString rtfPlainText(const QByteArray& rtf);

/// Fill a document with the runs, bold kept.
void fillDocument(QTextDocument& document, const std::vector<RtfRun>& runs);

} // namespace m4
