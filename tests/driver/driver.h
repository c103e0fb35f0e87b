// The end-to-end test driver: starts programs, finds their windows, reads
// and answers their message boxes, types keys and takes screenshots, as a
// person in front of the screen would.
#ifndef NIMBALUNE_DRIVER_H
#define NIMBALUNE_DRIVER_H

#include "support/test_support.h"

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace nldriver {

// A started program.
struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

// Starts a command line in a working directory ("" for the driver's own).
Process Launch(const std::string &commandLine, const std::string &directory = "");
// Waits for the process to end; returns its exit code, or -1 on time-out.
int WaitForExit(const Process &process, DWORD timeoutMs = nltest::PatientMs);
bool IsRunning(const Process &process);
void Kill(const Process &process);
void Close(Process &process);
// The command line a process was started with, as it was written.
std::string CommandLineOf(DWORD processId);

// One top-level window as a person sees it.
struct WindowInfo {
    HWND handle = nullptr;
    DWORD processId = 0;
    std::string className;
    std::string title;
    RECT rect = {};
    HWND owner = nullptr;
    bool visible = false;
};
WindowInfo Describe(HWND window);
// The visible top-level windows, of one process (0: of every process).
std::vector<WindowInfo> TopWindows(DWORD processId = 0);
// Whether a window lies at x, y with this size, on the screen.
bool HasRect(HWND window, int x, int y, int width, int height);
// Writes the top-level windows, with their rectangles, to standard output.
void LogWindows(const char *label, DWORD processId = 0);

// Polls until the predicate finds a window of the process; null on time-out.
HWND WaitForWindow(DWORD processId, const std::function<bool(const WindowInfo &)> &match,
                   DWORD timeoutMs = nltest::PatientMs);
HWND WaitForWindowTitled(DWORD processId, const std::string &title, DWORD timeoutMs = nltest::PatientMs);
using nltest::WaitUntil;

// A message box: caption, text, its buttons and which one is the default.
struct MessageBoxInfo {
    HWND handle = nullptr;
    HWND owner = nullptr;
    std::string caption;
    std::string text;             // as the program wrote it (Windows-1252)
    std::vector<int> buttons;     // IDOK, IDYES, IDNO, ...
    int defaultButton = 0;
    bool hasIcon = false;
};
bool IsMessageBox(HWND window);
MessageBoxInfo ReadMessageBox(HWND box);
// Reads a box once its text and buttons are there: it shows a moment
// before they are set.
MessageBoxInfo ReadMessageBoxWhenWritten(HWND box);
// Waits for a message box of the process; its handle is null on time-out.
MessageBoxInfo WaitForMessageBox(DWORD processId, DWORD timeoutMs = nltest::PatientMs);
// Presses one button of a message box (IDYES, IDNO, IDOK ...).
void Answer(const MessageBoxInfo &box, int button);
// Waits until the box has gone.
bool WaitGone(HWND window, DWORD timeoutMs = nltest::PatientMs);

// Keyboard and clicks.
void TypeChar(HWND window, char character);
void PressButton(HWND button);

// Children of a window, by class name ("" for any).
std::vector<HWND> Children(HWND parent, const std::string &className = "");
std::string TextOf(HWND window);

// Saves the whole screen as build/screenshots/NAME.png and returns the path.
std::string Screenshot(const std::string &name);
// The whole screen's pixels, to compare with a later look.
std::string ScreenPixels();

} // namespace nldriver

#endif
