#include "case/gbk.h"

#include <gtest/gtest.h>

using namespace m4;

TEST(Gbk, ChineseRoundTrips) {
    const QByteArray bytes("\xCA\xBE\xC0\xFD\xCB\xAE\xBF\xE2,1%\r\n"); // 示例水库,1%
    const auto text = decodeGbk(bytes);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, QStringLiteral("示例水库,1%\r\n"));
    EXPECT_EQ(encodeGbk(*text), bytes);
    EXPECT_EQ(decodeGbk(QByteArray()), QString());
    EXPECT_EQ(encodeGbk(QString()), QByteArray());
}

TEST(Gbk, TrailBytesThatLookLikeAsciiStayWithTheirLeadByte) {
    // 0x81 0x40 is one character although 0x40 alone is "@".
    EXPECT_EQ(decodeGbk(QByteArray("a\x81\x40"
                                   "b\x80")),
              QStringLiteral("a丂b€"));
    EXPECT_EQ(encodeGbk(QStringLiteral("a丂b€")), QByteArray("a\x81\x40"
                                                             "b\x80"));
}

TEST(Gbk, DecodingReportsTheFirstBadByte) {
    qsizetype bad = -1;
    EXPECT_FALSE(decodeGbk(QByteArray("ab\xFF"
                                      "cd"),
                           &bad));
    EXPECT_EQ(bad, 2);
    // A lead byte cut off by the end of the text.
    EXPECT_FALSE(decodeGbk(QByteArray("abc\xCA"), &bad));
    EXPECT_EQ(bad, 3);
    // A line end cannot follow a lead byte.
    EXPECT_FALSE(decodeGbk(QByteArray("\xCA\xBE\xCA\r\n"), &bad));
    EXPECT_EQ(bad, 2);
}

TEST(Gbk, EncodingReportsTheFirstCharacterWithoutGbkForm) {
    qsizetype bad = -1;
    EXPECT_FALSE(encodeGbk(QStringLiteral("水库😀"), &bad));
    EXPECT_EQ(bad, 2);
    EXPECT_FALSE(encodeGbk(QStringLiteral("a\u0E01"), &bad)); // Thai has no GBK form
    EXPECT_EQ(bad, 1);
}
