#pragma once
// A broken promise is a finding: name it and abort, so that libFuzzer keeps the input.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace m4::fuzz {

inline void check(bool holds, const char* promise, const QString& detail = QString()) {
    if (holds) return;
    std::fprintf(stderr, "broken promise: %s %s\n", promise, detail.toUtf8().constData());
    std::abort();
}

/// The fuzzer's input as bytes, copied so that readers may keep views into it.
inline QByteArray inputBytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace m4::fuzz
