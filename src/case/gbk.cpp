#include "gbk.h"

#include <cerrno>
#include <iconv.h>

namespace m4 {
namespace {

/// QString's code units are UTF-16 in the machine's order; these hosts are little-endian.
constexpr const char* kUtf16 = "UTF-16LE";
constexpr const char* kGbk = "GBK";
/// iconv reports failure with this handle.
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

/// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != kNoConverter) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != kNoConverter; }

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

} // namespace

std::optional<QString> decodeGbk(const QByteArray& bytes, qsizetype* badOffset) {
    if (bytes.isEmpty()) return QString();
    Converter converter(kUtf16, kGbk);
    if (!converter.valid()) {
        if (badOffset) *badOffset = 0;
        return std::nullopt;
    }
    // Every GBK character is one or two bytes and becomes one UTF-16 unit.
    QString text(bytes.size(), Qt::Uninitialized);
    std::size_t bad = 0;
    const auto written = converter.run(bytes.constData(), static_cast<std::size_t>(bytes.size()),
                                       reinterpret_cast<char*>(text.data()),
                                       static_cast<std::size_t>(text.size()) * sizeof(QChar), &bad);
    if (!written) {
        if (badOffset) *badOffset = static_cast<qsizetype>(bad);
        return std::nullopt;
    }
    text.truncate(static_cast<qsizetype>(*written / sizeof(QChar)));
    return text;
}

std::optional<QByteArray> encodeGbk(const QString& text, qsizetype* badIndex) {
    if (text.isEmpty()) return QByteArray();
    Converter converter(kGbk, kUtf16);
    if (!converter.valid()) {
        if (badIndex) *badIndex = 0;
        return std::nullopt;
    }
    // A UTF-16 unit becomes at most two GBK bytes.
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    std::size_t bad = 0;
    const auto written = converter.run(reinterpret_cast<const char*>(text.constData()),
                                       static_cast<std::size_t>(text.size()) * sizeof(QChar),
                                       bytes.data(), static_cast<std::size_t>(bytes.size()), &bad);
    if (!written) {
        if (badIndex) *badIndex = static_cast<qsizetype>(bad / sizeof(QChar));
        return std::nullopt;
    }
    bytes.truncate(static_cast<qsizetype>(*written));
    return bytes;
}

} // namespace m4
