// The log pane: a 51 x 106 grid of characters shown in the main window with
// the stock fixed font. Each character is drawn the moment it is written.
#include "setup/log_pane.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"

#include <stdarg.h>

namespace {

// wvsprintfA never writes more than 1024 characters and the terminator,
// so formatting goes through this buffer and is then cut to fit logBuffer.
const int FormatLimit = 1025;
const int FirstPrintable = 32;      // control codes but the line feed print nothing
const int LineFeed = 10;
const int InitialColumns = 60;
const int InitialRows = 30;

char logGrid[LogRows][LogColumns];
int cellWidth;
int lineHeight;
int visibleColumns = InitialColumns;
int visibleRows = InitialRows;
int cursorColumn;
int cursorRow;
char logBuffer[LogBufferSize];

// The row the cursor rests on once the bottom is reached. With no visible
// row at all (a minimised window) the pane keeps writing into row 0.
int LastVisibleRow()
{
    return visibleRows > 0 ? visibleRows - 1 : 0;
}

void FillRow(int row)
{
    for (int column = 0; column < LogColumns; ++column)
        logGrid[row][column] = ' ';
}

} // namespace

void ClearLogGrid()
{
    for (int row = 0; row < LogRows; ++row)
        FillRow(row);
}

void LogScroll()
{
    // Rows 1..50 move up one; row 50 keeps its old contents.
    for (int row = 0; row < LogRows - 1; ++row)
        for (int column = 0; column < LogColumns; ++column)
            logGrid[row][column] = logGrid[row + 1][column];
    FillRow(LastVisibleRow());

    HDC dc = GetDC(setupContext.mainWindow);
    if (!dc)
        return;
    ScrollWindow(setupContext.mainWindow, 0, -lineHeight, NULL, NULL);
    UpdateWindow(setupContext.mainWindow);
    ReleaseDC(setupContext.mainWindow, dc);
}

void LogNewLine()
{
    cursorColumn = 0;
    ++cursorRow;
    if (cursorRow >= visibleRows || cursorRow >= LogRows) {
        cursorRow = LastVisibleRow();
        LogScroll();
    }
}

void LogPutChar(unsigned int code)
{
    if (code == LineFeed) {
        LogNewLine();
        return;
    }
    if (code < FirstPrintable)
        return;
    if (cursorColumn >= LogColumns || cursorRow >= LogRows) {
        // Only reachable if the metrics changed under the cursor; a fresh
        // line brings it back inside the grid.
        LogNewLine();
    }
    logGrid[cursorRow][cursorColumn] = (char)code;

    HDC dc = GetDC(setupContext.mainWindow);
    if (!dc)
        return;
    RECT cell;
    cell.left = cursorColumn * cellWidth;
    cell.top = cursorRow * lineHeight;
    cell.right = cell.left + cellWidth;
    cell.bottom = cell.top + lineHeight;
    FillRect(dc, &cell, setupContext.backgroundBrush);
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ previousFont = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    TextOutA(dc, cell.left, cell.top, &logGrid[cursorRow][cursorColumn], 1);
    SelectObject(dc, previousFont);
    ReleaseDC(setupContext.mainWindow, dc);

    ++cursorColumn;
    if (cursorColumn >= visibleColumns)
        LogNewLine();
}

int LogPrintf(const char *format, ...)
{
    char formatted[FormatLimit];
    formatted[0] = 0;
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(formatted, format, arguments);
    va_end(arguments);
    formatted[FormatLimit - 1] = 0;

    int length = 0;
    while (length < LogBufferSize - 1 && formatted[length]) {
        logBuffer[length] = formatted[length];
        ++length;
    }
    logBuffer[length] = 0;

    for (int i = 0; i < length; ++i)
        LogPutChar((unsigned char)logBuffer[i]);
    return 1;
}

void UpdateLogMetrics()
{
    HDC dc = GetDC(setupContext.mainWindow);
    if (!dc)
        return;
    HGDIOBJ previousFont = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    SIZE extent;
    if (GetTextExtentPointA(dc, "H", 1, &extent)) {
        cellWidth = extent.cx;
        lineHeight = extent.cy;
    }
    RECT client;
    if (!GetClientRect(setupContext.mainWindow, &client))
        client.right = client.bottom = 0;
    SelectObject(dc, previousFont);
    ReleaseDC(setupContext.mainWindow, dc);

    // A failed measurement leaves the pane with nothing visible rather than
    // dividing by zero.
    visibleColumns = cellWidth > 0 ? client.right / cellWidth : 0;
    visibleRows = lineHeight > 0 ? client.bottom / lineHeight : 0;
    if (visibleColumns > LogColumns)
        visibleColumns = LogColumns;
    if (visibleRows > LogRows)
        visibleRows = LogRows;
}

void PaintLogPane(HDC dc)
{
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    for (int row = 0; row < visibleRows; ++row)
        TextOutA(dc, 0, row * lineHeight, logGrid[row], visibleColumns);
}

LogPaneState GetLogPaneState()
{
    LogPaneState state;
    state.grid = &logGrid[0][0];
    state.cellWidth = cellWidth;
    state.lineHeight = lineHeight;
    state.visibleColumns = visibleColumns;
    state.visibleRows = visibleRows;
    state.cursorColumn = cursorColumn;
    state.cursorRow = cursorRow;
    state.buffer = logBuffer;
    return state;
}

void ResetLogPane()
{
    ClearLogGrid();
    cellWidth = 0;
    lineHeight = 0;
    visibleColumns = InitialColumns;
    visibleRows = InitialRows;
    cursorColumn = 0;
    cursorRow = 0;
    logBuffer[0] = 0;
}
