// The progress window shown while files are copied.
#ifndef NIMBALUNE_PROGRESS_WINDOW_H
#define NIMBALUNE_PROGRESS_WINDOW_H

#include <windows.h>

extern const char ProgressClassName[];

void ReportProgress(int percent, HWND owner, const char *title, const char *text);
LRESULT CALLBACK ProgressWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Read access for the tests: what the latest report asked the window to show.
struct ProgressState {
    int percent;
    const char *text;
    HWND window;                // null while no progress window is open
};
ProgressState GetProgressState();

#endif
