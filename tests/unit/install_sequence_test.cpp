// wine-fixture: drives
// The install sequence in-process, from the sample medium: what it writes
// into the log pane, the heading each copy shows, how it treats paths that
// cannot be made and what it counts and names when files cannot be copied.
#include "install/install_sequence.h"
#include "setup/log_pane.h"
#include "setup/setup_state.h"
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "install/file_copier.h"
#include "install/progress_window.h"
#include "driver/product_state.h"
#include "support/test_support.h"
#include "unit/setup_window.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const int NoHeading = 0;

// The copies in the order they are made: where each goes, and the heading
// its progress window opens on.
struct CopyRow {
    const char *destination;
    int heading;
};
const CopyRow CopyRows[] = {
    {"", NoHeading},                                    // Readme.exe
    {"", NoHeading},                                    // Lisezmoi.exe
    {"", CopyKernelHeading},
    {"Instruct.htm", CopyEnglishHeading},
    {"Instruct.htm\\English.htm", CopyEnglishHeading},
    {"Instruct.htm\\Francais.htm", CopyEnglishHeading},
    {"Instruct.htm\\Images", CopyEnglishHeading},
    {"Instruct.htm\\Images\\English", CopyEnglishHeading},
    {"Instruct.htm\\Images\\Francais", CopyEnglishHeading},
    {"Instruct.rtf", CopyFrenchHeading},
    {"Instruct.rtf\\English.rtf", CopyFrenchHeading},
    {"Instruct.rtf\\Francais.rtf", CopyFrenchHeading},
    {"Instruct.rtf\\Images", CopyFrenchHeading},
    {"sources", NoHeading},
    {"original.jpg", CopyPicturesHeading},
};

// The text of the first paint of every progress window: its heading alone.
std::vector<std::string> openingTexts;
HWND openingWindow;

LRESULT CALLBACK WatchOpenings(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *message = (const CWPRETSTRUCT *)lParam;
    char name[64] = {};
    if (code == HC_ACTION && GetClassNameA(message->hwnd, name, sizeof name) && lstrcmpA(name, ProgressClassName) == 0) {
        if (message->message == WM_CREATE) {
            openingWindow = message->hwnd;
        } else if (message->message == WM_PAINT && message->hwnd == openingWindow) {
            const char *text = GetProgressState().text;
            openingTexts.push_back(text ? text : "");
            openingWindow = nullptr;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class InstallSequence : public nltest::SetupWindowTest {
protected:
    InstallSequence() : SetupWindowTest("InstallSequenceTest", 900, 700) {}

    void SetUp() override
    {
        nldriver::ForgetProduct();
        SetupWindowTest::SetUp();
                nltest::SetProfile("Intl", "sLanguage", "enu");
        InitMessageCatalogue();
        previousDirectory = nltest::CurrentDirectory();
        SetCurrentDirectoryA(nltest::JoinPath(nltest::BuildDir(), "medium").c_str());
        InitSetupState();
    }

    void TearDown() override
    {
        MSG message;
        PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        SetCurrentDirectoryA(previousDirectory.c_str());
        SetupWindowTest::TearDown();
        nldriver::CloseProductWindows();
        nldriver::ForgetProduct();
        nltest::RemoveTree("D:\\APPS");
    }

    static std::string GridText()
    {
        std::string text;
        for (int row = 0; row < LogRows; ++row)
            text += nltest::LogRowTrimmed(row) + "\n";
        return text;
    }

    std::string previousDirectory;
};

TEST_F(InstallSequence, LogsTheDirectoryFinishesAndEndsTheLoop)
{
    setupContext.selectedDrive = 'C';
    openingTexts.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchOpenings, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    RunInstallSequence();
    UnhookWindowsHookEx(hook);
    std::string grid = GridText();
    EXPECT_EQ(grid.substr(0, grid.find('\n')), "Installation directory:\"C:\\NimbaLun\".");
    ASSERT_EQ(openingTexts.size(), std::size(CopyRows));
    for (size_t row = 0; row < openingTexts.size(); ++row) {
        const CopyRow &expected = CopyRows[row];
        std::string heading = expected.heading == NoHeading ? "" : MessageText(expected.heading);
        EXPECT_EQ(openingTexts[row], heading.substr(0, HeadingLimit)) << "copy into \"" << expected.destination << "\"";
    }
    EXPECT_STREQ(setupContext.installDir, "C:\\NimbaLun");
    EXPECT_EQ(setupContext.installDone, 1);
    EXPECT_EQ(CountFailedCopies(), 0);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(InstallSequence, APlainFileNamedLikeAnObsoleteTreeStays)
{
    ASSERT_TRUE(nltest::MakeDirectories("C:\\NimbaLun"));
    nltest::WriteFileBytes("C:\\NimbaLun\\english.txt", "a file of the user's");
    setupContext.selectedDrive = 'C';
    RunInstallSequence();
    EXPECT_EQ(nltest::ReadFileText("C:\\NimbaLun\\english.txt"), "a file of the user's");
}

TEST_F(InstallSequence, ADirectoryThatCannotBeMadeIsStillRecordedButCountsItsFiles)
{
    // The previous directory's parent does not exist on the chosen drive.
    lstrcpyA(setupContext.installDir, "D:\\APPS\\NIMBALUN");
    setupContext.selectedDrive = 'D';
    RunInstallSequence();
    EXPECT_FALSE(nltest::DirectoryExists("D:\\APPS\\NIMBALUN"));
    EXPECT_EQ(nltest::GetProfile(ProductSection, DirectoryKey), "D:\\APPS\\NIMBALUN");
    EXPECT_EQ(nltest::GetProfile(ProductSection, ProgramKey), "D:\\APPS\\NIMBALUN\\nimbalun.exe");
    EXPECT_GT(CountFailedCopies(), 20);
    EXPECT_EQ(setupContext.installDone, 1);
}

TEST_F(InstallSequence, PathsThatDoNotFitBehindTheDirectoryAreLeftOutNotCut)
{
    // 253 characters: every suffix pushes the path past 255.
    std::string directory = "C:\\" + std::string(250, 'n');
    lstrcpyA(setupContext.installDir, directory.c_str());
    setupContext.selectedDrive = 'C';
    RunInstallSequence();
    EXPECT_EQ(nltest::GetProfile(ProductSection, DirectoryKey), directory);
    EXPECT_EQ(nltest::GetProfile(ProductSection, ProgramKey), "");
    EXPECT_GT(CountFailedCopies(), 14);
    EXPECT_FALSE(nltest::DirectoryExists(directory + "\\a"));
    nltest::RemoveTree(directory);
}

TEST_F(InstallSequence, FilesThatDoNotFitAreCountedAndNamedInTheLog)
{
    setupContext.selectedDrive = 'H';
    RunInstallSequence();
    int failed = CountFailedCopies();
    EXPECT_GT(failed, 0);
    std::string grid = GridText();
    // The log pane shows the last lines: at least one failed file's name.
    EXPECT_NE(grid.find("H:\\NimbaLun\\"), std::string::npos) << grid;
}

} // namespace
