// The start-up checks after the language: the Windows version, the setup's
// own folder as current directory, and a newer version already installed.
#include "start_up.h"

namespace {

using namespace startup;

const char OldWindowsText[] =
    "Nimbalune cannot work perfectly with Windows 3.x, it works well with Windows 95 or 98. "
    "However, you could try it. (at your own risk)";

class StartChecks : public StartUp {};

TEST_F(StartChecks, OldWindowsIsAskedAboutWithNoAsDefault)
{
    InstallNewerVersion();
    {
        SetupWindowsVersion version("win31");
        StartAndChoose("enu", IDYES);
        MessageBoxInfo box = WaitForMessageBox(process.id);
        ASSERT_NE(box.handle, nullptr);
        EXPECT_EQ(box.caption, Captions[English]);
        EXPECT_EQ(box.text, OldWindowsText);
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(box.defaultButton, IDNO);
        EXPECT_TRUE(box.hasIcon);
        Answer(box, IDNO);
        EXPECT_EQ(WaitForExit(process), 1);
        Close(process);

        StartAndChoose("enu", IDYES);
        box = WaitForMessageBox(process.id);
        ASSERT_EQ(box.text, OldWindowsText);
        Answer(box, IDYES);
        ExpectNewerVersionQuestion(English);
        Close(process);
    }
    for (const char *name : {"win95", "win98"}) {
        SCOPED_TRACE(name);
        SetupWindowsVersion version(name);
        StartAndChoose("fra", IDYES);
        ExpectNewerVersionQuestion(French);
        Close(process);
    }
}

TEST_F(StartChecks, NewerVersionByResourceOrByTimeOfDay)
{
    struct InstalledCase {
        const char *label;
        WORD version[4];        // no version resource when all are 0
        WORD hour, minute;
        bool asked;
    };
    const InstalledCase cases[] = {
        {"1.1.0.0", {1, 1, 0, 0}, 0, 0, false},
        {"1.1.9.9", {1, 1, 9, 9}, 0, 0, false},
        {"1.2.0.0", {1, 2, 0, 0}, 0, 0, true},
        {"2.0.0.0", {2, 0, 0, 0}, 0, 0, true},
        {"no resource, 14:30", {0, 0, 0, 0}, 14, 30, true},
        {"no resource, 00:59", {0, 0, 0, 0}, 0, 59, false},
    };
    std::string installed = nltest::JoinPath(medium.folder(), "nimbalun.exe");
    SetProgram(installed);
    for (const InstalledCase &c : cases) {
        SCOPED_TRACE(c.label);
        if (c.version[0])
            ASSERT_TRUE(nltest::WriteVersionedProgram(installed, c.version[0], c.version[1], c.version[2],
                                                      c.version[3]));
        else
            ASSERT_TRUE(nltest::WriteFileBytes(installed, "MZ without a version resource"));
        ASSERT_TRUE(nltest::SetLocalWriteTime(installed, c.hour, c.minute, 0));
        StartAndChoose("enu", IDYES);
        if (c.asked)
            ExpectNewerVersionQuestion(English);
        else
            ExpectNoFurtherQuestion();
        Close(process);
    }

    // Yes installs over the newer version: the setup goes on.
    ASSERT_TRUE(nltest::WriteVersionedProgram(installed, 2, 0, 0, 0));
    StartAndChoose("enu", IDYES);
    MessageBoxInfo box = WaitForMessageBox(process.id);
    ASSERT_EQ(box.text, nltest::Cp1252(NewerVersionTexts[English]));
    Answer(box, IDYES);
    ExpectNoFurtherQuestion();
}

TEST_F(StartChecks, SetupFolderBecomesTheCurrentDirectory)
{
    // The installed program is named relative to the current directory, so
    // the question comes only if the setup's folder is current. (It has no
    // version resource: the resource query would also search the setup's
    // own folder, the file-time route looks in the current directory only.)
    nltest::TempDir elsewhere("elsewhere");
    std::string installed = nltest::JoinPath(medium.folder(), "nimbalun.exe");
    ASSERT_TRUE(nltest::WriteFileBytes(installed, "MZ without a version resource"));
    ASSERT_TRUE(nltest::SetLocalWriteTime(installed, 14, 30, 0));
    SetProgram("nimbalun.exe");
    StartAndChoose("enu", IDYES, elsewhere.path());
    ExpectNewerVersionQuestion(English);
    // The viewer was started from there.
    CloseWindowsOfClass(ViewerClass);
}

TEST_F(StartChecks, OverlongWinIniValuesAreCutToTheirBuffers)
{
    std::string overlong = "C:\\" + std::string(600, 'x');
    for (const char *key : {nltest::IniFileKey, nltest::ProgramKey, nltest::DirectoryKey})
        WriteProfileStringA(nltest::ProductSection, key, overlong.c_str());
    StartAndChoose("fraXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX", IDYES);
    ExpectNoFurtherQuestion();
    EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::LanguageKey), "0");
}

} // namespace
