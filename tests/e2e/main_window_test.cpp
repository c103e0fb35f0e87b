// setup.exe started as a program: its window, and the ways it ends.
#include "start_up.h"

namespace {

using namespace startup;

class MainWindow : public StartUp {
protected:
    void SetUp() override
    {
        StartUp::SetUp();
        // The language question comes first, before anything moves.
        ASSERT_NO_FATAL_FAILURE(Start("enu", question));
    }
    void AnswerTheLanguageQuestion() { Answer(question, IDYES); }

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
