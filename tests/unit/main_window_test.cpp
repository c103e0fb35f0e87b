// The main window's procedure and the shared state, in-process.
#include "setup/main_window.h"
#include "setup/setup_state.h"
#include "destination/destination_panel.h"
#include "desktop/instructions_viewer.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "setup/log_pane.h"
#include "unit/setup_window.h"

#include <gtest/gtest.h>

namespace {

HWND CreateTestWindow(const char *className)
{
    return nltest::MakeTestWindow(className, 300, 200, WndProc);
}

TEST(SetupState, StartsWithTheDocumentedValues)
{
    ResetProgramState();
    EXPECT_STREQ(setupContext.installDir, "f:\\NimbaLun");
    EXPECT_EQ(setupContext.selectedDrive, 'C');
    EXPECT_EQ(setupContext.language, 0);
    EXPECT_EQ(setupContext.installDone, 0);
    EXPECT_EQ(GetViewerWatch().timerId, 0u);
}

TEST(SetupState, WindowsVersionPutsTheMajorNumberInTheHighByte)
{
    ResetProgramState();
    InitSetupState();
    DWORD version = GetVersion();
    EXPECT_EQ(setupContext.windowsVersion >> 8, (int)(version & 0xFF));
    EXPECT_EQ(setupContext.windowsVersion & 0xFF, (int)((version >> 8) & 0xFF));
    DeleteObject(setupContext.backgroundBrush);
}

TEST(MainWindowProcedure, DestroyOfAnotherWindowDoesNotEndTheProcess)
{
    ResetProgramState();
    HWND main = CreateTestWindow("MainWindowTestA");
    HWND other = CreateTestWindow("MainWindowTestB");
    setupContext.mainWindow = main;
    // Reaching the next line at all shows the process went on.
    DestroyWindow(other);
    EXPECT_FALSE(IsWindow(other));
    setupContext.mainWindow = nullptr;
    DestroyWindow(main);
}

TEST(MainWindowProcedure, OnlyTheTwoSetupBranchesAreHandledThere)
{
    // The start button's branch runs the whole installation; the end-to-end
    // tests press it.
    ResetProgramState();
    EXPECT_EQ(HandleSetupMessage(nullptr, WM_TIMER, ViewerTimerId, 0), MessageHandled);
    EXPECT_EQ(HandleSetupMessage(nullptr, WM_COMMAND, StartButtonId + 1, 0), 0u);
    EXPECT_EQ(HandleSetupMessage(nullptr, WM_COMMAND, MAKEWPARAM(StartButtonId, 1), 0), 0u);
    EXPECT_EQ(HandleSetupMessage(nullptr, WM_TIMER, 1, 0), 0u);
    EXPECT_EQ(HandleSetupMessage(nullptr, WM_PAINT, 0, 0), 0u);
}

TEST(MainWindowProcedure, CleanUpTwiceDoesNothingTheSecondTime)
{
    ResetProgramState();
    HWND main = CreateTestWindow("MainWindowTestC");
    setupContext.mainWindow = main;
    WatchForViewer(33, 0, 0, 100, 100);
    ASSERT_NE(GetViewerWatch().timerId, 0u);
    CleanUpSetup();
    EXPECT_EQ(GetViewerWatch().timerId, 0u);
    // The timer is really gone: there is none left to stop, and no
    // WM_TIMER is waiting.
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, main, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_FALSE(KillTimer(main, ViewerTimerId));
    CleanUpSetup();
    EXPECT_EQ(GetViewerWatch().timerId, 0u);
    setupContext.mainWindow = nullptr;
    DestroyWindow(main);
}

} // namespace
