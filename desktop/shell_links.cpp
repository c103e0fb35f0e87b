// The product's place in the Windows 95/98 shell: the uninstall entry, the
// Programs-menu folder with its shortcuts, the Start Menu, Desktop and
// start-up shortcuts. Every step is best effort: a failure skips that step
// silently and the next one still runs.
#include "desktop/shell_links.h"
#include "desktop/registry.h"
#include "setup/path_text.h"
#include "install/directory_tree.h"
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"

#include <windows.h>
#include <shlobj.h>

const char UninstallEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbalune";
const char ShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char ProductFolderName[] = "\\Nimbalune";
const char StartUpShortcutName[] = "\\Nimbalune.lnk";

namespace {

const char ProductName[] = "Nimbalune";

// The shell's link object and the two interfaces used on it, defined here
// so that setup.exe needs no GUID library.
const GUID ShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID ShellLinkInterface = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID PersistFileInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

enum {
    LongFolderSize = 1024,      // Programs and StartUp values, the Explorer command
    ShortFolderSize = 260,      // Start Menu and Desktop values
    ShellPathSize = MAX_PATH,   // shortcut files and their targets
    UninstallStringSize = 256
};

// The four shortcuts of the product's Programs-menu folder, in the order
// they are made. A target of 0 takes the program's name from the catalogue.
struct ProgramLink {
    int linkName;
    const char *target;
    int catalogueTarget;
};

const ProgramLink ProgramLinks[] = {
    {StartProgramLinkName, "\\NimbaLun.exe", 0},
    {ControlPanelLinkName, "\\Configur.exe", 0},
    {InstructionsLinkName, 0, ReadmeProgramName},
    {UninstallLinkName, "\\Uninstal.exe", 0},
};

} // namespace

// Reads one "Shell Folders" value as text. The value's type is not
// examined, so a value that fills the buffer without a terminating zero
// counts as unreadable rather than being used unterminated.
int ReadShellFolder(const char *valueName, char *folder, DWORD capacity)
{
    DWORD size = capacity;

    if (!RegistryReadValue(HKEY_CURRENT_USER, ShellFoldersKey, valueName, folder, &size))
        return 0;
    if (size == 0 || folder[size - 1] != '\0') {
        if (size >= capacity)
            return 0;
        folder[size] = '\0';
    }
    return 1;
}

namespace {

// One shortcut: folder + link name, starting installDir + program name in
// installDir. Skipped when either path would not fit.
void MakeShortcut(const char *folder, const char *linkName, const char *programName)
{
    char linkPath[ShellPathSize];
    char targetPath[ShellPathSize];

    if (!ComposePath(linkPath, sizeof linkPath, folder, linkName))
        return;
    if (!ComposePath(targetPath, sizeof targetPath, setupContext.installDir, programName))
        return;
    CreateShellLink(targetPath, "", linkPath, setupContext.installDir, SW_SHOWNORMAL);
}

// Tells the shell that a folder's contents changed; returns once the
// shell has taken the notification.
void NotifyFolderChanged(const char *folder)
{
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, folder, NULL);
}

void RegisterUninstallEntry()
{
    char uninstallString[UninstallStringSize];

    if (!RegistryCreateKey(HKEY_LOCAL_MACHINE, UninstallEntryKey))
        return;
    RegistryWriteValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayName", REG_SZ, ProductName, sizeof ProductName);
    if (ComposePath(uninstallString, sizeof uninstallString, setupContext.installDir, "\\Uninstal.exe"))
        RegistryWriteValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString", REG_SZ, uninstallString,
                           lstrlenA(uninstallString) + 1);
}

// The earlier version kept its shortcuts in a folder spelled with a space.
void RemoveEarlierProgramsFolder()
{
    char folder[LongFolderSize];

    if (ReadShellFolder("Programs", folder, sizeof folder) && AppendPath(folder, sizeof folder, "\\Nimba Lune"))
        RemoveDirectoryTree(folder);
}

// The product's Programs-menu folder, its four shortcuts and an Explorer
// window that shows it. The folder is read straight behind the Explorer
// command so that the whole buffer is the command to run.
void CreateProductFolder()
{
    char command[LongFolderSize];
    unsigned int i;

    // Without the command the folder is still made; no Explorer is started.
    const int commandLength = ComposeExplorerCommand(command, LongFolderSize, "explorer.exe");
    char *folder = command + commandLength;
    const int folderCapacity = LongFolderSize - commandLength;
    if (!ReadShellFolder("Programs", folder, folderCapacity))
        return;
    if (!AppendPath(folder, folderCapacity, ProductFolderName))
        return;
    CreateDirectoryA(folder, NULL);
    for (i = 0; i < sizeof ProgramLinks / sizeof ProgramLinks[0]; i++) {
        const ProgramLink *link = &ProgramLinks[i];
        const char *target = link->target ? link->target : MessageText(link->catalogueTarget);
        MakeShortcut(folder, MessageText(link->linkName), target);
    }
    NotifyFolderChanged(folder);
    if (commandLength)
        StartProcess(command);
}

