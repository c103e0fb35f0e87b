// A stand-in for the program associated with ".htm" documents. Its window
// is titled "NLTestViewer " and the full path of the document it was given,
// so that a test can tell which document was opened.
//   html_viewer.exe [/owned] DOCUMENT
// With /owned a second, owned window comes to the front, as the dialogs of
// some browsers do. The program ends with the program that started it (so
// that no viewer outlives its test), and after two minutes at the latest.
#include <windows.h>
#include <tlhelp32.h>
#include <string.h>

namespace {

const char ViewerClass[] = "NLTestViewer";
const char OwnedClass[] = "NLTestViewerOwned";
const UINT_PTR LifetimeTimer = 1;
const UINT LifetimeMs = 120000;

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The program that started this one, to wait for.
HANDLE OpenParentProcess()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId())
            parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent ? OpenProcess(SYNCHRONIZE, FALSE, parent) : nullptr;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    const char *document = commandLine;
    while (*document == ' ')
        ++document;
    bool owned = strncmp(document, "/owned ", 7) == 0;
    if (owned)
        document += 7;
    char unquoted[MAX_PATH] = {};
    lstrcpynA(unquoted, *document == '"' ? document + 1 : document, MAX_PATH);
    char *quote = strchr(unquoted, '"');
    if (quote)
        *quote = 0;
    char title[MAX_PATH + 32] = "NLTestViewer ";
    GetFullPathNameA(unquoted, MAX_PATH, title + strlen(title), nullptr);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ViewerProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = ViewerClass;
    RegisterClassA(&windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = OwnedClass;
    RegisterClassA(&windowClass);

    HWND window = CreateWindowExA(0, ViewerClass, title, WS_OVERLAPPEDWINDOW, 200, 150, 400, 300,
                                  nullptr, nullptr, instance, nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    if (owned) {
        HWND dialog = CreateWindowExA(0, OwnedClass, "NLTestViewer owned", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                      300, 250, 200, 100, window, nullptr, instance, nullptr);
        SetForegroundWindow(dialog);
    }
    SetTimer(window, LifetimeTimer, LifetimeMs, nullptr);

    HANDLE parent = OpenParentProcess();
    for (;;) {
        DWORD waited = MsgWaitForMultipleObjects(parent ? 1 : 0, &parent, FALSE, INFINITE, QS_ALLINPUT);
        if (parent && waited == WAIT_OBJECT_0)
            return 0;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return 0;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
