// Uninstal.exe: removes what the setup made, after one question. Run from
// the installation folder, it hands the work to a copy of itself in the
// temporary folder so that the folder can go too.
#include "uninstall/installed_files.h"
#include "uninstall/path_forms.h"
#include "uninstall/product_closing.h"
#include "uninstall/registrations.h"
#include "uninstall/removal_plan.h"
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
// has only been told the folder). inPlace: this program runs from the
// folder, so its last files go at restart.
void RemoveProduct(const char *folder, int language, int inPlace)
{
    // Windows removes no folder that is a process's current directory, and
    // a shortcut starts this program in the installation folder.
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryA(windows);
    ClearRemovalReport();
    int state = CheckInstallation(folder);
    RemovalPlan plan;
    if (!MakeRemovalPlan(&plan, folder, state, inPlace)) {
        Tell(RefusalText(state), folder, language, MB_ICONWARNING);
        return;
    }
    int closing = CloseProduct(folder);
    if (closing != ProductClosed) {
        Tell(closing == ProductStillRuns ? ProductStillRunning : ProductMayBeRunning, folder, language,
             MB_ICONWARNING);
        return;
    }
    int notice = CarryOutRemovalPlan(&plan);
    MessageBoxA(NULL, RemovalMessage(notice, language), UninstallText(UninstallCaption, language),
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

// The run a person starts: finds the installation, asks, and removes it
// here or hands the removal to a copy outside the folder.
void AskAndRemove(int language)
{
    char folder[PathBufferSize];
    char self[MAX_PATH];

    // The folder win.ini names, else this program's own when it is an
    // installation: one that was moved, or whose record is gone. A value
    // that cannot be used whole is not guessed at.
    int recorded = RecordedInstallFolder(folder, sizeof folder);
    if (recorded == UnusableRecordedFolder) {
        Tell(UnusableDirectory, "", language, MB_ICONWARNING);
        return;
    }
    int state = recorded == RecordedFolder ? CheckInstallation(folder) : FolderMissing;
    char own[PathBufferSize];
    int ownState = OwnFolder(own, sizeof own) ? CheckInstallation(own) : NotAnInstallation;
    if (state == FolderMissing && (ownState == ProductInstallation || ownState == DamagedList)) {
        lstrcpyA(folder, own);
        state = ownState;
    } else if (recorded == NoRecordedFolder) {
        RemoveDanglingUninstallEntry();
        Tell(NotInstalled, "", language, MB_ICONINFORMATION);
        return;
    }
    if (RefusalText(state) >= 0) {
        Tell(RefusalText(state), folder, language, MB_ICONWARNING);
        return;
    }
    if (Tell(ConfirmRemoval, folder, language, MB_ICONQUESTION) != IDYES)
        return;

    int insideFolder = RunningProgramPath(self) && LiesBelow(self, folder);
    if (insideFolder && StartFinishingCopy(folder))
        return;
    RemoveProduct(folder, language, insideFolder);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char folder[PathBufferSize];
    char self[MAX_PATH];
    DWORD original;
    int language = UninstallLanguage();

    if (ReadHandOver(GetCommandLineA(), &original, folder, sizeof folder)) {
        // First, so that a copy stopped at any moment does not stay.
        ScheduleOwnDeletion();
        WaitForOriginal(original);
        RemoveProduct(folder, language, 0);
        return 0;
    }
    AskAndRemove(language);
    // A keeper copy started through the entry goes at restart once the
    // entry no longer names it.
    if (RunningProgramPath(self) && IsFinishingCopy(self) && !UninstallEntryNames(self))
        ScheduleOwnDeletion();
    return 0;
}
