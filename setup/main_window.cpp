// WinMain and the main window's procedure.
#include "setup/main_window.h"
#include "setup/setup_context.h"
#include "setup/setup_state.h"
#include "setup/log_pane.h"
#include "setup/setup_driver.h"
#include "destination/destination_panel.h"
#include "desktop/instructions_viewer.h"

const char MainWindowTitle[] = "SETUP Nimbalune 1.1";
const char ClosingLogLine[] = "\n ************ FIN DU PRG ***************";

namespace {

const int ClassNameRequest = 64;   // characters of the program path asked for
const int WindowTitleSize = 64;
const int LayoutWidth = 512;       // window size in units of 1/8 and 1/16
const int LayoutHeight = 360;      // of the dialog base units

char windowClassName[ClassNameRequest + 1];
char windowTitle[WindowTitleSize];

void EndProcessNow()
{
    ExitProcess(0);
}

} // namespace

DWORD HandleSetupMessage(HWND, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && wParam == StartButtonId) {
        OnStartButton();
        return MessageHandled;
    }
    if (message == WM_TIMER && wParam == ViewerTimerId) {
        OnViewerTimer();
        return MessageHandled;
    }
    return 0;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int handled = 0;
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE:
        handled = 1;
        break;
    case WM_DESTROY:
        if (window == setupContext.mainWindow) {
            CleanUpSetup();
            PostQuitMessage(0);
            EndProcessNow();
        }
        break;
    case WM_SIZE:
    case WM_DISPLAYCHANGE:
        UpdateLogMetrics();
        handled = 1;
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintLogPane(dc);
        EndPaint(window, &paint);
        handled = 1;
        break;
    }
    case WM_QUERYENDSESSION:
        CleanUpSetup();
        EndProcessNow();
        break;
    case WM_QUIT:
        DestroyWindow(window);
        handled = 1;
        break;
    default:
        break;
    }

    DWORD second = HandleSetupMessage(window, message, wParam, lParam);
    if (HIWORD(second)) {
        handled = 1;
        result = LOWORD(second);
    }
    if (handled)
        return result;
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int)
{
    HICON icon = LoadIconA(instance, "ICONE_NIMBALUN");
    GetModuleFileNameA(instance, windowClassName, ClassNameRequest);
    windowClassName[ClassNameRequest] = 0;
    setupContext.instance = instance;
    if (previousInstance)
        return 1;

    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = windowClassName;
    if (!RegisterClassA(&windowClass))
        return 1;

    for (int i = 0; i < WindowTitleSize; ++i)
        windowTitle[i] = 0;
    lstrcpyA(windowTitle, MainWindowTitle);

    LONG baseUnits = GetDialogBaseUnits();
    setupContext.dialogBaseUnitX = LOWORD(baseUnits);
    setupContext.dialogBaseUnitY = HIWORD(baseUnits);

    HWND window = CreateWindowExA(0, windowClassName, windowTitle, WS_OVERLAPPEDWINDOW, 0, 0,
                                  setupContext.dialogBaseUnitX * LayoutWidth / 8,
                                  setupContext.dialogBaseUnitY * LayoutHeight / 16,
                                  NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    setupContext.mainWindow = window;
    ShowWindow(window, SW_SHOWDEFAULT);
    InitSetupState();
    UpdateWindow(window);

    RunSetupDriver();

    LogPrintf(ClosingLogLine);
    DeleteObject(setupContext.backgroundBrush);
    CleanUpSetup();
    return 1;
}
