#include "case/program_folders.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace m4;

namespace {

/// A temporary folder with files and folders made by their paths below it.
class ProgramFoldersTest : public ::testing::Test {
  protected:
    QString path(const QString& relative) const { return dir_.filePath(relative); }
    void makeFolders(const QStringList& relatives) const {
        for (const QString& relative : relatives) ASSERT_TRUE(QDir(dir_.path()).mkpath(relative));
    }
    void write(const QString& relative, const QByteArray& bytes) const {
        ASSERT_TRUE(m4test::writeFile(path(relative), bytes));
    }
    QByteArray read(const QString& relative) const { return m4test::fileBytes(path(relative)); }

    QTemporaryDir dir_;
};

TEST_F(ProgramFoldersTest, BesideTheProgramWhenThereElseInstalledAndTheUsersOwn) {
    // A build tree or a portable copy.
    makeFolders({"tree/bin", "tree/use", "tree/rtf"});
    ProgramFolders found = locateProgramFolders(path("tree/bin"), path("data"));
    EXPECT_EQ(found.caseFolder, path("tree/use"));
    EXPECT_EQ(found.resourceFolder, path("tree/rtf"));
    EXPECT_FALSE(found.perUser);

    // Installed under a prefix: nothing beside the program but share/m4 next to bin/; files
    // named use and rtf are no folders.
    makeFolders({"usr/bin", "usr/share/m4"});
    write("usr/use", "");
    write("usr/rtf", "");
    found = locateProgramFolders(path("usr/bin"), path("data"));
    EXPECT_EQ(found.caseFolder, path("data/M-4/use"));
    EXPECT_EQ(found.resourceFolder, path("usr/share/m4"));
    EXPECT_TRUE(found.perUser);
    EXPECT_FALSE(QFileInfo::exists(path("data"))) << "looking made a folder";
}

// Sibling folders replace the last three characters whatever they are; folders within the home
// are shown from "~".
TEST(ProgramFolders, SiblingFoldersAndFoldersShownFromTheHome) {
    EXPECT_EQ(siblingFolder("D:\\calc\\bin", "use"), "D:\\calc\\use");
    EXPECT_EQ(siblingFolder("/opt/prog/bin", "rtf"), "/opt/prog/rtf");
    EXPECT_EQ(siblingFolder("/opt/m4/program", "use"), "/opt/m4/proguse");
    EXPECT_EQ(siblingFolder("ab", "use"), "use");
    const QString home = QDir::homePath();
    EXPECT_EQ(shownFolder(home + "/.local/share/M-4/use"), "~/.local/share/M-4/use");
    EXPECT_EQ(shownFolder(home), "~");
    EXPECT_EQ(shownFolder(home + "er/use"), home + "er/use");
    EXPECT_EQ(shownFolder("/opt/m4/use"), "/opt/m4/use");
}

TEST(ProgramFolders, UserDataFolderIgnoresARelativeXdgDataHome) {
    const QByteArray before = qgetenv("XDG_DATA_HOME");
    const QString fallback = QDir::homePath() + "/.local/share";
    const std::pair<const char*, QString> cases[] = {
        {"/srv/engineer/data/", "/srv/engineer/data"}, {"data", fallback}, {"", fallback}};
    for (const auto& [value, expected] : cases) {
        qputenv("XDG_DATA_HOME", value);
        EXPECT_EQ(userDataFolder(), expected) << value;
    }
    qputenv("XDG_DATA_HOME", before);
}

TEST_F(ProgramFoldersTest, FirstStartMakesAPrivateFolderWithTheExamplesLaterStartsLeaveItBe) {
    makeFolders({"usr/bin", "usr/share/m4/examples", "home"});
    write("usr/share/m4/examples/M-4A.INT", "example a");
    write("usr/share/m4/examples/M-4B.INT", "example b");
    const ProgramFolders made = prepareProgramFolders(path("usr/bin"), path("home/.local/share"));
    EXPECT_EQ(made.caseFolder, path("home/.local/share/M-4/use"));
    EXPECT_EQ(QDir(made.caseFolder).entryList(QDir::Files), (QStringList{"M-4A.INT", "M-4B.INT"}));
    EXPECT_EQ(read("home/.local/share/M-4/use/M-4B.INT"), "example b");
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    // The bits of "the current user" repeat those of the owner.
    const QFileDevice::Permissions currentUser(0x0700);
    for (const char* folder : {"home/.local", "home/.local/share/M-4", "home/.local/share/M-4/use"})
        EXPECT_EQ(QFileInfo(path(folder)).permissions() & ~currentUser, ownerOnly) << folder;

    // The user's edits and deletions stand.
    write("home/.local/share/M-4/use/M-4A.INT", "mine");
    ASSERT_TRUE(QFile::remove(path("home/.local/share/M-4/use/M-4B.INT")));
    prepareProgramFolders(path("usr/bin"), path("home/.local/share"));
    EXPECT_EQ(read("home/.local/share/M-4/use/M-4A.INT"), "mine");
    EXPECT_EQ(read("home/.local/share/M-4/use/M-4B.INT"), "(missing)");
}

} // namespace
