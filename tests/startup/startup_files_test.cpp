// The help page's text and the introduction's rich text.

#include "startup/rtf_text.h"
#include "startup/startup_files.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(StartupFilesTest, HelpTextIsTheBannerThenEachHelpFile) {
    const QString banner = m4::helpBanner();
    EXPECT_EQ(banner.count(QStringLiteral("\r\n")), 4);
    EXPECT_EQ(m4::helpText({"a", "b"}, std::nullopt), banner + "a\r\nb\r\n\r\n");
    EXPECT_EQ(m4::helpText({"a"}, QStringList{"c", ""}), banner + "a\r\n\r\nc\r\n\r\n");
}

TEST(StartupFilesTest, TextLinesAreReadAsGbkWithEitherLineEnd) {
    QTemporaryDir dir;
    ASSERT_TRUE(m4test::writeFile(dir.filePath("h.txt"), "\xd6\xd0\xce\xc4\r\nplain\n\r\nlast"));
    ASSERT_TRUE(m4test::writeFile(dir.filePath("bad.txt"), "ok\xff\xff"));
    const auto lines = m4::readTextLines(dir.filePath("h.txt"));
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ(*lines, (QStringList{"中文", "plain", "", "last"}));
    EXPECT_FALSE(m4::readTextLines(dir.filePath("bad.txt")).ok());
    const auto missing = m4::readTextLines(dir.filePath("none.txt"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().fault, m4::Fault::FileMissing);
    EXPECT_EQ(missing.failure().file, dir.filePath("none.txt"));
}

TEST(RtfTest, ReadsGbkBytesUnicodeAndParagraphsSkippingTablesAndBoldFollowsGroups) {
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil \\'cb\\'ce\\'cc\\'e5;}}"
                           "{\\colortbl ;\\red0\\green0\\blue0;}{\\*\\generator x;}"
                           "\\pard\\f0\\fs20 \\'d6\\'d0\\'ce\\'c4 text\\par\r\n"
                           "\\uc1\\u27700?\\u-30\\'3f end\\tab\\{\\}\\\\\\par}";
    EXPECT_EQ(m4::rtfPlainText(rtf), QString("中文 text\n水") + QChar(0xFFE2) + " end\t{}\\\n");

    QString marked;
    for (const auto& run : m4::parseRtf("{\\rtf1 a{\\b b}c\\b d\\b0 e\\b1 f\\plain g{\\b h}h}"))
        marked += run.bold ? "[" + run.text + "]" : run.text;
    EXPECT_EQ(marked, "a[b]c[d]e[f]g[h]h");
}

} // namespace
