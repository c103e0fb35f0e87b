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

const char *const InstallSubdirectories[] = {
    "\\annule",
    "\\Instruct.htm",
    "\\Instruct.htm\\English.htm",
    "\\Instruct.htm\\Francais.htm",
    "\\Instruct.htm\\Images",
    "\\Instruct.htm\\Images\\English",
    "\\Instruct.htm\\Images\\Francais",
    "\\Instruct.rtf",
    "\\Instruct.rtf\\English.rtf",
    "\\Instruct.rtf\\Francais.rtf",
    "\\Instruct.rtf\\Images",
    "\\original.jpg",
    "\\screen24.bmp",
    "\\screen8.bmp",
    "\\sources",
    "\\temp",
};

const char *const ObsoleteTrees[] = {
    "\\english.txt",
    "\\francais.txt",
};

const int NoHeading = -1;

struct CopyStep {
    const char *sourcePattern;
    const char *destinationSuffix;   // "" for installDir itself
    int heading;                     // a MessageId, or NoHeading
};

const char DistributionFolder[] = "Files.ins";

const CopyStep CopyPlan[] = {
    {"Readme.exe", "", NoHeading},
    {"Lisezmoi.exe", "", NoHeading},
    {"Files.ins\\*.*", "", CopyKernelHeading},
    {"Files.ins\\Instruct.htm\\*.*", "\\Instruct.htm", CopyEnglishHeading},
    {"Files.ins\\Instruct.htm\\English.htm\\*.*", "\\Instruct.htm\\English.htm", CopyEnglishHeading},
    {"Files.ins\\Instruct.htm\\Francais.htm\\*.*", "\\Instruct.htm\\Francais.htm", CopyEnglishHeading},
    {"Files.ins\\Instruct.htm\\Images\\*.*", "\\Instruct.htm\\Images", CopyEnglishHeading},
    {"Files.ins\\Instruct.htm\\Images\\English\\*.*", "\\Instruct.htm\\Images\\English", CopyEnglishHeading},
    {"Files.ins\\Instruct.htm\\Images\\Francais\\*.*", "\\Instruct.htm\\Images\\Francais", CopyEnglishHeading},
    {"Files.ins\\Instruct.rtf\\*.*", "\\Instruct.rtf", CopyFrenchHeading},
    {"Files.ins\\Instruct.rtf\\English.rtf\\*.*", "\\Instruct.rtf\\English.rtf", CopyFrenchHeading},
    {"Files.ins\\Instruct.rtf\\Francais.rtf\\*.*", "\\Instruct.rtf\\Francais.rtf", CopyFrenchHeading},
    {"Files.ins\\Instruct.rtf\\Images\\*.*", "\\Instruct.rtf\\Images", CopyFrenchHeading},
    {"Files.ins\\sources\\*.*", "\\sources", NoHeading},
    {"Files.ins\\original.jpg\\*.*", "\\original.jpg", CopyPicturesHeading},
};

const char *const ObsoleteFiles[] = {
    "\\linknl.exe",
    "\\linkconf.exe",
    "\\cachenl.exe",
    "\\linkunin.exe",
    "\\setup.exe",
    "\\nimbalun.grp",
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
