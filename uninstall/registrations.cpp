// Removal of what the setup registered outside the installation folder.
// Only the names the setup writes are removed, in both languages.
#include "uninstall/registrations.h"
#include "uninstall/installed_files.h"
#include "uninstall/removal_report.h"
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
    SectionNamesSize = 1024,
    SectionValuesSize = 64
};

void NotifyFolderChanged(const char *folder)
{
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, folder, NULL);
}

void DeleteLink(const char *folder, const char *name)
{
    char path[MAX_PATH];
    if (ComposePath(path, sizeof path, folder, name))
        DeleteFileA(path);
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

int HoldsProfileValues(const char *file)
{
    char sections[SectionNamesSize];
    char values[SectionValuesSize];
    DWORD length = GetPrivateProfileSectionNamesA(sections, sizeof sections, file);
    if (length >= sizeof sections - 2)
        return 1;
    for (const char *name = sections; *name; name += lstrlenA(name) + 1)
        if (GetPrivateProfileSectionA(name, values, sizeof values, file))
            return 1;
    return 0;
}

} // namespace

void RemoveShortcuts()
{
    char folder[MAX_PATH];
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
    // The setup makes the file when there was none: left without a single
    // value, it says nothing and goes.
    if (removed && !HoldsProfileValues(settings))
        DeleteFileA(settings);
}

void RemoveUninstallEntry()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallEntryKey);
}

void RemoveDanglingUninstallEntry()
{
    char program[PathBufferSize];
    DWORD size = sizeof program - 1;
    if (RegistryReadValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString", program, &size)) {
        program[size] = '\0';
        if (GetFileAttributesA(program) != INVALID_FILE_ATTRIBUTES)
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
    char directory[PathBufferSize];
    if (!GetProfileStringA(ProductSection, DirectoryKey, "", directory, sizeof directory))
        return 0;
    return CanonicalFolder(directory, folder, capacity);
}
