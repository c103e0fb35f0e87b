// setup.exe started as a program: its window, and the ways it ends.
#include "driver/distribution.h"
#include "driver/driver.h"
#include "support/test_support.h"
#include "support/product_names.h"

#include <gtest/gtest.h>

namespace {

using namespace nldriver;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        language.Set("enu");
        viewer.UseTestViewer();
        process = medium.Launch();
        ASSERT_TRUE(process.handle) << "cannot start " << medium.SetupPath();
        window = WaitForWindowTitled(process.id, "SETUP Nimbalune 1.1");
        ASSERT_NE(window, nullptr);
        // The language question comes first, before anything moves.
        question = WaitForMessageBox(process.id);
        ASSERT_NE(question.handle, nullptr);
    }
    void TearDown() override
    {
        Close(process);
        CloseWindowsOfClass(ViewerClass);
    }
    void AnswerTheLanguageQuestion() { Answer(question, IDYES); }

    nltest::SavedLanguageSetting language;
    nltest::SavedProfileValue chosen{nltest::ProductSection, nltest::LanguageKey};
    HtmlAssociation viewer;
    Distribution medium;
    Process process;
    HWND window = nullptr;
    MessageBoxInfo question;
};

TEST_F(MainWindow, IsTitledPlacedAndSizedFromTheDialogBaseUnits)
{
    WindowInfo info = Describe(window);
    EXPECT_EQ(info.title, "SETUP Nimbalune 1.1");
    EXPECT_EQ(info.rect.left, 0);
    EXPECT_EQ(info.rect.top, 0);
    LONG units = GetDialogBaseUnits();
    EXPECT_EQ(info.rect.right - info.rect.left, LOWORD(units) * 512 / 8);
    EXPECT_EQ(info.rect.bottom - info.rect.top, HIWORD(units) * 360 / 16);

    // The class is named after the program's path, cut to 64 characters.
    std::string expected = medium.SetupPath().substr(0, 64);
    EXPECT_EQ(lstrcmpiA(info.className.c_str(), expected.c_str()), 0) << info.className;
    EXPECT_EQ(question.owner, window);
    Screenshot("main-window");
}

TEST_F(MainWindow, ClosingTheWindowEndsWithCodeZero)
{
    AnswerTheLanguageQuestion();
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(process), 0);
}

TEST_F(MainWindow, EndOfSessionEndsWithCodeZero)
{
    AnswerTheLanguageQuestion();
    SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    EXPECT_EQ(WaitForExit(process), 0);
}

TEST_F(MainWindow, EscapeEndsWithCodeOne)
{
    AnswerTheLanguageQuestion();
    TypeChar(window, 27);
    EXPECT_EQ(WaitForExit(process), 1);
}

} // namespace
