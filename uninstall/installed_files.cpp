// Removal of the installed files. Nothing is ever removed through a
// directory link, and no path leaves the installation folder: every path is
// checked, once composed, to lie below it.
#include "uninstall/installed_files.h"
#include "uninstall/path_forms.h"
#include "uninstall/removal_report.h"
#include "uninstall/uninstall_texts.h"
#include "setup/path_text.h"

#include <windows.h>

const char InstalledListName[] = "Uninstal.lst";

namespace {

// The setup's folder tree, parents before children.
const char *const InstallSubdirectories[] = {
#define NL_INSTALL_SUBDIRECTORY(suffix) suffix,
#include "install/medium_layout.def"
};
const int InstallSubdirectoryCount = sizeof InstallSubdirectories / sizeof InstallSubdirectories[0];

const char ProductIniName[] = "\\nimbalun.ini";
// The product's program, which the list of an installation names, and the
// uninstaller, which goes with the list, last.
const char ProductProgramName[] = "nimbalun.exe";
const char UninstallerName[] = "Uninstal.exe";
// The folders the product itself writes into; the setup makes them empty.
const char *const WorkingFolders[] = {"\\temp", "\\annule", "\\screen8.bmp", "\\screen24.bmp"};
const DWORD LinkAttribute = 0x400;      // FILE_ATTRIBUTE_REPARSE_POINT
const DWORD ProtectedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

enum {
    ReadChunkSize = 4096
};

int IsLink(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & LinkAttribute);
}

// folder + "\" + name, in a MAX_PATH buffer.
int ComposeEntry(char *path, const char *folder, const char *name)
{
    return ComposePath(path, MAX_PATH, folder, "\\") && AppendPath(path, MAX_PATH, name);
}

void ReportLink(const char *path)
{
    if (!WasReported(path))
        ReportKept(LinkKeptFormat, path);
}

// Whether a folder on the way from folder to folder\relative is a link.
int CrossesLink(const char *folder, const char *relative)
{
    char path[MAX_PATH];
    if (!ComposeEntry(path, folder, relative))
        return 1;
    for (int i = lstrlenA(folder) + 1; path[i]; i++) {
        if (path[i] != '\\')
            continue;
        path[i] = '\0';
        int link = IsLink(GetFileAttributesA(path));
        if (link)
            ReportLink(path);
        path[i] = '\\';
        if (link)
            return 1;
    }
    return 0;
}

// The product's files that had to stay in this removal.
int keptProductFiles;

// Why Windows kept a file, in the words of the report.
int KeptFileFormat(DWORD error)
{
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return FileInUseFormat;
    return error == ERROR_WRITE_PROTECT ? FileReadOnlyMediumFormat : FileAccessDeniedFormat;
}

// Deletes one file, read-only or not. A file that cannot go keeps its
// attributes and is named with the reason Windows gave.
void DeleteProductFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    if (attributes & ProtectedAttributes)
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path))
        return;
    DWORD error = GetLastError();
    SetFileAttributesA(path, attributes);
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        keptProductFiles++;
        ReportKept(KeptFileFormat(error), path);
    }
}

const char *const LastFileNames[] = {UninstallerName, InstalledListName};

// Whether a line of the list is the uninstaller or the list itself, which
// go last.
int IsKeptForLast(const char *name)
{
    for (const char *last : LastFileNames)
        if (lstrcmpiA(name, last) == 0)
            return 1;
    return 0;
}

void DeleteListedFile(const char *folder, const char *name)
{
    char path[MAX_PATH];
    if (IsKeptForLast(name) || !IsSafeListedName(name))
        return;
    if (!ComposeEntry(path, folder, name) || !LiesBelow(path, folder) || CrossesLink(folder, name))
        return;
    DeleteProductFile(path);
}

enum ListReading {
    ListUnreadable,
    ListCut,            // read to its end, but its last line has no line end
    ListWhole
};

