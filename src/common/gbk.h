#pragma once
// Case files and reports are GBK (code page 936) text.

#include <QByteArray>
#include <QString>

#include <optional>

namespace m4 {

/// Decode GBK bytes; nullopt with the offset of the first bad byte in *badOffset.
std::optional<QString> decodeGbk(const QByteArray& bytes, qsizetype* badOffset = nullptr);

/// Encode as GBK; nullopt when a character has no GBK form (*badIndex gets its index).
std::optional<QByteArray> encodeGbk(const QString& text, qsizetype* badIndex = nullptr);

} // namespace m4
