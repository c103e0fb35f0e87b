// The main window that unit tests give the program: a window of a class of
// the test's own, wired into a fresh setupContext and destroyed afterwards.
#ifndef NIMBALUNE_UNIT_SETUP_WINDOW_H
#define NIMBALUNE_UNIT_SETUP_WINDOW_H

#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "setup/log_pane.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace nltest {

// Registers the class (once per name) and creates a shown window of it.
inline HWND MakeTestWindow(const char *className, int width, int height, WNDPROC procedure = DefWindowProcA,
                           const char *title = "SETUP Nimbalune 1.1")
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

// One row of the log pane's grid, and the same without its trailing blanks.
inline std::string LogRow(int row)
{
    return std::string(GetLogPaneState().grid + row * LogColumns, LogColumns);
}
inline std::string LogRowTrimmed(int row)
{
    std::string text = LogRow(row);
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

// A fresh setupContext whose main window is a test window of this size.
class SetupWindowTest : public ::testing::Test {
protected:
    SetupWindowTest(const char *className, int width, int height, WNDPROC procedure = DefWindowProcA)
        : className_(className), width_(width), height_(height), procedure_(procedure)
    {
    }

    void SetUp() override
    {
        ResetProgramState();
        setupContext.instance = GetModuleHandleA(nullptr);
        window = MakeTestWindow(className_, width_, height_, procedure_);
        ASSERT_NE(window, nullptr);
        setupContext.mainWindow = window;
    }

    void TearDown() override
    {
        // Not through WndProc's WM_DESTROY of the main window, which would
        // end the process.
        setupContext.mainWindow = nullptr;
        DestroyWindow(window);
    }

    HWND window = nullptr;

private:
    const char *className_;
    int width_, height_;
    WNDPROC procedure_;
};

} // namespace nltest

#endif
