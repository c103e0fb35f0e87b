// Stand-in for the product's main program on the sample medium. It shows a
// window titled "Nimbalune" and, as the real product does, records that
// window in "Current hwnd" of nimbalun.ini beside itself so that a setup can
// close it; the entry goes when the window does.
#include <windows.h>

namespace {

const char ClassName[] = "NimbaluneSample";
char iniPath[MAX_PATH];

void RecordWindow(HWND window)
{
    char value[16];
    if (window)
        wsprintfA(value, "%u", (unsigned)(UINT_PTR)window);
    WritePrivateProfileStringA("", "Current hwnd", window ? value : NULL, iniPath);
}

LRESULT CALLBACK SampleWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        DrawTextA(dc, "Nimbalune (sample product)\n\nThe real program shows desktop pictures.", -1, &client,
                  DT_CENTER);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        RecordWindow(NULL);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int length = (int)GetModuleFileNameA(NULL, iniPath, MAX_PATH - 16);
    while (length > 0 && iniPath[length - 1] != '\\')
        --length;
    lstrcpyA(iniPath + length, "nimbalun.ini");

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SampleWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = ClassName;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, ClassName, "Nimbalune", WS_OVERLAPPEDWINDOW, 300, 200, 400, 200,
                                  NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    RecordWindow(window);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
