// wine-fixture: read_only_drive
// Whole installations under hostile conditions: a previous directory of
// 127 characters and of more, a destination tree that is read-only, a
// destination drive that does not exist and a medium without its
// "Files.ins". Each ends in a notice that says what happened, without a
// crash, and loses nothing that was there.
#include "driver/installation.h"
#include "driver/readback.h"
#include "driver/product_state.h"
#include "support/test_support.h"
#include "support/product_names.h"

#include <gtest/gtest.h>

namespace {

using namespace nldriver;

const std::string Success = nltest::English.doneNotice;

std::string Incomplete(int files)
{
    return "The installation is incomplete: " + std::to_string(files) + " file(s) could not be copied.";
}

class HostileRun : public InstallationTest {
protected:
    void TearDown() override
    {
        InstallationTest::TearDown();
        for (const std::string &directory : extraDirectories)
            nltest::RemoveTree(directory);
    }

    // Installs with "Directory" set as given (none when empty); returns the
    // final box's text after pressing OK and checking how the process ended.
    std::string InstallWithDirectory(const std::string &directory, const std::string &setup = "")
    {
        if (!directory.empty())
            nltest::SetProfile(nltest::ProductSection, nltest::DirectoryKey, directory.c_str());
        return InstallThrough(setup.empty() ? nltest::JoinPath(MediumDir(), "setup.exe") : setup);
    }

    std::vector<std::string> extraDirectories;
};

TEST_F(HostileRun, PreviousDirectoryOf127CharactersAndLonger)
{
    std::string exact = "C:\\" + std::string(124, 'L');
    ASSERT_EQ(exact.size(), 127u);
    extraDirectories.push_back(exact);

    EXPECT_EQ(InstallWithDirectory(exact), Success);
    EXPECT_EQ(TreeDifferences(exact), "");
    EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), exact);
    EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::ProgramKey), exact + "\\nimbalun.exe");
    EXPECT_EQ(ReadShortcut(nltest::JoinPath(ShellFolder("StartUp"), nltest::StartUpLinkName)).target, exact + "\\Nimbalun.exe");
    ForgetProduct();
    nltest::RemoveTree(exact);

    // A longer value is read as its first 127 characters.
    EXPECT_EQ(InstallWithDirectory(exact + "\\AND\\MORE"), Success);
    EXPECT_EQ(TreeDifferences(exact), "");
    EXPECT_FALSE(nltest::DirectoryExists(exact + "\\AND"));
    EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), exact);
}

TEST_F(HostileRun, ReadOnlyTreeAndMissingDriveEndInAWarning)
{
    std::string earlier = nltest::ReadFileText("S:\\NimbaLun\\nimbalun.ini");
    ASSERT_EQ(earlier, "earlier installation\n");
    std::string text = InstallWithDirectory("S:\\NimbaLun");
    EXPECT_EQ(text.substr(0, 32), Incomplete(0).substr(0, 32)) << text;
    EXPECT_NE(text, Incomplete(0));
    EXPECT_EQ(nltest::ReadFileText("S:\\NimbaLun\\nimbalun.ini"), earlier);
    ForgetProduct();

    ASSERT_EQ(GetDriveTypeA("Q:\\"), (UINT)DRIVE_NO_ROOT_DIR);
    text = InstallWithDirectory("Q:\\NimbaLun");
    EXPECT_EQ(text.substr(0, 32), Incomplete(0).substr(0, 32)) << text;
    EXPECT_NE(text, Incomplete(0));
}

TEST_F(HostileRun, MediumWithoutFilesInsEndsInAWarning)
{
    nltest::TempDir copy("nofiles");
    ASSERT_TRUE(CopyTree(MediumDir(), copy.path()));
    nltest::RemoveTree(copy / "Files.ins");
    // The two read-me programs beside setup.exe still arrive; the missing
    // folder is the one thing counted.
    EXPECT_EQ(InstallWithDirectory("", copy / "setup.exe"), Incomplete(1));
    EXPECT_TRUE(nltest::FileExists("C:\\NimbaLun\\Readme.exe"));
}

} // namespace