// The control-panel shortcut directly in the Start Menu or on the Desktop.
void AddControlPanelShortcut(const char *valueName)
{
    char folder[ShortFolderSize];

    if (!ReadShellFolder(valueName, folder, sizeof folder))
        return;
    MakeShortcut(folder, MessageText(ControlPanelLinkName), "\\Configur.exe");
    NotifyFolderChanged(folder);
}

// The earlier version started from a copy of its program in StartUp.
void ReplaceStartUpEntry()
{
    char folder[LongFolderSize];
    char earlierEntry[LongFolderSize];

    if (!ReadShellFolder("StartUp", folder, sizeof folder))
        return;
    if (ComposePath(earlierEntry, sizeof earlierEntry, folder, "\\Nimba Lune.exe"))
        DeleteFileA(earlierEntry);
    MakeShortcut(folder, StartUpShortcutName, "\\Nimbalun.exe");
    NotifyFolderChanged(folder);
}

} // namespace

void InstallDesktopIntegration()
{
    RegisterUninstallEntry();
    RemoveEarlierProgramsFolder();
    CreateProductFolder();
    AddControlPanelShortcut("Start Menu");
    AddControlPanelShortcut("Desktop");
    ReplaceStartUpEntry();
}

// Writes one shortcut file through the shell's link object. COM is entered
// and left again around every shortcut.
void CreateShellLink(const char *targetPath, const char *arguments, const char *linkPath,
                     const char *workingDirectory, int showCommand)
{
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    WCHAR wideLinkPath[ShellPathSize];
    int comEntered = SUCCEEDED(CoInitialize(NULL));

    if (SUCCEEDED(CoCreateInstance(ShellLinkClass, NULL, CLSCTX_INPROC_SERVER, ShellLinkInterface,
                                   (void **)&link))) {
        if (SUCCEEDED(link->QueryInterface(PersistFileInterface, (void **)&file))) {
            if (SUCCEEDED(link->SetPath(targetPath)) && SUCCEEDED(link->SetArguments(arguments))
                && SUCCEEDED(link->SetWorkingDirectory(workingDirectory))
                && SUCCEEDED(link->SetShowCmd(showCommand))
                && MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wideLinkPath, ShellPathSize)) {
                file->Save(wideLinkPath, TRUE);
                file->SaveCompleted(wideLinkPath);
            }
            file->Release();
        }
        link->Release();
    }
    if (comEntered)
        CoUninitialize();
}

int ReadShellLinkTarget(const char *linkPath, char *target, int capacity)
{
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    WCHAR wideLinkPath[ShellPathSize];
    int read = 0;
    int comEntered = SUCCEEDED(CoInitialize(NULL));

    target[0] = '\0';
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wideLinkPath, ShellPathSize)
        && SUCCEEDED(CoCreateInstance(ShellLinkClass, NULL, CLSCTX_INPROC_SERVER, ShellLinkInterface,
                                      (void **)&link))) {
        if (SUCCEEDED(link->QueryInterface(PersistFileInterface, (void **)&file))) {
            read = SUCCEEDED(file->Load(wideLinkPath, STGM_READ)) && SUCCEEDED(link->GetPath(target, capacity, NULL, 0))
                && target[0];
            file->Release();
        }
        link->Release();
    }
    if (comEntered)
        CoUninitialize();
    return read;
}

int ComposeExplorerCommand(char *command, int capacity, const char *program)
{
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || capacity < 1)
        return 0;
    // A Windows folder with a blank in its name is quoted, so that the
    // command names no other program.
    const char *quote = "";
    for (const char *c = windows; *c; ++c)
        if (*c == ' ')
            quote = "\"";
    const char *parts[] = {quote, windows, windows[length - 1] == '\\' ? "" : "\\", program, quote, " "};
    command[0] = '\0';
    for (const char *part : parts)
        if (!AppendPath(command, capacity, part)) {
            command[0] = '\0';
            return 0;
        }
    return lstrlenA(command);
}

// Starts a command line with a shown window and does not wait for it.
int StartProcess(const char *commandLine)
{
    char command[LongFolderSize];
    STARTUPINFOA startup = {};
    PROCESS_INFORMATION process;

    // CreateProcessA wants a writable command line.
    if (lstrlenA(commandLine) >= (int)sizeof command)
        return 0;
    lstrcpyA(command, commandLine);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, NORMAL_PRIORITY_CLASS, NULL, NULL, &startup,
                        &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}
