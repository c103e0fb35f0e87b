// The installation itself: one fixed run, asking nothing, from the chosen
// drive to the start of the installed product.
#include "install/install_sequence.h"
#include "install/file_copier.h"
#include "install/directory_tree.h"
#include "setup/setup_context.h"
#include "setup/message_catalogue.h"
#include "setup/log_pane.h"
#include "setup/running_product.h"
#include "setup/path_text.h"
#include "desktop/shell_links.h"
#include "desktop/progman_group.h"

namespace {

const int NoHeading = -1;

struct CopyStep {
    const char *sourcePattern;
    const char *destinationSuffix;   // "" for installDir itself
    int heading;                     // a MessageId, or NoHeading
};

#define NL_DISTRIBUTION_FOLDER(name) const char DistributionFolder[] = name;
#include "install/medium_layout.def"

const char *const InstallSubdirectories[] = {
#define NL_INSTALL_SUBDIRECTORY(suffix) suffix,
#include "install/medium_layout.def"
};

const char *const ObsoleteTrees[] = {
#define NL_OBSOLETE_TREE(suffix) suffix,
#include "install/medium_layout.def"
};

const CopyStep CopyPlan[] = {
#define NL_COPY_STEP(sourcePattern, destinationSuffix, heading) {sourcePattern, destinationSuffix, heading},
#include "install/medium_layout.def"
};

const char *const ObsoleteFiles[] = {
#define NL_OBSOLETE_FILE(suffix) suffix,
#include "install/medium_layout.def"
};

// installDir followed by one suffix, or NULL when the whole does not fit:
// the step that needs it is then left out, as a path cut short would name
// another file.
char installPath[PathBufferSize];
int failedCopies;

const char *InstallPath(const char *suffix)
{
    return ComposePath(installPath, PathBufferSize, setupContext.installDir, suffix) ? installPath : NULL;
}

void WriteInstallPath(const char *key, const char *suffix)
{
    const char *path = InstallPath(suffix);
    if (path)
        WriteProfileStringA(ProductSection, key, path);
}

// Every file the copier could not copy is counted and named in the log,
// under the installation directory line.
void NoteFailedCopy(const char *path)
{
    ++failedCopies;
    LogPrintf("\n%s", path);
}

} // namespace

int CountFailedCopies()
{
    return failedCopies;
}

void RunInstallSequence()
{
    failedCopies = 0;

    setupContext.installDir[0] = setupContext.selectedDrive;
    LogPrintf(MessageText(InstallDirFormat), setupContext.installDir);
    CloseRunningProduct();

    CreateDirectoryA(setupContext.installDir, NULL);
    for (const char *subdirectory : InstallSubdirectories)
        if (const char *path = InstallPath(subdirectory))
            CreateDirectoryA(path, NULL);

    for (const char *tree : ObsoleteTrees)
        if (const char *path = InstallPath(tree))
            RemoveDirectoryTree(path);

    // A medium without its distribution folder holds nothing to install,
    // which must not end in the success notice.
    DWORD attributes = GetFileAttributesA(DistributionFolder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        NoteFailedCopy(DistributionFolder);
    for (const CopyStep &step : CopyPlan) {
        const char *heading = step.heading == NoHeading ? "" : MessageText(step.heading);
        const char *destination = InstallPath(step.destinationSuffix);
        if (destination)
            CopyFiles(step.sourcePattern, destination, 1, heading, NoteFailedCopy);
        else
            NoteFailedCopy(step.sourcePattern);
    }

    for (const char *obsolete : ObsoleteFiles) {
        // OpenFile takes no path of OFS_MAXPATHNAME characters or more.
        OFSTRUCT info;
        const char *path = InstallPath(obsolete);
        if (path && OpenFile(path, &info, OF_DELETE) == HFILE_ERROR)
            DeleteFileA(path);
    }

    WriteProfileStringA(ProductSection, DirectoryKey, setupContext.installDir);
    WriteInstallPath(IniFileKey, "\\nimbalun.ini");
    WriteInstallPath(ProgramKey, "\\nimbalun.exe");

    InstallDesktopIntegration();
    InstallProgmanGroup(NoteFailedCopy);

    SetForegroundWindow(setupContext.mainWindow);
    if (const char *program = InstallPath("\\nimbalun.exe"))
        WinExec(program, SW_SHOW);

    setupContext.installDone = 1;
    PostQuitMessage(0);
}
