// The removal plan: which steps a folder's state calls for, and carrying
// them out in order.
#include "uninstall/removal_plan.h"
#include "uninstall/installed_files.h"
#include "uninstall/path_forms.h"
#include "uninstall/registrations.h"
#include "uninstall/removal_report.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_texts.h"

#include <windows.h>

namespace {

// Which removals take a step: all, or only those of a folder in a given
// state or run from a given place.
enum StepUse {
    Always,
    FilesThere,             // the folder holds the installation
    OwnFolder,              // ... and is not shared: the product's INI file and working folders
    FromOutside,            // the remover runs outside the folder
    FromOutsideOwnFolder,
    FromInside
};

const int StepUses[RemovalStepCount] = {
    OwnFolder,              // DeleteProductIniStep
    OwnFolder,              // EmptyWorkingFoldersStep
    FilesThere,             // DeleteListedFilesStep
    FilesThere,             // RemoveTreeFoldersStep
    Always,                 // RemoveShortcutsStep
    Always,                 // RemoveGroupStep
    FromOutside,            // PointEntryAtRemoverStep
    FromOutside,            // DeleteUninstallerStep
    FromOutside,            // DeleteListStep
    FromOutsideOwnFolder,   // RemoveInstallFolderStep
    FromInside,             // ScheduleLastFilesStep
    Always,                 // RemoveSectionStep
    FromOutside,            // ScheduleKeeperDeletionStep
    Always,                 // RemoveEntryStep
    FromOutside,            // DeleteKeeperStep
};

int UsesStep(int use, int filesThere, int shared, int inPlace)
{
    switch (use) {
    case FilesThere:
        return filesThere;
    case OwnFolder:
        return filesThere && !shared;
    case FromOutside:
        return !inPlace;
    case FromOutsideOwnFolder:
        return !inPlace && !shared;
    case FromInside:
        return inPlace;
    default:
        return 1;
    }
}

// This program's path, short so that the entry's command needs no quotes.
int RemoverPath(char *path)
{
    if (!RunningProgramPath(path))
        return 0;
    ShortForm(path);
    return 1;
}

// The entry names a program that a second run can start whenever this one
// stops, a restart between them included: this program when the entry
// already names it (a keeper started through the entry), else a keeper
// copy of it, which nothing deletes before the entry goes. The copy that
// removes is deleted at restart, and only names itself when no keeper can
// be made.
void PointEntryAtRemover(char *keeper)
{
    char remover[MAX_PATH];
    keeper[0] = '\0';
    if (!RemoverPath(remover))
        return;
    if (UninstallEntryNames(remover)) {
        if (IsFinishingCopy(remover))
            lstrcpynA(keeper, remover, MAX_PATH);
        return;
    }
    if (MakeTemporaryCopy(keeper)) {
        ShortForm(keeper);
        PointUninstallEntryAt(keeper);
    } else {
        keeper[0] = '\0';
        PointUninstallEntryAt(remover);
    }
}

// The entry names the installed uninstaller again when it has to stay; the
// keeper then goes.
void PointEntryBack(const RemovalPlan *plan)
{
    char path[MAX_PATH];
    if (LastFilePath(path, plan->folder, UninstallerFile) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES
        && PointUninstallEntryAt(path) && plan->keeper[0])
        DeleteFileA(plan->keeper);
}

// The running program, its list and the folder, deleted at restart in this
// order; 0 when one could not be scheduled.
int ScheduleLastFiles(const char *folder)
{
    char self[MAX_PATH], list[MAX_PATH], shown[MAX_PATH];
    if (!RunningProgramPath(self) || !LastFilePath(list, folder, ListFile)
        || !FolderAsPath(folder, shown, sizeof shown))
        return 0;
    return ScheduleDeletionAtRestart(self) && ScheduleDeletionAtRestart(list)
        && (IsSharedFolder(folder) || ScheduleDeletionAtRestart(shown));
}

// One step; 0 when it failed and the steps after it must not run.
int RunStep(RemovalPlan *plan, int step)
{
    const char *folder = plan->folder;
    switch (step) {
    case DeleteProductIniStep:
        DeleteProductIni(folder);
        break;
    case EmptyWorkingFoldersStep:
        EmptyWorkingFolders(folder);
        break;
    case DeleteListedFilesStep:
        DeleteListedFiles(folder);
        break;
    case RemoveTreeFoldersStep:
        RemoveTreeFolders(folder, IsSharedFolder(folder));
        break;
    case RemoveShortcutsStep:
        RemoveShortcuts(folder, plan->formerFolder);
        break;
    case RemoveGroupStep:
        RemoveProgmanGroup();
        break;
    case PointEntryAtRemoverStep:
        PointEntryAtRemover(plan->keeper);
        break;
    case DeleteUninstallerStep:
        DeleteLastFile(folder, UninstallerFile);
        break;
    case DeleteListStep:
        DeleteLastFile(folder, ListFile);
        break;
    case RemoveInstallFolderStep:
        RemoveInstallFolder(folder);
        break;
    case ScheduleLastFilesStep:
        return ScheduleLastFiles(folder);
    case RemoveSectionStep:
        RemoveProductSection();
        break;
    case RemoveEntryStep:
        RemoveUninstallEntry();
        break;
    case ScheduleKeeperDeletionStep:
        if (plan->keeper[0])
            ScheduleDeletionAtRestart(plan->keeper);
        break;
    case DeleteKeeperStep:
        if (plan->keeper[0])
            DeleteFileA(plan->keeper);
        break;
    }
    return 1;
}

} // namespace

int RefusalText(int state)
{
    switch (state) {
    case NotAnInstallation:
        return NotAnInstallationFormat;
    case LinkedFolder:
        return LinkedInstallationFormat;
    case DamagedList:
        return DamagedListFormat;
    default:
        return -1;
    }
}

int MakeRemovalPlan(RemovalPlan *plan, const char *folder, int state, int inPlace)
{
    if (RefusalText(state) >= 0)
        return 0;
    lstrcpynA(plan->folder, folder, sizeof plan->folder);
    plan->inPlace = inPlace;
    plan->keeper[0] = '\0';
    // Moved: its shortcuts still point into the folder it was installed in.
    plan->formerFolder[0] = '\0';
    if (RecordedInstallFolder(plan->formerFolder, sizeof plan->formerFolder) != RecordedFolder
        || SamePath(plan->formerFolder, folder) || CheckInstallation(plan->formerFolder) != FolderMissing)
        plan->formerFolder[0] = '\0';
    int filesThere = state == ProductInstallation;
    int shared = filesThere && IsSharedFolder(folder);
    if (state == FolderMissing)
        ReportKeptFolder(FolderGoneFormat, folder);
    if (shared)
        ReportKeptFolder(SharedFolderFormat, folder);
    plan->count = 0;
    for (int step = 0; step < RemovalStepCount; step++)
        if (UsesStep(StepUses[step], filesThere, shared, inPlace))
            plan->steps[plan->count++] = step;
    return 1;
}

int CarryOutRemovalPlan(RemovalPlan *plan)
{
    int complete = 1, pointed = 0;
    StartFileRemoval();
    for (int i = 0; i < plan->count && complete; i++) {
        int step = plan->steps[i];
        if (step >= RemoveShortcutsStep && KeptProductFiles()) {
            complete = 0;
            break;
        }
        complete = RunStep(plan, step);
        pointed |= step == PointEntryAtRemoverStep;
    }
    if (complete)
        return plan->inPlace ? RemovedAtRestartNotice : RemovedNotice;
    if (pointed)
        PointEntryBack(plan);
    return IncompleteNotice;
}
