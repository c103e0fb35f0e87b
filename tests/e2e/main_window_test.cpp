// setup.exe started as a program: its window, and the ways it ends.
#include "driver/driver.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace nldriver;

std::string SetupPath()
{
    return nltest::JoinPath(nltest::BuildDir(), "setup.exe");
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        process = Launch("\"" + SetupPath() + "\"");
        ASSERT_TRUE(process.handle) << "cannot start " << SetupPath();
        window = WaitForWindowTitled(process.id, "SETUP Nimbalune 1.1");
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { Close(process); }

    Process process;
    HWND window = nullptr;
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
    std::string expected = SetupPath().substr(0, 64);
    EXPECT_EQ(lstrcmpiA(info.className.c_str(), expected.c_str()), 0) << info.className;
    Screenshot("main-window");
}

TEST_F(MainWindow, ClosingTheWindowEndsWithCodeZero)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(process), 0);
}

TEST_F(MainWindow, EndOfSessionEndsWithCodeZero)
{
    SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    EXPECT_EQ(WaitForExit(process), 0);
}

TEST_F(MainWindow, EscapeEndsWithCodeOne)
{
    TypeChar(window, 27);
    EXPECT_EQ(WaitForExit(process), 1);
}

} // namespace