// Calls visit with each line of the folder's list, read in chunks. A line
// too long for a path or holding control characters is skipped whole.
// A list the setup wrote whole ends with a line end.
template <typename Visit> int ReadListLines(const char *folder, Visit visit)
{
    char listPath[MAX_PATH];
    char chunk[ReadChunkSize];
    char line[MAX_PATH];
    int length = 0, spoilt = 0, reading = ListUnreadable;
    char last = '\0';
    DWORD got;

    if (!ComposeEntry(listPath, folder, InstalledListName))
        return ListUnreadable;
    HANDLE list = CreateFileA(listPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (list == INVALID_HANDLE_VALUE)
        return ListUnreadable;
    auto endLine = [&] {
        line[length] = '\0';
        if (length > 0 && !spoilt)
            visit(line);
        length = spoilt = 0;
    };
    while (ReadFile(list, chunk, sizeof chunk, &got, NULL)) {
        if (got == 0) {
            reading = last == '\n' || last == '\r' ? ListWhole : ListCut;
            break;
        }
        for (DWORD i = 0; i < got; i++) {
            char c = last = chunk[i];
            if (c == '\r' || c == '\n')
                endLine();
            else if ((unsigned char)c < ' ' || length == MAX_PATH - 1)
                spoilt = 1;
            else
                line[length++] = c;
        }
    }
    endLine();
    CloseHandle(list);
    return reading;
}

} // namespace

void DeleteListedFiles(const char *folder)
{
    char path[MAX_PATH];
    int reading = ReadListLines(folder, [&](const char *name) { DeleteListedFile(folder, name); });
    if (reading != ListWhole) {
        keptProductFiles++;
        if (ComposeEntry(path, folder, InstalledListName))
            ReportKept(ListUnreadableFormat, path);
    }
}

namespace {

// Whether a folder exists and is no link, which is named and never entered.
int IsOwnFolder(const char *folder)
{
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    if (IsLink(attributes)) {
        ReportLink(folder);
        return 0;
    }
    return 1;
}

// Calls match with each entry of a folder but "." and "..", until it
// answers 1; whether one did. A folder too deep to search counts as
// holding something.
template <typename Match> int AnyEntry(const char *folder, Match match)
{
    char pattern[MAX_PATH];
    char path[MAX_PATH];
    WIN32_FIND_DATAA entry;
    int found = 0;

    if (!ComposeEntry(pattern, folder, "*.*"))
        return 1;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const char *name = entry.cFileName;
        if (lstrcmpA(name, ".") != 0 && lstrcmpA(name, "..") != 0 && ComposeEntry(path, folder, name))
            found = match(entry, path);
    } while (!found && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// The files the product wrote in one of its working folders; folders in it
// are not the product's and stay.
void EmptyWorkingFolder(const char *folder)
{
    if (!IsOwnFolder(folder))
        return;
    AnyEntry(folder, [](const WIN32_FIND_DATAA &entry, const char *path) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteProductFile(path);
        return 0;
    });
}

int IsTreeFolder(const char *folder, const char *path)
{
    char treeFolder[MAX_PATH];
    for (int i = 0; i < InstallSubdirectoryCount; i++)
        if (ComposePath(treeFolder, sizeof treeFolder, folder, InstallSubdirectories[i])
            && lstrcmpiA(treeFolder, path) == 0)
            return 1;
    return 0;
}

// Whether a folder that could not be removed holds something that nothing
// else in the report explains: a file the product did not install.
int HoldsForeignEntries(const char *installFolder, const char *folder)
{
    return AnyEntry(folder, [&](const WIN32_FIND_DATAA &entry, const char *path) -> int {
        if (WasReported(path))
            return 0;
        return !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsTreeFolder(installFolder, path);
    });
}

// Whether a folder holds nothing at all.
int IsEmptyFolder(const char *folder)
{
    return !AnyEntry(folder, [](const WIN32_FIND_DATAA &, const char *) { return 1; });
}

// Removes a folder left empty. One that holds files the product did not
// install is kept and named; one that holds nothing yet stays (another
// process's current folder) is the product's, kept for a later run.
void RemoveFolder(const char *installFolder, const char *folder)
{
    if (!IsOwnFolder(folder) || RemoveDirectoryA(folder))
        return;
    if (HoldsForeignEntries(installFolder, folder))
        ReportKept(KeptFolderFormat, folder);
    else if (IsEmptyFolder(folder) && GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES) {
        keptProductFiles++;
        ReportKeptFolder(FolderInUseFormat, folder);
    }
}

int IsWorkingFolder(const char *suffix)
{
    for (const char *working : WorkingFolders)
        if (lstrcmpiA(working, suffix) == 0)
            return 1;
    return 0;
}

// Whether the folder is the Windows or system folder (which), or holds it.
int HoldsSystemFolder(const char *folder, UINT length, const char *which)
{
    return length > 0 && length < MAX_PATH && (SamePath(folder, which) || LiesBelow(which, folder));
}

} // namespace

