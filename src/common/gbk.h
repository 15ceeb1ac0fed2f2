#pragma once
// Case files and reports are GBK (code page 936) text.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace m4 {

/// Decode GBK bytes; nullopt with the offset of the first bad byte in *badOffset.
std::optional<QString> decodeGbk(const QByteArray& bytes, qsizetype* badOffset = nullptr);

/// The offset of the first byte that is not GBK, or nullopt when all bytes are GBK text. Checks
/// without decoding: ASCII, most of a case file, is passed over eight bytes at a time.
std::optional<qsizetype> firstNonGbkByte(const QByteArray& bytes);

/// The offset of the first byte beyond ASCII when all the bytes are UTF-8 and there is such a
/// byte; nullopt otherwise. Chinese GBK text is practically never also UTF-8, so such bytes are
/// a file saved as UTF-8. The check stops at the first byte that is not UTF-8, in GBK text the
/// first Chinese character.
std::optional<qsizetype> utf8MultiByteStart(const QByteArray& bytes);

class GbkConverter;

/// Encodes many pieces of text as GBK with one converter, each appended to bytes being built.
class GbkEncoder {
  public:
    GbkEncoder();
    ~GbkEncoder();
    GbkEncoder(const GbkEncoder&) = delete;
    GbkEncoder& operator=(const GbkEncoder&) = delete;

    /// Appends text as GBK to out; false, with out as it was, when a character has no GBK form
    /// (*badIndex gets its index in text).
    bool append(QStringView text, QByteArray& out, qsizetype* badIndex = nullptr);

  private:
    std::unique_ptr<GbkConverter> converter_; ///< opened at the first character beyond ASCII
};

/// Encode as GBK; nullopt when a character has no GBK form (*badIndex gets its index).
std::optional<QByteArray> encodeGbk(const QString& text, qsizetype* badIndex = nullptr);

/// The character at index for a message: both halves of a surrogate pair, never one alone.
QString characterAt(QStringView text, qsizetype index);

} // namespace m4
