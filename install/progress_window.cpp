// The progress window: a heading with the current file name and a bar with
// the percentage done. No message loop runs while files are copied, so every
// report paints the window at once.
#include "install/progress_window.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"

const char ProgressClassName[] = "NLclasse_progression";

namespace {

const UINT ProgressClassStyle = CS_VREDRAW | CS_HREDRAW | CS_NOCLOSE | CS_BYTEALIGNCLIENT;

// Layout of the client area, in pixels.
const int TextMargin = 10;          // around the heading and file name
const int TextBottomGap = 50;       // keeps the text clear of the bar
const int BarWidth = 400;
const int BarHeight = 30;
const int BarBottomGap = 40;        // from the bar's top to the client's bottom
const int PixelsPerPercent = 4;

const COLORREF PercentBackground = RGB(255, 255, 255);
const COLORREF PercentColour = RGB(0, 0, 0);
const UINT PercentFormat = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
const int PercentTextSize = 16;

int progressPercent;
const char *progressText;
HWND progressWindow;
ATOM progressClassAtom;

int RegisterProgressClass()
{
    if (progressClassAtom)
        return 1;
    WNDCLASSA windowClass;
    windowClass.style = ProgressClassStyle;
    windowClass.lpfnWndProc = ProgressWndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = setupContext.instance;
    windowClass.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = ProgressClassName;
    progressClassAtom = RegisterClassA(&windowClass);
    return progressClassAtom != 0;
}

// Centred on the screen: half as high and three quarters as wide.
void CreateProgressWindow(HWND owner, const char *title)
{
    if (!RegisterProgressClass())
        return;
    int screenWidth = 0;
    int screenHeight = 0;
    HDC dc = GetDC(owner);
    if (dc) {
        screenWidth = GetDeviceCaps(dc, HORZRES);
        screenHeight = GetDeviceCaps(dc, VERTRES);
        ReleaseDC(owner, dc);
    }
    progressWindow = CreateWindowExA(0, ProgressClassName, title, WS_OVERLAPPEDWINDOW,
                                     screenWidth / 8, screenHeight / 4,
                                     screenWidth * 3 / 4, screenHeight / 2,
                                     owner, NULL, setupContext.instance, NULL);
    if (!progressWindow)
        return;
    ShowWindow(progressWindow, SW_SHOW);
    UpdateWindow(progressWindow);
}

void PaintProgress(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);

    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    if (progressText) {
        RECT textRect = { TextMargin, TextMargin, client.right - TextMargin,
                          client.bottom - TextBottomGap };
        DrawTextA(dc, progressText, -1, &textRect, 0);
    }

    int left = (client.right - BarWidth) / 2;
    int top = client.bottom - BarBottomGap;
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, left, top, left + BarWidth, top + BarHeight);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(DKGRAY_BRUSH));
    Rectangle(dc, left + 1, top + 1, left + BarWidth, top + BarHeight);
    // At 0 % the done part would lie left of its own start.
    if (progressPercent > 0) {
        SelectObject(dc, GetStockObject(LTGRAY_BRUSH));
        Rectangle(dc, left + 1, top + 1, left + PixelsPerPercent * progressPercent, top + BarHeight);
    }
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);

    char percentText[PercentTextSize];
    wsprintfA(percentText, "%3d %%", progressPercent);
    SetBkColor(dc, PercentBackground);
    SetTextColor(dc, PercentColour);
    RECT barRect = { left, top, left + BarWidth, top + BarHeight };
    DrawTextA(dc, percentText, -1, &barRect, PercentFormat);

    EndPaint(window, &paint);
}

} // namespace

void ReportProgress(int percent, HWND owner, const char *title, const char *text)
{
    progressPercent = percent;
    progressText = text;
    if (!progressWindow) {
        // A closing report never opens a window.
        if (percent >= FullPercent)
            return;
        CreateProgressWindow(owner, title);
        if (!progressWindow)
            return;
    }

    // The main window stays maximised behind the progress window. Asking
    // again once it is costs a full window-position change on every report.
    if (!IsZoomed(setupContext.mainWindow) || !IsWindowVisible(setupContext.mainWindow))
        ShowWindow(setupContext.mainWindow, SW_SHOWMAXIMIZED);
    InvalidateRect(progressWindow, NULL, TRUE);
    SendMessageA(progressWindow, WM_PAINT, 0, 0);

    if (percent >= FullPercent) {
        DestroyWindow(progressWindow);
        progressWindow = NULL;
    }
}

LRESULT CALLBACK ProgressWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PaintProgress(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

ProgressState GetProgressState()
{
    ProgressState state;
    state.percent = progressPercent;
    state.text = progressText;
    state.window = progressWindow;
    return state;
}

void ResetProgressWindow()
{
    if (progressWindow)
        DestroyWindow(progressWindow);
    progressWindow = NULL;
    progressPercent = 0;
    progressText = NULL;
}
