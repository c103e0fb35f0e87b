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

#endif
