#include "common/gbk.h"
#include "common/read_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

using namespace m4;

TEST(Gbk, RoundTripsWithTrailBytesThatLookLikeAscii) {
    // 0x81 0x40 is one character although 0x40 alone is "@".
    for (const auto& [bytes, text] :
         {std::pair{QByteArray("\xCA\xBE\xC0\xFD\xCB\xAE\xBF\xE2,1%\r\n"),
                    QStringLiteral("示例水库,1%\r\n")},
          {QByteArray("a\x81@b\x80"), QStringLiteral("a丂b€")},
          {QByteArray(), QString()}}) {
        EXPECT_EQ(decodeGbk(bytes), text);
        EXPECT_EQ(encodeGbk(text), bytes);
    }
}

TEST(Gbk, ReportsTheFirstBadByteOrCharacter) {
    // A lead byte cut off by the end of the text, or followed by a line end, is bad too.
    for (const auto& [bytes, at] : {std::pair{QByteArray("ab\377cd"), 2},
                                    {QByteArray("abc\xCA"), 3},
                                    {QByteArray("\xCA\xBE\xCA\r\n"), 2}}) {
        qsizetype bad = -1;
        EXPECT_FALSE(decodeGbk(bytes, &bad));
        EXPECT_EQ(bad, at) << bytes.toHex().toStdString();
    }
    // Thai has no GBK form, nor have characters beyond the basic plane.
    for (const auto& [text, at] :
         {std::pair{QStringLiteral("水库😀"), 2}, {QStringLiteral("a\u0E01"), 1}}) {
        qsizetype bad = -1;
        EXPECT_FALSE(encodeGbk(text, &bad));
        EXPECT_EQ(bad, at) << text.toStdString();
    }
}

TEST(Gbk, TellsUtf8FromGbkByItsWellFormedSequences) {
    EXPECT_EQ(utf8MultiByteStart("0123456789\xC3\xA9\r\n\xE7\x99\xBE"), 10);
    EXPECT_EQ(utf8MultiByteStart("\xF0\x9F\x98\x80\xEF\xBF\xBE"), 0);
    // GBK pairs such as C0 80 look like UTF-8 only to a reader that takes overlong forms,
    // surrogates or code points past U+10FFFF.
    for (const char* bytes : {"plain ASCII, 100", "\xCA\xBE\xC0\xFD", "\xC0\x80", "\xE0\x80\x80",
                              "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3\xA9\xE7\x99"})
        EXPECT_EQ(utf8MultiByteStart(bytes), std::nullopt)
            << QByteArray(bytes).toHex().toStdString();
}

TEST(ReadFile, ReadsWhatTheFileHoldsWhateverItsSizeSaysUpToTheLimit) {
    // A file under /proc says it is empty and holds more than its first buffer.
    const QString proc = "/proc/cpuinfo";
    EXPECT_EQ(readRegularFile(Fault::FileUnreadable, proc, 1 << 20).value().count('\n'),
              m4test::fileBytes(proc).count('\n'));
    EXPECT_EQ(readRegularFile(Fault::FileUnreadable, proc, 100).failure().cause,
              FileCause::TooLarge);
}
