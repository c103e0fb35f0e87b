// The progress window shown while files are copied.
#ifndef NIMBALUNE_PROGRESS_WINDOW_H
#define NIMBALUNE_PROGRESS_WINDOW_H

#include <windows.h>

extern const char ProgressClassName[];

// The percentage of a whole copy: a report of it closes the window.
enum { FullPercent = 100 };

void ReportProgress(int percent, HWND owner, const char *title, const char *text);
LRESULT CALLBACK ProgressWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
