// Removal of what the setup registered outside the installation folder.
// Only the names the setup writes are removed, in both languages.
#include "uninstall/registrations.h"
#include "uninstall/path_forms.h"
#include "uninstall/removal_report.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_texts.h"
#include "desktop/progman_group.h"
#include "desktop/registry.h"
#include "desktop/shell_links.h"
#include "setup/message_catalogue.h"
#include "setup/path_text.h"
#include "setup/setup_context.h"

#include <windows.h>
#include <shlobj.h>

namespace {

const int ProgramLinkNames[] = {StartProgramLinkName, ControlPanelLinkName, InstructionsLinkName,
                                UninstallLinkName};
const int Languages[] = {LanguageFrench, LanguageEnglish};

enum {
    GroupKeySize = 16,
    DirectorySize = MAX_PATH + 2,       // one more than a usable path, to see a cut one
    SettingsReadSize = 4096             // a larger progman.ini holds more than the setup wrote
};

void NotifyFolderChanged(const char *folder)
{
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, folder, NULL);
}

// The folders a shortcut of the product may point into.
const char *productFolders[2];

// A shortcut goes only when it points into a folder of the product: a
// user's own file under the same name stays.
void DeleteLink(const char *folder, const char *name)
{
    char path[MAX_PATH];
    char target[MAX_PATH];
    if (!ComposePath(path, sizeof path, folder, name) || !ReadShellLinkTarget(path, target, sizeof target))
        return;
    for (const char *product : productFolders)
        if (product[0] && LiesBelow(target, product)) {
            DeleteFileA(path);
            return;
        }
}

// The control-panel shortcut the setup puts in the Start Menu and on the
// Desktop.
void RemoveControlPanelLinks(const char *valueName)
{
    char folder[MAX_PATH];
    if (!ReadShellFolder(valueName, folder, sizeof folder))
        return;
    for (int language : Languages)
        DeleteLink(folder, MessageTextIn(ControlPanelLinkName, language));
    NotifyFolderChanged(folder);
}

// The product's Programs-menu folder and its four shortcuts; the folder
// stays when it holds anything else.
void RemoveProgramsFolder()
{
    char programs[MAX_PATH];
    char folder[MAX_PATH];
    if (!ReadShellFolder("Programs", programs, sizeof programs)
        || !ComposePath(folder, sizeof folder, programs, ProductFolderName))
        return;
    for (int language : Languages)
        for (int name : ProgramLinkNames)
            DeleteLink(folder, MessageTextIn(name, language));
    if (!RemoveDirectoryA(folder) && GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES)
        ReportKept(KeptFolderFormat, folder);
    NotifyFolderChanged(programs);
}

int IsGroupsHeader(char *line, int length)
{
    if (length < 2 || line[0] != '[' || line[length - 1] != ']')
        return 0;
    line[length - 1] = '\0';
    return lstrcmpiA(line + 1, GroupsSection) == 0;
}

// Whether a settings file holds nothing but what the setup writes into one
// it makes: the [Groups] header, and blank lines. Any other line, a
// comment or an empty section too, is the user's.
int HoldsOnlyGroupsHeader(const char *file)
{
    char text[SettingsReadSize];
    DWORD size = 0;
    HANDLE handle = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    int read = ReadFile(handle, text, sizeof text - 1, &size, NULL) && size < sizeof text - 1;
    CloseHandle(handle);
    if (!read)
        return 0;
    text[size] = '\0';
    for (char *line = text; *line;) {
        char *end = line;
        while (*end && *end != '\r' && *end != '\n')
            end++;
        char *next = *end ? end + 1 : end;
        while (end > line && (end[-1] == ' ' || end[-1] == '\t'))
            end--;
        *end = '\0';
        while (*line == ' ' || *line == '\t')
            line++;
        if (*line && !IsGroupsHeader(line, (int)(end - line)))
            return 0;
        line = next;
    }
    return 1;
}

} // namespace

void RemoveShortcuts(const char *installFolder, const char *formerFolder)
{
    char folder[MAX_PATH];
    productFolders[0] = installFolder;
    productFolders[1] = formerFolder;
    RemoveProgramsFolder();
    RemoveControlPanelLinks("Start Menu");
    RemoveControlPanelLinks("Desktop");
    if (ReadShellFolder("StartUp", folder, sizeof folder)) {
        DeleteLink(folder, StartUpShortcutName);
        NotifyFolderChanged(folder);
    }
}

void RemoveProgmanGroup()
{
    char windows[MAX_PATH];
    char groupPath[MAX_PATH];
    char settings[MAX_PATH];
    char key[GroupKeySize];
    char value[PathBufferSize];

    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows || !ComposePath(groupPath, sizeof groupPath, windows, GroupFileName)
        || !ComposePath(settings, sizeof settings, windows, SettingsFileName))
        return;
    SetFileAttributesA(groupPath, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(groupPath);
    // Every key naming the group goes; the others keep their numbers.
    int removed = 0;
    for (int number = 1; number <= MaxGroupNumber; number++) {
        wsprintfA(key, "Group%d", number);
        if (GetPrivateProfileStringA(GroupsSection, key, "", value, sizeof value, settings)
            && lstrcmpiA(value, groupPath) == 0) {
            WritePrivateProfileStringA(GroupsSection, key, NULL, settings);
            removed = 1;
        }
    }
    // The setup makes the file when there was none: left with nothing the
    // user wrote, it goes.
    if (removed && HoldsOnlyGroupsHeader(settings))
        DeleteFileA(settings);
}

void RemoveUninstallEntry()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallEntryKey);
}

int PointUninstallEntryAt(const char *program)
{
    return RegistryWriteValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString", REG_SZ, program,
                              lstrlenA(program) + 1);
}

namespace {

// The program the uninstall entry starts, in PathBufferSize bytes; 0 when
// there is none.
int ReadEntryProgram(char *program)
{
    DWORD size = PathBufferSize - 1;
    if (!RegistryReadValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString", program, &size))
        return 0;
    program[size] = '\0';
    return 1;
}

} // namespace

int UninstallEntryNames(const char *program)
{
    char named[PathBufferSize];
    return ReadEntryProgram(named) && SamePath(named, program);
}

void RemoveDanglingUninstallEntry()
{
    char program[PathBufferSize];
    char self[MAX_PATH];
    if (ReadEntryProgram(program)) {
        int isSelf = RunningProgramPath(self) && SamePath(program, self);
        if (GetFileAttributesA(program) != INVALID_FILE_ATTRIBUTES && !(isSelf && IsFinishingCopy(self)))
            return;
    }
    RemoveUninstallEntry();
}

void RemoveProductSection()
{
    WriteProfileStringA(ProductSection, NULL, NULL);
}

int RecordedInstallFolder(char *folder, int capacity)
{
    char directory[DirectorySize];
    DWORD length = GetProfileStringA(ProductSection, DirectoryKey, "", directory, sizeof directory);
    if (length == 0)
        return NoRecordedFolder;
    // A value cut to the buffer may name a parent of the real folder.
    if (length >= MAX_PATH || !CanonicalFolder(directory, folder, capacity))
        return UnusableRecordedFolder;
    return RecordedFolder;
}
