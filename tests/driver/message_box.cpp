#include "driver/driver.h"

namespace nldriver {

namespace {

const int MessageTextId = 0xFFFF;   // the static control that holds the text
const int KnownButtons[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};

} // namespace

bool IsMessageBox(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0 && GetDlgItem(window, MessageTextId) != nullptr;
}

MessageBoxInfo ReadMessageBox(HWND box)
{
    MessageBoxInfo info;
    info.handle = box;
    info.owner = GetWindow(box, GW_OWNER);
    char text[4096] = {};
    GetWindowTextA(box, text, sizeof text);
    info.caption = text;
    text[0] = 0;
    GetDlgItemTextA(box, MessageTextId, text, sizeof text);
    info.text = text;
    for (int id : KnownButtons) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button)) {
            info.buttons.push_back(id);
            if (GetWindowLongA(button, GWL_STYLE) & BS_DEFPUSHBUTTON)
                info.defaultButton = id;
        }
    }
    for (HWND child : Children(box, "Static"))
        if (GetWindowLongA(child, GWL_STYLE) & SS_ICON)
            info.hasIcon = true;
    return info;
}

MessageBoxInfo WaitForMessageBox(DWORD processId, DWORD timeoutMs)
{
    HWND box = WaitForWindow(processId, [](const WindowInfo &w) { return IsMessageBox(w.handle); }, timeoutMs);
    if (!box)
        return MessageBoxInfo();
    return ReadMessageBoxWhenWritten(box);
}

MessageBoxInfo ReadMessageBoxWhenWritten(HWND box)
{
    MessageBoxInfo info;
    WaitUntil(
        [&] {
            info = ReadMessageBox(box);
            return (!info.text.empty() && !info.buttons.empty()) || !IsWindow(box);
        },
        5000, 10);
    return info;
}

void Answer(const MessageBoxInfo &box, int button)
{
    PostMessageA(box.handle, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(box.handle, button));
    WaitGone(box.handle);
}

} // namespace nldriver
