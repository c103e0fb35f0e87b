// Uninstal.exe: removes what the setup made, after one question. Run from
// the installation folder, it hands the work to a copy of itself in the
// temporary folder so that the folder can go too.
#include "uninstall/installed_files.h"
#include "uninstall/path_forms.h"
#include "uninstall/product_closing.h"
#include "uninstall/registrations.h"
#include "uninstall/removal_report.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_texts.h"
#include "setup/path_text.h"
#include "setup/setup_context.h"

#include <windows.h>

namespace {

enum {
    TextSize = 1024             // wsprintfA writes at most 1024 bytes
};

int Tell(int textId, const char *folder, int language, UINT icon)
{
    char text[TextSize];
    char shown[MAX_PATH];
    if (!FolderAsPath(folder, shown, sizeof shown))
        shown[0] = '\0';
    wsprintfA(text, UninstallText(textId, language), shown);
    return MessageBoxA(NULL, text, UninstallText(UninstallCaption, language),
                       icon | MB_SETFOREGROUND | (textId == ConfirmRemoval ? MB_YESNO | MB_DEFBUTTON2 : MB_OK));
}

// Removes the product from a folder the question named, once it is checked
// again to be this product's installation (time has passed, and the copy
// has only been told the folder). Registrations go only when no file of
// the product stays, so that a later run can finish the job.
void RemoveProduct(const char *folder, int language)
{
    // Windows removes no folder that is a process's current directory, and
    // a shortcut starts this program in the installation folder.
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryA(windows);
    ClearRemovalReport();
    int state = CheckInstallation(folder);
    if (state == NotAnInstallation) {
        Tell(NotAnInstallationFormat, folder, language, MB_ICONWARNING);
        return;
    }
    if (!CloseProduct(folder)) {
        Tell(ProductStillRunning, folder, language, MB_ICONWARNING);
        return;
    }
    int complete = 1;
    if (state == FolderMissing)
        ReportKeptFolder(FolderGoneFormat, folder);
    else
        complete = RemoveInstalledFiles(folder);
    if (complete) {
        RemoveShortcuts(folder);
        RemoveProgmanGroup();
        RemoveUninstallEntry();
        // Last: a removal cut short can be run again.
        RemoveProductSection();
    }
    MessageBoxA(NULL, RemovalMessage(complete ? RemovedNotice : IncompleteNotice, language),
                UninstallText(UninstallCaption, language),
                MB_OK | MB_SETFOREGROUND | (KeptCount() ? MB_ICONWARNING : MB_ICONINFORMATION));
}

// The folder this program runs from, with its backslash so that a drive's
// root stays one.
int OwnFolder(char *folder, int capacity)
{
    char own[MAX_PATH];
    return GetProgramFolder(NULL, own, MAX_PATH) && AppendPath(own, MAX_PATH, "\\")
        && CanonicalFolder(own, folder, capacity);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char folder[PathBufferSize];
    char self[MAX_PATH];
    DWORD original;
    int language = UninstallLanguage();

    if (ReadHandOver(GetCommandLineA(), &original, folder, sizeof folder)) {
        WaitForOriginal(original);
        RemoveProduct(folder, language);
        ScheduleOwnDeletion();
        return 0;
    }

    // The folder win.ini names, else this program's own when it is an
    // installation. A value that cannot be used whole is not guessed at.
    int recorded = RecordedInstallFolder(folder, sizeof folder);
    if (recorded == UnusableRecordedFolder) {
        Tell(UnusableDirectory, "", language, MB_ICONWARNING);
        return 0;
    }
    int state = recorded == RecordedFolder ? CheckInstallation(folder) : FolderMissing;
    if (recorded == NoRecordedFolder) {
        if (OwnFolder(folder, sizeof folder) && CheckInstallation(folder) == ProductInstallation)
            state = ProductInstallation;
        else {
            RemoveDanglingUninstallEntry();
            Tell(NotInstalled, "", language, MB_ICONINFORMATION);
            return 0;
        }
    }
    if (state == NotAnInstallation) {
        Tell(NotAnInstallationFormat, folder, language, MB_ICONWARNING);
        return 0;
    }
    if (Tell(ConfirmRemoval, folder, language, MB_ICONQUESTION) != IDYES)
        return 0;

    DWORD length = GetModuleFileNameA(NULL, self, MAX_PATH);
    int insideFolder = length > 0 && length < MAX_PATH && LiesBelow(self, folder);
    if (insideFolder && StartFinishingCopy(folder))
        return 0;
    RemoveProduct(folder, language);
    return 0;
}
