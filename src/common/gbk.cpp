#include "gbk.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <new>
#include <vector>

namespace m4 {
namespace {

/// QString's code units are UTF-16 in the machine's order; these hosts are little-endian.
constexpr const char* kUtf16 = "UTF-16LE";
constexpr const char* kGbk = "GBK";
/// iconv reports failure with this handle.
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

/// GBK leaves ASCII as it is; only runs of other characters need the converter.
bool isAsciiByte(char b) {
    return static_cast<unsigned char>(b) < 0x80;
}

/// The high bit of each of eight bytes read as one word: none is set in eight ASCII bytes.
constexpr std::uint64_t kHighBits = 0x8080808080808080;

/// A GBK lead byte, always followed by a trail byte that may look like ASCII.
bool isLeadByte(char b) {
    const auto u = static_cast<unsigned char>(b);
    return u >= 0x81 && u <= 0xFE;
}

/// The first byte at or after i that is not ASCII, eight bytes at a time; size when none.
qsizetype nextNonAscii(const char* in, qsizetype size, qsizetype i) {
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, in + i, sizeof word);
        if ((word & kHighBits) != 0) break;
    }
    while (i < size && isAsciiByte(in[i])) ++i;
    return i;
}

/// Bytes of the well-formed UTF-8 sequence beyond ASCII that starts at i, or 0 when none does.
/// The ranges of the second byte leave out overlong forms, surrogates and code points beyond
/// U+10FFFF.
qsizetype utf8SequenceAt(const char* in, qsizetype size, qsizetype i) {
    const auto byte = [&](qsizetype k) {
        return i + k < size ? static_cast<unsigned char>(in[i + k]) : 0u;
    };
    const auto within = [](unsigned b, unsigned lo, unsigned hi) { return b >= lo && b <= hi; };
    const unsigned lead = byte(0);
    qsizetype length = 4;
    if (within(lead, 0xC2, 0xDF))
        length = 2;
    else if (within(lead, 0xE0, 0xEF))
        length = 3;
    else if (!within(lead, 0xF0, 0xF4))
        return 0;
    const unsigned lo = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned hi = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (!within(byte(1), lo, hi)) return 0;
    for (qsizetype k = 2; k < length; ++k)
        if (!within(byte(k), 0x80, 0xBF)) return 0;
    return length;
}

} // namespace

/// One iconv conversion descriptor, closed when it goes out of scope.
class GbkConverter {
  public:
    GbkConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        // GBK ships with the C library; opening it fails only when its tables cannot be mapped
        // in (glibc then says EINVAL, not ENOMEM). No byte is at fault, so it is no refusal.
        if (cd_ == kNoConverter) throw std::bad_alloc();
    }
    ~GbkConverter() { iconv_close(cd_); }
    GbkConverter(const GbkConverter&) = delete;
    GbkConverter& operator=(const GbkConverter&) = delete;

    /// Converts all of [in, in + inSize) into out; returns the bytes written, or the input
    /// offset of the first sequence that cannot be converted in *badOffset.
    std::optional<std::size_t> run(const char* in, std::size_t inSize, char* out,
                                   std::size_t outSize, std::size_t* badOffset) {
        char* inPtr = const_cast<char*>(in); // iconv's signature, it does not write there
        char* outPtr = out;
        std::size_t inLeft = inSize;
        std::size_t outLeft = outSize;
        const std::size_t done = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
        if (done == static_cast<std::size_t>(-1)) {
            *badOffset = static_cast<std::size_t>(inPtr - in);
            return std::nullopt;
        }
        return static_cast<std::size_t>(outPtr - out);
    }

  private:
    iconv_t cd_;
};

