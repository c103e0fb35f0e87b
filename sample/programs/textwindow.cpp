#include "textwindow.h"

namespace {

const char ClassName[] = "NimbaluneSampleText";
const char *shownText = "";

LRESULT CALLBACK TextWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        InflateRect(&client, -12, -12);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, shownText, -1, &client, DT_WORDBREAK);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int RunTextWindow(HINSTANCE instance, const char *title, const char *text)
{
    shownText = text;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TextWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = ClassName;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, ClassName, title, WS_OVERLAPPEDWINDOW, 120, 80, 460, 320,
                                  NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
