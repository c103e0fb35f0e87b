// The product's instructions, opened beside the setup window.
#ifndef NIMBALUNE_INSTRUCTIONS_VIEWER_H
#define NIMBALUNE_INSTRUCTIONS_VIEWER_H

#include <windows.h>

enum { ViewerTimerId = 4660 };  // the program's only timer

void ShowInstructionsBesideSetup();
UINT_PTR OpenInstructions(int language);
HWND FindWindowOfInstance(UINT_PTR value);
// Starts the timer that waits for the window of what was started as
// `started`, to be placed at x, y with this size.
void WatchForViewer(UINT_PTR started, int x, int y, int width, int height);
// Safe to call any number of times.
void StopWatchingForViewer();
void OnViewerTimer();

#endif
