// The folders beside the program, the help page's text and the introduction's rich text.

#include "qstring_print.h"
#include "ui/rtf_text.h"
#include "ui/startup_files.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// Columns a text takes when Chinese characters and box lines count two.
int columns(const QString& line) {
    int n = 0;
    for (const QChar c : line) n += c.unicode() < 0x1100 ? 1 : 2;
    return n;
}

TEST(StartupFilesTest, SiblingFoldersReplaceTheLastThreeCharacters) {
    EXPECT_EQ(m4::siblingFolder("D:\\calc\\bin", "use"), "D:\\calc\\use");
    EXPECT_EQ(m4::siblingFolder("/opt/prog/bin", "rtf"), "/opt/prog/rtf");
    // Whatever the three characters are.
    EXPECT_EQ(m4::siblingFolder("/opt/m4/program", "use"), "/opt/m4/proguse");
    EXPECT_EQ(m4::siblingFolder("ab", "use"), "use");
}

TEST(StartupFilesTest, BannerIsFourLinesOf73Columns) {
    const QString banner = m4::helpBanner();
    ASSERT_TRUE(banner.endsWith("\r\n"));
    const QStringList lines = banner.chopped(2).split("\r\n");
    ASSERT_EQ(lines.size(), 4);
    for (const QString& line : lines) EXPECT_EQ(columns(line), 73) << line.toStdString();
    EXPECT_EQ(lines[1], "│" + QString(27, ' ') + "《蓝石软件库》" + QString(28, ' ') + "│");
    EXPECT_EQ(lines[2], "│                      青岚七号综合分析器  M-4G                       │");
}

TEST(StartupFilesTest, HelpTextJoinsBannerCombinedHelpAndOwnHelp) {
    const QString banner = m4::helpBanner();
    EXPECT_EQ(m4::helpText({"a", "b"}, std::nullopt), banner + "a\r\nb\r\n\r\n");
    EXPECT_EQ(m4::helpText({"a"}, QStringList{"c", ""}), banner + "a\r\n\r\nc\r\n\r\n");
}

TEST(StartupFilesTest, TextLinesAreReadAsGbkWithEitherLineEnd) {
    QTemporaryDir dir;
    QFile file(dir.filePath("h.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xd6\xd0\xce\xc4\r\nplain\n\r\nlast");
    file.close();
    const auto lines = m4::readTextLines(file.fileName());
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ(*lines, (QStringList{"中文", "plain", "", "last"}));

    const auto missing = m4::readTextLines(dir.filePath("none.txt"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(m4::startupFileMessage(missing.failure()), "找不到文件 " + dir.filePath("none.txt"));

    QFile bad(dir.filePath("bad.txt"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("ok\xff\xff");
    bad.close();
    EXPECT_FALSE(m4::readTextLines(bad.fileName()).ok());
}

TEST(RtfTest, ReadsGbkBytesUnicodeAndParagraphsSkippingTables) {
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil \\'cb\\'ce\\'cc\\'e5;}}"
                           "{\\colortbl ;\\red0\\green0\\blue0;}{\\*\\generator x;}"
                           "\\pard\\f0\\fs20 \\'d6\\'d0\\'ce\\'c4 text\\par\r\n"
                           "\\uc1\\u27700?\\u-30\\'3f end\\tab\\{\\}\\\\\\par}";
    EXPECT_EQ(m4::rtfPlainText(rtf), QString("中文 text\n水") + QChar(0xFFE2) + " end\t{}\\\n");
}

TEST(RtfTest, BoldRunsFollowGroupsAndSwitches) {
    QString marked;
    for (const auto& run : m4::parseRtf("{\\rtf1 a{\\b b}c\\b d\\b0 e\\b1 f\\plain g{\\b h}h}"))
        marked += run.bold ? "[" + run.text + "]" : run.text;
    EXPECT_EQ(marked, "a[b]c[d]e[f]g[h]h");
}

TEST(RtfTest, OurIntroductionReadsAsChineseParagraphs) {
    QFile intro(QString(M4_RESOURCES) + "/M-4Intro.rtf");
    ASSERT_TRUE(intro.open(QIODevice::ReadOnly));
    const QString text = m4::rtfPlainText(intro.readAll());
    EXPECT_TRUE(text.startsWith("青岚七号综合分析器（M-4）\n\n一、程序做什么\n"));
    EXPECT_TRUE(text.contains("四阶龙格—库塔法"));
    EXPECT_FALSE(text.contains("宋体"));
    EXPECT_FALSE(text.contains("\\"));
}

} // namespace
