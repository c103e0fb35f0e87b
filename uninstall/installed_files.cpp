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

// Deletes one file, read-only or not. A file that cannot go keeps its
// attributes and is named as in use.
void DeleteProductFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    if (attributes & ProtectedAttributes)
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path))
        return;
    SetFileAttributesA(path, attributes);
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        keptProductFiles++;
        ReportKept(FileInUseFormat, path);
    }
}

// Whether a line of the list is the uninstaller or the list itself, which
// go last.
int IsKeptForLast(const char *name)
{
    return lstrcmpiA(name, InstalledListName) == 0 || lstrcmpiA(name, UninstallerName) == 0;
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

// Calls visit with each line of the folder's list, read in chunks. A line
// too long for a path or holding control characters is skipped whole.
// 0 when the list cannot be read to its end.
template <typename Visit> int ReadListLines(const char *folder, Visit visit)
{
    char listPath[MAX_PATH];
    char chunk[ReadChunkSize];
    char line[MAX_PATH];
    int length = 0, spoilt = 0, whole = 0;
    DWORD got;

    if (!ComposeEntry(listPath, folder, InstalledListName))
        return 0;
    HANDLE list = CreateFileA(listPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (list == INVALID_HANDLE_VALUE)
        return 0;
    auto endLine = [&] {
        line[length] = '\0';
        if (length > 0 && !spoilt)
            visit(line);
        length = spoilt = 0;
    };
    while (ReadFile(list, chunk, sizeof chunk, &got, NULL)) {
        if (got == 0) {
            whole = 1;
            break;
        }
        for (DWORD i = 0; i < got; i++) {
            char c = chunk[i];
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
    return whole;
}

// The listed files but the uninstaller and the list; those two go only when
// nothing else of the product stays, since a later run needs them.
void DeleteListedFiles(const char *folder)
{
    char path[MAX_PATH];
    int listsUninstaller = 0;
    int whole = ReadListLines(folder, [&](const char *name) {
        DeleteListedFile(folder, name);
        if (lstrcmpiA(name, UninstallerName) == 0)
            listsUninstaller = 1;
    });
    if (!whole) {
        keptProductFiles++;
        if (ComposeEntry(path, folder, InstalledListName))
            ReportKept(ListUnreadableFormat, path);
    }
    if (keptProductFiles)
        return;
    if (listsUninstaller && ComposeEntry(path, folder, UninstallerName))
        DeleteProductFile(path);
    if (!keptProductFiles && ComposeEntry(path, folder, InstalledListName))
        DeleteProductFile(path);
}

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

// The files the product wrote in one of its working folders; folders in it
// are not the product's and stay.
void EmptyWorkingFolder(const char *folder)
{
    char pattern[MAX_PATH];
    char path[MAX_PATH];
    WIN32_FIND_DATAA entry;

    if (!IsOwnFolder(folder) || !ComposeEntry(pattern, folder, "*.*"))
        return;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ComposeEntry(path, folder, entry.cFileName))
            DeleteProductFile(path);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

// The uninstaller and its list, kept in the installation folder while
// other files of the product stay.
int IsKeptForLater(const char *installFolder, const char *path)
{
    char kept[MAX_PATH];
    const char *name = path + NameStart(path);
    return keptProductFiles && IsKeptForLast(name) && ComposeEntry(kept, installFolder, name)
        && lstrcmpiA(kept, path) == 0;
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
    char pattern[MAX_PATH];
    char path[MAX_PATH];
    WIN32_FIND_DATAA entry;
    int foreign = 0;

    if (!ComposeEntry(pattern, folder, "*.*"))
        return 1;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const char *name = entry.cFileName;
        if (lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0)
            continue;
        if (!ComposeEntry(path, folder, name) || WasReported(path) || IsKeptForLater(installFolder, path))
            continue;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTreeFolder(installFolder, path))
            continue;
        foreign = 1;
    } while (!foreign && FindNextFileA(search, &entry));
    FindClose(search);
    return foreign;
}

// Removes a folder left empty; one that is not is kept and, when files the
// product did not install are the reason, named.
void RemoveFolder(const char *installFolder, const char *folder)
{
    if (IsOwnFolder(folder) && !RemoveDirectoryA(folder) && HoldsForeignEntries(installFolder, folder))
        ReportKept(KeptFolderFormat, folder);
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
    if (!FolderAsPath(folder, root, sizeof root))
        return NotAnInstallation;
    DWORD attributes = GetFileAttributesA(root);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FolderMissing : NotAnInstallation;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || IsLink(attributes))
        return NotAnInstallation;
    int namesProgram = 0;
    int whole = ReadListLines(folder, [&](const char *name) {
        if (lstrcmpiA(name, ProductProgramName) == 0)
            namesProgram = 1;
    });
    return whole && namesProgram ? ProductInstallation : NotAnInstallation;
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

int RemoveInstalledFiles(const char *folder)
{
    char path[MAX_PATH];
    int shared = IsSharedFolder(folder);

    keptProductFiles = 0;
    if (!shared) {
        if (ComposePath(path, sizeof path, folder, ProductIniName))
            DeleteProductFile(path);
        for (const char *working : WorkingFolders)
            if (ComposePath(path, sizeof path, folder, working))
                EmptyWorkingFolder(path);
    }
    DeleteListedFiles(folder);
    // Children come after their parents in the setup's table.
    for (int i = InstallSubdirectoryCount - 1; i >= 0; i--) {
        if (shared && IsWorkingFolder(InstallSubdirectories[i]))
            continue;
        if (ComposePath(path, sizeof path, folder, InstallSubdirectories[i]))
            RemoveFolder(folder, path);
    }
    if (shared)
        ReportKeptFolder(SharedFolderFormat, folder);
    else
        RemoveFolder(folder, folder);
    return keptProductFiles == 0;
}
