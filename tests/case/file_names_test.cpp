#include "case/file_names.h"

#include <gtest/gtest.h>

using namespace m4;

TEST(FileNames, ExtensionsAndRunnableNames) {
    for (const char* name : {"M-4demo.INT", "M-4demo.iNt"})
        EXPECT_TRUE(isRunnableName(name)) << name;
    for (const char* name : {"*.INT", "M-4demo.INTX", "M-4demo_INT", "int", ""})
        EXPECT_FALSE(isRunnableName(name)) << name;
    EXPECT_TRUE(hasCaseExtension("*.INT") && hasCaseExtension("a.int"));
    EXPECT_FALSE(hasCaseExtension("M-4demo"));
    EXPECT_FALSE(hasCaseExtension("a.ınt")); // dotless i is not a case of "i"
}

TEST(FileNames, LoaderRulesAgainstTheProgramCode) {
    for (const char* name : {"M-4demo.INT", "M-4.int", "xx4demo.INT"})
        EXPECT_TRUE(passesLoaderNameRules(name, kProgramCode)) << name;
    // The last three are too short to hold a character before the extension or the code's
    // third character.
    for (const char* name : {"M-4demo-.INT", "M-5demo.INT", ".INT", "4.INT", ""})
        EXPECT_FALSE(passesLoaderNameRules(name, kProgramCode)) << name;
    // A code ending in "-" accepts only names with "-" before the extension.
    EXPECT_TRUE(passesLoaderNameRules("AB-.INT", "AB-"));
    EXPECT_FALSE(passesLoaderNameRules("AB-x.INT", "AB-"));
    EXPECT_TRUE(passesLoaderNameRules("I.INT", "ABI")); // one character before the extension
    EXPECT_FALSE(passesLoaderNameRules("M-4demo.INT", ""));
}

TEST(FileNames, BaseNamesPathsAndTheShortStatusPath) {
    EXPECT_EQ(baseName("M-4demo.INT") + "|" + baseName(".INT") + "|" + baseName("INT"),
              "M-4demo||");
    EXPECT_EQ(joinPath("/data/use", "a.INT"), "/data/use/a.INT");
    EXPECT_EQ(joinPath("/", "a.INT"), "/a.INT");
    // Shortened past thirty characters.
    EXPECT_EQ(shortCasePath("/home/engineer/use", "M-4demo.INT"), "/home/engineer/use/M-4demo.INT");
    EXPECT_EQ(shortCasePath("/home/engineer/use", "M-4demo1.INT"),
              "/home/engineer/.../M-4demo1.INT");
}
