#include "rtf_text.h"

#include "common/gbk.h"

#include <QSet>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <cctype>
#include <optional>

namespace m4 {
namespace {

/// Characters a reader skips after \uN unless \ucN says otherwise.
constexpr int kDefaultUnicodeSkip = 1;

struct GroupState {
    bool skip = false;
    bool bold = false;
    int unicodeSkip = kDefaultUnicodeSkip;
};

bool isDestinationToSkip(const QByteArray& word) {
    static const QSet<QByteArray> destinations{
        "fonttbl",
        "colortbl",
        "stylesheet",
        "info",
        "pict",
        "header",
        "footer",
        "headerl",
        "headerr",
        "footerl",
        "footerr",
        "listtable",
        "listoverridetable",
        "generator",
        "themedata",
        "colorschememapping",
        "latentstyles",
        "datastore",
        "xmlnstbl",
        "rsidtbl",
        "mmathPr",
        "filetbl",
        "object",
        "fldinst",
        "footnote",
        "annotation",
        "bkmkstart",
        "bkmkend",
    };
    return destinations.contains(word);
}

class RtfReader {
  public:
    explicit RtfReader(const QByteArray& rtf) : in_(rtf) {}

    std::vector<RtfRun> read() {
        stack_.push_back(GroupState{});
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                flush();
                stack_.push_back(stack_.back());
            } else if (c == '}') {
                flush();
                if (stack_.size() > 1) stack_.pop_back();
            } else if (c == '\\') {
                controlSymbolOrWord();
            } else if (c != '\r' && c != '\n') {
                textByte(c);
            }
        }
        flush();
        return std::move(runs_);
    }

  private:
    GroupState& state() { return stack_.back(); }

    void textByte(char c) {
        if (skipAfterUnicode_ > 0) {
            --skipAfterUnicode_;
            return;
        }
        if (!state().skip) pending_.append(c);
    }

    void controlSymbolOrWord() {
        if (pos_ >= in_.size()) return;
        const char c = in_[pos_];
        if (std::isalpha(static_cast<unsigned char>(c)) != 0) {
            controlWord();
            return;
        }
        ++pos_;
        switch (c) {
        case '\'':
            hexByte();
            break;
        case '*':
            state().skip = true;
            break;
        case '{':
        case '}':
        case '\\':
            textByte(c);
            break;
        case '~':
            appendText(QString(QChar(0x00A0)));
            break;
        case '_':
            appendText(QStringLiteral("-"));
            break;
        case '\r':
        case '\n':
            appendText(QStringLiteral("\n"));
            break;
        default:
            break; // optional hyphen and other symbols show nothing
        }
    }

    void hexByte() {
        const QByteArray hex = in_.mid(pos_, 2);
        pos_ += hex.size();
        bool ok = false;
        const int value = hex.toInt(&ok, 16);
        if (ok) textByte(static_cast<char>(value));
    }

    void controlWord() {
        const qsizetype start = pos_;
        while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_])) != 0)
            ++pos_;
        const QByteArray word = in_.mid(start, pos_ - start);
        std::optional<int> param;
        const qsizetype numberStart = pos_;
        if (pos_ < in_.size() && in_[pos_] == '-') ++pos_;
        while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_])) != 0)
            ++pos_;
        if (pos_ > numberStart) param = in_.mid(numberStart, pos_ - numberStart).toInt();
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_; // the delimiter belongs to the word
        apply(word, param);
    }

    void apply(const QByteArray& word, std::optional<int> param) {
        if (isDestinationToSkip(word)) {
            state().skip = true;
        } else if (word == "par" || word == "line") {
            appendText(QStringLiteral("\n"));
        } else if (word == "tab") {
            appendText(QStringLiteral("\t"));
        } else if (word == "b") {
            flush();
            state().bold = !param || *param != 0;
        } else if (word == "plain") {
            flush();
            state().bold = false;
        } else if (word == "uc" && param) {
            state().unicodeSkip = *param;
        } else if (word == "u" && param) {
            // Writers give code units above 0x7FFF as negative 16-bit numbers.
            appendText(QString(QChar(static_cast<char16_t>(*param))));
            skipAfterUnicode_ = state().unicodeSkip;
        }
    }

    void appendText(const QString& text) {
        flush();
        if (state().skip) return;
        addRun(text);
    }

    /// Bytes gathered so far become text: GBK, or Latin-1 when they are not GBK.
    void flush() {
        if (pending_.isEmpty()) return;
        const std::optional<QString> text = decodeGbk(pending_);
        addRun(text ? *text : QString::fromLatin1(pending_));
        pending_.clear();
    }

    void addRun(const QString& text) {
        if (text.isEmpty()) return;
        if (!runs_.empty() && runs_.back().bold == state().bold)
            runs_.back().text += text;
        else
            runs_.push_back(RtfRun{text, state().bold});
    }

    const QByteArray& in_;
    qsizetype pos_ = 0;
    std::vector<GroupState> stack_;
    QByteArray pending_;
    int skipAfterUnicode_ = 0;
    std::vector<RtfRun> runs_;
};

} // namespace

std::vector<RtfRun> parseRtf(const QByteArray& rtf) {
    return RtfReader(rtf).read();
}

QString rtfPlainText(const QByteArray& rtf) {
    QString text;
    for (const RtfRun& run : parseRtf(rtf)) text += run.text;
    return text;
}

void fillDocument(QTextDocument& document, const std::vector<RtfRun>& runs) {
    document.clear();
    QTextCursor cursor(&document);
    for (const RtfRun& run : runs) {
        QTextCharFormat format;
        format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
        cursor.insertText(run.text, format);
    }
}

} // namespace m4
