// The reader of the introduction page over arbitrary bytes: it never crashes or hangs, and the
// document the page shows holds exactly the text the reader found, bold or not.

#include "fuzz_check.h"

#include "startup/rtf_text.h"

#include <QGuiApplication>
#include <QTextDocument>

namespace {

using m4::fuzz::check;

constexpr char16_t kFrameStart = 0xFDD0; ///< characters a document takes as block ends
constexpr char16_t kFrameEnd = 0xFDD1;

/// One run's text as a document stores it: CR LF, CR, LF and the frame marks end a paragraph.
QString asDocumentText(QString text) {
    text.replace(QStringLiteral("\r\n"), QChar(QChar::ParagraphSeparator));
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n' || c == kFrameStart || c == kFrameEnd)
            c = QChar::ParagraphSeparator;
    return text;
}

} // namespace

// Documents need fonts, fonts need a GUI application: one for the fuzzer's whole life. It is
// never destroyed: libFuzzer leaves through exit(), after Qt's own statics are gone.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static const QGuiApplication* const app = new QGuiApplication(*argc, *argv);
    return app != nullptr ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray rtf = m4::fuzz::inputBytes(data, size);
    const std::vector<m4::RtfRun> runs = m4::parseRtf(rtf);
    QString text, expected; // expected as a document holds it: every line end a paragraph separator
    for (const m4::RtfRun& run : runs) {
        check(!run.text.isEmpty(), "no empty runs");
        text += run.text;
        expected += asDocumentText(run.text);
    }
    check(m4::rtfPlainText(rtf) == text, "the plain text is the runs' text");

    QTextDocument document;
    m4::fillDocument(document, runs);
    check(document.toRawText() == expected, "the page shows the text the reader found");
    return 0;
}
