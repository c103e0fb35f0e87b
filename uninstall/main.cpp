// Uninstal.exe: removes what the setup made, after one question. Run from
// the installation folder, it hands the work to a copy of itself in the
// temporary folder so that the folder can go too.
#include "uninstall/installed_files.h"
#include "uninstall/registrations.h"
#include "uninstall/removal_report.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_texts.h"
#include "setup/running_product.h"
#include "setup/setup_context.h"

#include <windows.h>

namespace {

const DWORD ProductExitTimeout = 15000;

// Closes the running product as the setup does, then waits until its
// process has ended, so that none of its files is still open.
void CloseProductAndWait()
{
    DWORD productId = 0;
    HWND window = RunningProductWindow();
    if (!window)
        return;
    GetWindowThreadProcessId(window, &productId);
    HANDLE product = OpenProcess(SYNCHRONIZE, FALSE, productId);
    CloseRunningProduct();
    if (product) {
        WaitForSingleObject(product, ProductExitTimeout);
        CloseHandle(product);
    }
}

void RemoveProduct(const char *folder, int language)
{
    // Windows removes no folder that is a process's current directory, and
    // a shortcut starts this program in the installation folder.
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryA(windows);
    ClearRemovalReport();
    CloseProductAndWait();
    RemoveInstalledFiles(folder);
    RemoveShortcuts();
    RemoveProgmanGroup();
    RemoveUninstallEntry();
    // Last: a removal cut short can be run again.
    RemoveProductSection();
    MessageBoxA(NULL, RemovalMessage(language), UninstallText(UninstallCaption, language),
                MB_OK | MB_SETFOREGROUND | (KeptCount() ? MB_ICONWARNING : MB_ICONINFORMATION));
}

// The folder this program runs from.
int OwnFolder(char *folder, int capacity)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    while (length > 0 && path[length - 1] != '\\')
        length--;
    path[length] = '\0';
    return CanonicalFolder(path, folder, capacity);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char folder[PathBufferSize];
    char own[PathBufferSize];
    char self[MAX_PATH];
    DWORD original;
    int language = UninstallLanguage();
    const char *caption = UninstallText(UninstallCaption, language);

    if (ParseFinishCommand(GetCommandLineA(), &original, folder, sizeof folder)) {
        WaitForOriginal(original);
        RemoveProduct(folder, language);
        ScheduleOwnDeletion();
        return 0;
    }

    // The folder win.ini names, else this program's own when the setup
    // installed it there.
    int found = RecordedInstallFolder(folder, sizeof folder);
    if (!found && OwnFolder(own, sizeof own) && HoldsInstalledList(own)) {
        lstrcpyA(folder, own);
        found = 1;
    }
    if (!found) {
        RemoveDanglingUninstallEntry();
        MessageBoxA(NULL, UninstallText(NotInstalled, language), caption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    if (MessageBoxA(NULL, UninstallText(ConfirmRemoval, language), caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;

    DWORD length = GetModuleFileNameA(NULL, self, MAX_PATH);
    int insideFolder = length > 0 && length < MAX_PATH && LiesBelow(self, folder);
    if (insideFolder && StartFinishingCopy(folder))
        return 0;
    RemoveProduct(folder, language);
    return 0;
}
