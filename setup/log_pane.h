// The main window's client area: a grid of fixed-pitch text written by
// LogPrintf, drawn immediately because its writers run while no message
// loop does.
#ifndef NIMBALUNE_LOG_PANE_H
#define NIMBALUNE_LOG_PANE_H

#include <windows.h>

enum {
    LogRows = 51,
    LogColumns = 106,
    LogBufferSize = 500
};

int LogPrintf(const char *format, ...);
void LogPutChar(unsigned int code);
void LogNewLine();
void LogScroll();
void UpdateLogMetrics();
void PaintLogPane(HDC dc);
void ClearLogGrid();

// Read access for the window procedure's callers and the tests.
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
void ResetLogPane();

#endif
