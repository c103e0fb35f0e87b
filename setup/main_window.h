// Process start-up and the main window.
#ifndef NIMBALUNE_MAIN_WINDOW_H
#define NIMBALUNE_MAIN_WINDOW_H

#include <windows.h>

// HandleSetupMessage's result for a handled message whose result is 0.
const DWORD MessageHandled = 0x10000;

extern const char MainWindowTitle[];
extern const char ClosingLogLine[];

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
extern "C" LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
DWORD HandleSetupMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