std::optional<QString> decodeGbk(const QByteArray& bytes, qsizetype* badOffset) {
    const qsizetype size = bytes.size();
    const char* in = bytes.constData();
    // Every GBK character is one or two bytes and becomes one UTF-16 unit.
    QString text(size, Qt::Uninitialized);
    QChar* out = text.data();
    std::optional<GbkConverter> converter;
    qsizetype i = 0;
    while (i < size) {
        if (isAsciiByte(in[i])) {
            *out++ = QChar(static_cast<char16_t>(in[i++]));
            continue;
        }
        qsizetype end = i;
        while (end < size && !isAsciiByte(in[end])) end += isLeadByte(in[end]) ? 2 : 1;
        end = std::min(end, size);
        if (!converter) converter.emplace(kUtf16, kGbk);
        std::size_t bad = 0;
        const auto written = converter->run(
            in + i, static_cast<std::size_t>(end - i), reinterpret_cast<char*>(out),
            static_cast<std::size_t>(text.data() + size - out) * sizeof(QChar), &bad);
        if (!written) {
            if (badOffset) *badOffset = i + static_cast<qsizetype>(bad);
            return std::nullopt;
        }
        out += *written / sizeof(QChar);
        i = end;
    }
    text.truncate(out - text.data());
    return text;
}

std::optional<qsizetype> firstNonGbkByte(const QByteArray& bytes) {
    const qsizetype size = bytes.size();
    const char* in = bytes.constData();
    qsizetype i = nextNonAscii(in, size, 0);
    if (i == size) return std::nullopt;
    GbkConverter converter(kUtf16, kGbk);
    std::vector<char16_t> scratch;
    while (i < size) {
        qsizetype end = i;
        while (end < size && !isAsciiByte(in[end])) end += isLeadByte(in[end]) ? 2 : 1;
        end = std::min(end, size);
        scratch.resize(static_cast<std::size_t>(end - i));
        std::size_t bad = 0;
        const auto written = converter.run(in + i, static_cast<std::size_t>(end - i),
                                           reinterpret_cast<char*>(scratch.data()),
                                           scratch.size() * sizeof(char16_t), &bad);
        if (!written) return i + static_cast<qsizetype>(bad);
        i = nextNonAscii(in, size, end);
    }
    return std::nullopt;
}

std::optional<qsizetype> utf8MultiByteStart(const QByteArray& bytes) {
    const qsizetype size = bytes.size();
    const char* in = bytes.constData();
    const qsizetype first = nextNonAscii(in, size, 0);
    for (qsizetype i = first; i < size; i = nextNonAscii(in, size, i)) {
        const qsizetype length = utf8SequenceAt(in, size, i);
        if (length == 0) return std::nullopt;
        i += length;
    }
    if (first == size) return std::nullopt;
    return first;
}

GbkEncoder::GbkEncoder() = default;
GbkEncoder::~GbkEncoder() = default;

bool GbkEncoder::append(QStringView text, QByteArray& out, qsizetype* badIndex) {
    const qsizetype size = text.size();
    const QChar* in = text.data();
    const qsizetype before = out.size();
    // A UTF-16 unit becomes at most two GBK bytes.
    out.resize(before + size * 2);
    char* to = out.data() + before;
    qsizetype i = 0;
    while (i < size) {
        if (in[i].unicode() < 0x80) {
            *to++ = static_cast<char>(in[i++].unicode());
            continue;
        }
        qsizetype end = i;
        while (end < size && in[end].unicode() >= 0x80) ++end;
        if (!converter_) converter_ = std::make_unique<GbkConverter>(kGbk, kUtf16);
        std::size_t bad = 0;
        const auto written =
            converter_->run(reinterpret_cast<const char*>(in + i),
                            static_cast<std::size_t>(end - i) * sizeof(QChar), to,
                            static_cast<std::size_t>(out.data() + out.size() - to), &bad);
        if (!written) {
            if (badIndex) *badIndex = i + static_cast<qsizetype>(bad / sizeof(QChar));
            out.truncate(before);
            return false;
        }
        to += *written;
        i = end;
    }
    out.truncate(to - out.data());
    return true;
}

std::optional<QByteArray> encodeGbk(const QString& text, qsizetype* badIndex) {
    QByteArray bytes;
    GbkEncoder encoder;
    if (!encoder.append(text, bytes, badIndex)) return std::nullopt;
    return bytes;
}

QString characterAt(QStringView text, qsizetype index) {
    if (index < 0 || index >= text.size()) return {};
    if (text[index].isLowSurrogate() && index > 0 && text[index - 1].isHighSurrogate()) --index;
    const bool pair = text[index].isHighSurrogate() && index + 1 < text.size() &&
                      text[index + 1].isLowSurrogate();
    return text.sliced(index, pair ? 2 : 1).toString();
}

} // namespace m4
