#include "driver/setup_person.h"

#include <algorithm>

namespace nldriver {

const char SetupTitle[] = "SETUP Nimbalune 1.1";

int AnswerLikeAPerson(const MessageBoxInfo &box)
{
    if (box.text.find("Do you want to use") != std::string::npos ||
        box.text.find("Voulez-vous utiliser") == 0)
        return IDYES;
    if (std::find(box.buttons.begin(), box.buttons.end(), IDNO) != box.buttons.end())
        return IDNO;
    return IDOK;
}

HWND SetupMainWindow(DWORD processId)
{
    return WaitForWindowTitled(processId, SetupTitle, 0);
}

HWND WaitForPanel(const Process &process, const BoxAnswer &answer, std::vector<MessageBoxInfo> *seen,
                  DWORD timeoutMs)
{
    HWND panelWindow = nullptr;
    WaitUntil([&] {
        if (!IsRunning(process))
            return true;
        for (const WindowInfo &w : TopWindows(process.id)) {
            if (IsMessageBox(w.handle)) {
                MessageBoxInfo box = ReadMessageBoxWhenWritten(w.handle);
                if (seen)
                    seen->push_back(box);
                int button = answer(box);
                if (!button)
                    return true;
                Answer(box, button);
                return false;
            }
        }
        HWND main = SetupMainWindow(process.id);
        if (main && GetDlgItem(main, DriveListId) && GetDlgItem(main, StartButtonId)) {
            panelWindow = main;
            return true;
        }
        return false;
    }, timeoutMs);
    return panelWindow;
}

std::vector<std::string> ComboItems(HWND combo)
{
    // Asked in UTF-16: Wine passes the ANSI form of CB_GETLBTEXT between
    // processes as UTF-16 without converting it back.
    std::vector<std::string> items;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        SendMessageW(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
        char narrow[1024] = {};
        WideCharToMultiByte(1252, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
        items.push_back(narrow);
    }
    return items;
}

int ComboSelection(HWND combo)
{
    return (int)SendMessageA(combo, CB_GETCURSEL, 0, 0);
}

bool ChooseDrive(HWND combo, char letter)
{
    std::vector<std::string> items = ComboItems(combo);
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].empty() && items[i][0] == letter) {
            SetForegroundWindow(GetParent(combo));
            SendMessageA(combo, CB_SETCURSEL, (WPARAM)i, 0);
            SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                         (LPARAM)combo);
            return true;
        }
    }
    return false;
}

void PressStart(HWND mainWindow)
{
    HWND button = GetDlgItem(mainWindow, StartButtonId);
    PostMessageA(button, BM_CLICK, 0, 0);
}

} // namespace nldriver
