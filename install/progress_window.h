// The progress window shown while files are copied.
#ifndef NIMBALUNE_PROGRESS_WINDOW_H
#define NIMBALUNE_PROGRESS_WINDOW_H

#include <windows.h>

void ReportProgress(int percent, HWND owner, const char *title, const char *text);
LRESULT CALLBACK ProgressWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
