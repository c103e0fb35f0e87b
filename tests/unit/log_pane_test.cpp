// The log pane against a real window: wrapping, control characters,
// scrolling, metrics and the guards of its fixed buffers.
#include "setup/log_pane.h"
#include "setup/main_window.h"
#include "setup/setup_state.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "unit/setup_window.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class LogPaneTest : public nltest::SetupWindowTest {
protected:
    LogPaneTest() : SetupWindowTest("LogPaneTest", 400, 300, WndProc) {}

    void SetUp() override
    {
        SetupWindowTest::SetUp();
        InitSetupState();
    }

    void TearDown() override
    {
        HBRUSH brush = setupContext.backgroundBrush;
        SetupWindowTest::TearDown();
        DeleteObject(brush);
    }

    // Resizes the client area to a number of cells and re-measures.
    void SetClientCells(int columns, int rows)
    {
        LogPaneState state = GetLogPaneState();
        SetClientPixels(columns * state.cellWidth, rows * state.lineHeight);
    }

    void SetClientPixels(int width, int height)
    {
        RECT rect = {0, 0, width, height};
        AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOMOVE);
        UpdateLogMetrics();
    }
};

TEST_F(LogPaneTest, TextFlowsAcrossLinesAndControlCharactersPrintNothing)
{
    SetClientCells(30, 5);
    ASSERT_EQ(GetLogPaneState().visibleColumns, 30);

    // A text longer than the visible columns goes on at the next line.
    LogPrintf("%s", "abcdefghijklmnopqrstuvwxyz0123KLM");
    EXPECT_EQ(nltest::LogRowTrimmed(0), "abcdefghijklmnopqrstuvwxyz0123");
    EXPECT_EQ(nltest::LogRowTrimmed(1), "KLM");

    // "\n" first ends the current line; CR and tab print nothing.
    LogPrintf("\na\r\n\tb");
    EXPECT_EQ(nltest::LogRowTrimmed(2), "a");
    EXPECT_EQ(nltest::LogRowTrimmed(3), "b");
    EXPECT_EQ(GetLogPaneState().cursorColumn, 1);
}

TEST_F(LogPaneTest, AccentedCharactersAreStoredAndDrawn)
{
    SetClientCells(20, 5);
    LogPrintf("%c", 233);
    EXPECT_EQ((unsigned char)nltest::LogRow(0)[0], 233);

    // The character reaches the screen: the cell differs from a blank one.
    LogPaneState state = GetLogPaneState();
    HDC dc = GetDC(window);
    bool inked = false;
    COLORREF background = GetPixel(dc, state.cellWidth * 5, state.lineHeight / 2);
    for (int x = 0; x < state.cellWidth && !inked; ++x)
        for (int y = 0; y < state.lineHeight && !inked; ++y)
            inked = GetPixel(dc, x, y) != background;
    ReleaseDC(window, dc);
    EXPECT_TRUE(inked);
}

TEST_F(LogPaneTest, OneLinePastTheBottomScrollsAndLosesTheTopLine)
{
    SetClientCells(20, 3);
    ASSERT_EQ(GetLogPaneState().visibleRows, 3);
    LogPrintf("one\ntwo\nthree");
    EXPECT_EQ(nltest::LogRowTrimmed(0), "one");
    LogPrintf("\nfour");
    EXPECT_EQ(nltest::LogRowTrimmed(0), "two");
    EXPECT_EQ(nltest::LogRowTrimmed(1), "three");
    EXPECT_EQ(nltest::LogRowTrimmed(2), "four");
    EXPECT_EQ(GetLogPaneState().cursorRow, 2);
}

TEST_F(LogPaneTest, VisibleColumnsFollowTheClientWidthUpToTheGrid)
{
    LogPaneState state = GetLogPaneState();
    ASSERT_GT(state.cellWidth, 0);
    SetClientPixels(80 * state.cellWidth, 10 * state.lineHeight);
    EXPECT_EQ(GetLogPaneState().visibleColumns, 80);
    SetClientPixels(112 * state.cellWidth + state.cellWidth / 2, 60 * state.lineHeight);
    EXPECT_EQ(GetLogPaneState().visibleColumns, LogColumns);
    EXPECT_EQ(GetLogPaneState().visibleRows, LogRows);

    // WM_SIZE re-measures by itself.
    SetWindowPos(window, nullptr, 0, 0, 200, 200, SWP_NOZORDER | SWP_NOMOVE);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(GetLogPaneState().visibleColumns, client.right / state.cellWidth);
}

TEST_F(LogPaneTest, AnEmptyClientAreaKeepsEveryWriteInsideTheGrid)
{
    ShowWindow(window, SW_MINIMIZE);
    UpdateLogMetrics();
    LogPaneState state = GetLogPaneState();
    ASSERT_EQ(state.visibleRows, 0);
    ASSERT_EQ(state.visibleColumns, 0);
    for (int i = 0; i < 200; ++i)
        LogPrintf("line %d of text\n", i);
    state = GetLogPaneState();
    EXPECT_GE(state.cursorRow, 0);
    EXPECT_LT(state.cursorRow, LogRows);
    EXPECT_GE(state.cursorColumn, 0);
    EXPECT_LT(state.cursorColumn, LogColumns);

    // Back to a normal size, writing goes on normally.
    ShowWindow(window, SW_RESTORE);
    SetClientCells(30, 5);
    LogPrintf("\nback");
    EXPECT_EQ(nltest::LogRowTrimmed(GetLogPaneState().cursorRow), "back");
}

TEST_F(LogPaneTest, AResultLongerThanTheBufferIsCutAt499Characters)
{
    SetClientCells(100, 40);
    std::string longText(600, 'x');
    EXPECT_EQ(LogPrintf("%s", longText.c_str()), 1);
    EXPECT_EQ(std::string(GetLogPaneState().buffer).size(), (size_t)LogBufferSize - 1);
}

TEST_F(LogPaneTest, PaintingDrawsTheGrid)
{
    SetClientCells(20, 4);
    LogPrintf("\n\nXYZ");
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    EXPECT_EQ(nltest::LogRowTrimmed(2), "XYZ");
}

} // namespace