int IsSharedFolder(const char *folder)
{
    char system[MAX_PATH];
    if (lstrlenA(folder) <= 2)
        return 1;
    if (HoldsSystemFolder(folder, GetWindowsDirectoryA(system, MAX_PATH), system))
        return 1;
    return HoldsSystemFolder(folder, GetSystemDirectoryA(system, MAX_PATH), system);
}

int CheckInstallation(const char *folder)
{
    char root[MAX_PATH];
    char listPath[MAX_PATH];
    if (!FolderAsPath(folder, root, sizeof root) || !ComposeEntry(listPath, folder, InstalledListName))
        return NotAnInstallation;
    DWORD attributes = GetFileAttributesA(root);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FolderMissing : NotAnInstallation;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return NotAnInstallation;
    if (IsLink(attributes))
        return LinkedFolder;
    if (IsEmptyFolder(root))
        return FolderEmpty;
    if (GetFileAttributesA(listPath) == INVALID_FILE_ATTRIBUTES)
        return NotAnInstallation;
    int namesProgram = 0, namesItself = 0;
    int reading = ReadListLines(folder, [&](const char *name) {
        if (lstrcmpiA(name, ProductProgramName) == 0)
            namesProgram = 1;
        if (lstrcmpiA(name, InstalledListName) == 0)
            namesItself = 1;
    });
    if (reading != ListWhole || !namesItself)
        return DamagedList;
    return namesProgram ? ProductInstallation : NotAnInstallation;
}

int IsSafeListedName(const char *name)
{
    int componentLength = 0, dotsOnly = 1;
    if (!name[0])
        return 0;
    for (const char *c = name;; c++) {
        if (*c == '\\' || *c == '\0') {
            // Windows drops a component's trailing dots and blanks, so
            // ".. " would climb out too.
            if (componentLength == 0 || dotsOnly || c[-1] == '.' || c[-1] == ' ')
                return 0;
            if (*c == '\0')
                return 1;
            componentLength = 0;
            dotsOnly = 1;
            continue;
        }
        if ((unsigned char)*c < ' ' || *c == ':' || *c == '/' || *c == '*' || *c == '?' || *c == '"'
            || *c == '<' || *c == '>' || *c == '|')
            return 0;
        componentLength++;
        if (*c != '.')
            dotsOnly = 0;
    }
}

void StartFileRemoval()
{
    keptProductFiles = 0;
}

int KeptProductFiles()
{
    return keptProductFiles;
}

void DeleteProductIni(const char *folder)
{
    char path[MAX_PATH];
    if (ComposePath(path, sizeof path, folder, ProductIniName))
        DeleteProductFile(path);
}

void EmptyWorkingFolders(const char *folder)
{
    char path[MAX_PATH];
    for (const char *working : WorkingFolders)
        if (ComposePath(path, sizeof path, folder, working))
            EmptyWorkingFolder(path);
}

void RemoveTreeFolders(const char *folder, int shared)
{
    char path[MAX_PATH];
    // Children come after their parents in the setup's table.
    for (int i = InstallSubdirectoryCount - 1; i >= 0; i--) {
        if (shared && IsWorkingFolder(InstallSubdirectories[i]))
            continue;
        if (ComposePath(path, sizeof path, folder, InstallSubdirectories[i]))
            RemoveFolder(folder, path);
    }
}

int LastFilePath(char *path, const char *folder, int which)
{
    return ComposeEntry(path, folder, LastFileNames[which]);
}

void DeleteLastFile(const char *folder, int which)
{
    char path[MAX_PATH];
    if (LastFilePath(path, folder, which))
        DeleteProductFile(path);
}

void RemoveInstallFolder(const char *folder)
{
    RemoveFolder(folder, folder);
}
