#pragma once
// A broken promise is a finding: name it and abort, so that libFuzzer keeps the input.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace m4::fuzz {

[[noreturn]] inline void fail(const char* promise, const QString& detail = QString()) {
    std::fprintf(stderr, "broken promise: %s %s\n", promise, detail.toUtf8().constData());
    std::abort();
}

inline void check(bool holds, const char* promise, const QString& detail = QString()) {
    if (!holds) fail(promise, detail);
}

/// The fuzzer's input as bytes, copied so that readers may keep views into it.
inline QByteArray inputBytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace m4::fuzz
