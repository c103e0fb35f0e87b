#include "textwindow.h"

namespace {

const int Margin = 12;
const TextWindow *shown;

LRESULT CALLBACK TextWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        InflateRect(&client, -Margin, -Margin);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, shown->text, -1, &client, DT_WORDBREAK);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        if (shown->onDestroy)
            shown->onDestroy(window);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int RunTextWindow(HINSTANCE instance, const TextWindow &description)
{
    shown = &description;
    WNDCLASSA windowClass = {};
    // The text wraps at the window's width: a new size redraws it whole.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = TextWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = description.className;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, description.className, description.title, WS_OVERLAPPEDWINDOW,
                                  description.x, description.y, description.width, description.height,
                                  NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    if (description.onShown)
        description.onShown(window);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
