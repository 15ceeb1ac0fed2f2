#include "case/file_names.h"

#include <gtest/gtest.h>

using namespace m4;

TEST(FileNames, RunnableAndSavableNames) {
    EXPECT_TRUE(isRunnableName("M-4demo.INT"));
    EXPECT_TRUE(isRunnableName("M-4demo.iNt"));
    EXPECT_FALSE(isRunnableName("*.INT"));
    EXPECT_FALSE(isRunnableName("M-4demo.INTX"));
    EXPECT_FALSE(isRunnableName("int"));
    EXPECT_FALSE(isRunnableName(""));
    EXPECT_TRUE(hasCaseExtension("*.INT"));
    EXPECT_TRUE(hasCaseExtension("a.int"));
    EXPECT_FALSE(hasCaseExtension("M-4demo"));
    EXPECT_FALSE(hasCaseExtension("a.ınt")); // dotless i is not a case of "i"
}

TEST(FileNames, LoaderRulesAgainstTheProgramCode) {
    EXPECT_TRUE(passesLoaderNameRules("M-4demo.INT", kProgramCode));
    EXPECT_TRUE(passesLoaderNameRules("M-4.int", kProgramCode));
    EXPECT_TRUE(passesLoaderNameRules("xx4demo.INT", kProgramCode));
    EXPECT_FALSE(passesLoaderNameRules("M-4demo-.INT", kProgramCode));
    EXPECT_FALSE(passesLoaderNameRules("M-5demo.INT", kProgramCode));
    // Too short to hold a character before the extension or the code's third character.
    EXPECT_FALSE(passesLoaderNameRules(".INT", kProgramCode));
    EXPECT_FALSE(passesLoaderNameRules("4.INT", kProgramCode));
    EXPECT_FALSE(passesLoaderNameRules("", kProgramCode));
    // A code ending in "-" accepts only names with "-" before the extension.
    EXPECT_TRUE(passesLoaderNameRules("AB-.INT", "AB-"));
    EXPECT_FALSE(passesLoaderNameRules("AB-x.INT", "AB-"));
    EXPECT_FALSE(passesLoaderNameRules("M-4demo.INT", ""));
}

TEST(FileNames, BaseNamesAndPaths) {
    EXPECT_EQ(baseName("M-4demo.INT"), "M-4demo");
    EXPECT_EQ(baseName(".INT"), "");
    EXPECT_EQ(baseName("INT"), "");
    EXPECT_EQ(joinPath("/data/use", "a.INT"), "/data/use/a.INT");
    EXPECT_EQ(joinPath("/", "a.INT"), "/a.INT");
    EXPECT_TRUE(hasFolderSeparator("a/b.INT"));
    EXPECT_TRUE(hasFolderSeparator("a\\b.INT"));
    EXPECT_FALSE(hasFolderSeparator("M-4demo.INT"));
}

TEST(FileNames, StatusPathIsShortenedPastThirtyCharacters) {
    EXPECT_EQ(shortCasePath("/home/engineer/use", "M-4demo.INT"), "/home/engineer/use/M-4demo.INT");
    EXPECT_EQ(shortCasePath("/home/engineer/use", "M-4demo1.INT"),
              "/home/engineer/.../M-4demo1.INT");
}
