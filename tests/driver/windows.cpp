#include "driver/driver.h"

#include <cstdio>

namespace nldriver {

namespace {

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter)
{
    ((std::vector<HWND> *)parameter)->push_back(window);
    return TRUE;
}

} // namespace

WindowInfo Describe(HWND window)
{
    WindowInfo info;
    info.handle = window;
    GetWindowThreadProcessId(window, &info.processId);
    char text[1024] = {};
    GetClassNameA(window, text, sizeof text);
    info.className = text;
    text[0] = 0;
    GetWindowTextA(window, text, sizeof text);
    info.title = text;
    GetWindowRect(window, &info.rect);
    info.owner = GetWindow(window, GW_OWNER);
    info.visible = IsWindowVisible(window) != FALSE;
    return info;
}

std::vector<WindowInfo> TopWindows(DWORD processId)
{
    std::vector<WindowInfo> found;
    for (HWND window : nltest::TopLevelWindows(processId))
        if (IsWindowVisible(window))
            found.push_back(Describe(window));
    return found;
}

bool HasRect(HWND window, int x, int y, int width, int height)
{
    RECT r = Describe(window).rect;
    return r.left == x && r.top == y && r.right - r.left == width && r.bottom - r.top == height;
}

void LogWindows(const char *label, DWORD processId)
{
    std::printf("windows (%s):\n", label);
    for (const WindowInfo &w : TopWindows(processId))
        std::printf("  pid %lu %p class \"%s\" title \"%s\" at (%ld,%ld) size %ldx%ld owner %p\n",
                    (unsigned long)w.processId, (void *)w.handle, w.className.c_str(), w.title.c_str(),
                    w.rect.left, w.rect.top, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top,
                    (void *)w.owner);
    std::fflush(stdout);
}

HWND WaitForWindow(DWORD processId, const std::function<bool(const WindowInfo &)> &match, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] {
        for (const WindowInfo &w : TopWindows(processId))
            if (match(w)) {
                found = w.handle;
                return true;
            }
        return false;
    }, timeoutMs);
    return found;
}

HWND WaitForWindowTitled(DWORD processId, const std::string &title, DWORD timeoutMs)
{
    return WaitForWindow(processId, [&](const WindowInfo &w) { return w.title == title; }, timeoutMs);
}

bool WaitGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::vector<HWND> Children(HWND parent, const std::string &className)
{
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, (LPARAM)&all);
    if (className.empty())
        return all;
    std::vector<HWND> matching;
    for (HWND child : all) {
        char name[256] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, className.c_str()) == 0)
            matching.push_back(child);
    }
    return matching;
}

std::string TextOf(HWND window)
{
    char text[4096] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

void TypeChar(HWND window, char character)
{
    PostMessageA(window, WM_CHAR, (WPARAM)(unsigned char)character, 1);
}

void PressButton(HWND button)
{
    HWND parent = GetParent(button);
    PostMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
}

} // namespace nldriver
