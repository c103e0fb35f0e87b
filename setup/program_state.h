// What the modules keep between calls, read by the tests, and the return of
// all of it to its values at process start. The program itself never calls
// these: only the module that owns a record includes this header, to define
// its accessor, and the tests.
#ifndef NIMBALUNE_PROGRAM_STATE_H
#define NIMBALUNE_PROGRAM_STATE_H

#include <windows.h>

// The log pane's grid and cursor.
struct LogPaneState {
    const char *grid;           // LogRows x LogColumns bytes, row-major
    int cellWidth;
    int lineHeight;
    int visibleColumns;
    int visibleRows;
    int cursorColumn;
    int cursorRow;
    const char *buffer;         // the last formatted text
};
LogPaneState GetLogPaneState();

// What the latest report asked the progress window to show.
struct ProgressState {
    int percent;
    const char *text;
    HWND window;                // null while no progress window is open
};
ProgressState GetProgressState();

// The instructions viewer's window that the timer waits for.
struct ViewerWatch {
    UINT_PTR timerId;           // 0 when no viewer timer runs
    UINT_PTR instance;          // what the viewer was started as; 0 once placed
    int x;
    int y;
    int width;
    int height;
};
ViewerWatch GetViewerWatch();

// Each module back to its values at process start, and all of them at once.
void ResetSetupContext();
void ResetMessageCatalogue();
void ResetLogPane();
void ResetProgressWindow();
void ResetViewerWatch();
void ResetProgramState();

#endif
