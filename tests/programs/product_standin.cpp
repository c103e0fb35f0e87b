// A stand-in for the running product: it records its window handle as
// "Current hwnd" in its INI file, as the product does, and writes a marker
// file when its window procedure receives WM_DESTROY.
//   product_standin.exe INIFILE MARKERFILE [hang]
// With "hang" it stops answering messages once its window is recorded. The
// program ends by itself after two minutes.
#include <windows.h>
#include <stdio.h>
#include <string.h>

namespace {

const char ProductClass[] = "NLTestProduct";
const UINT_PTR LifetimeTimer = 1;
const UINT LifetimeMs = 120000;
char markerFile[MAX_PATH];

LRESULT CALLBACK ProductProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY: {
        HANDLE file = CreateFileA(markerFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "WM_DESTROY\n", 11, &written, nullptr);
        CloseHandle(file);
        PostQuitMessage(0);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    if (__argc < 3)
        return 2;
    lstrcpynA(markerFile, __argv[2], MAX_PATH);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ProductProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = ProductClass;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, ProductClass, "Nimbalune stand-in", WS_OVERLAPPEDWINDOW,
                                  600, 400, 300, 200, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, showCommand);
    char handle[32];
    sprintf(handle, "%u", (unsigned)(UINT_PTR)window);
    WritePrivateProfileStringA("", "Current hwnd", handle, __argv[1]);
    SetTimer(window, LifetimeTimer, LifetimeMs, nullptr);
    if (__argc > 3 && strcmp(__argv[3], "hang") == 0)
        Sleep(LifetimeMs);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
