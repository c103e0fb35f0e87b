// The product's instructions, opened beside the setup window.
#ifndef NIMBALUNE_INSTRUCTIONS_VIEWER_H
#define NIMBALUNE_INSTRUCTIONS_VIEWER_H

#include <windows.h>

enum { ViewerTimerId = 4660 };  // the program's only timer

void ShowInstructionsBesideSetup();
UINT_PTR OpenInstructions(int language);
HWND FindWindowOfInstance(UINT_PTR value);
void OnViewerTimer();

#endif
