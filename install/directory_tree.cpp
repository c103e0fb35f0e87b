// Removal of a directory with everything below it. Read-only, hidden and
// system files go too; a directory link is removed without entering it, so
// nothing outside the tree is touched.
#include "install/directory_tree.h"
#include "setup/path_text.h"

#include <windows.h>

namespace {

const int EntryPathSize = 512;
const DWORD ProtectedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
const DWORD LinkAttribute = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT: junction or symbolic link
const char AllEntries[] = "\\*.*";

int IsDotEntry(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

int DeleteOneFile(const char *path, DWORD attributes)
{
    if (attributes & ProtectedAttributes)
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    OFSTRUCT openInfo;
    if (OpenFile(path, &openInfo, OF_DELETE) != HFILE_ERROR)
        return 1;
    // OpenFile takes no path of OFS_MAXPATHNAME characters or more.
    return DeleteFileA(path) != 0;
}

// A link to a directory goes as a directory or, where the system shows it
// as a file link, as a file; what it points to stays.
int RemoveLink(const char *path)
{
    return RemoveDirectoryA(path) || DeleteFileA(path);
}

int RemoveSubdirectory(const char *path, DWORD attributes)
{
    if (attributes & LinkAttribute)
        return RemoveLink(path);
    int ok = DeleteDirectoryContents(path);
    if (!RemoveDirectoryA(path))
        ok = 0;
    return ok;
}

} // namespace

int RemoveDirectoryTree(const char *path)
{
    // An empty path would mean the current drive's root below.
    if (!path[0])
        return 0;
    // Saved whole, so coming back needs no knowledge of the drive's root.
    char savedDirectory[MAX_PATH];
    DWORD savedLength = GetCurrentDirectoryA(MAX_PATH, savedDirectory);
    int saved = savedLength > 0 && savedLength < MAX_PATH;

    // A path without a drive letter is taken from the current drive's root.
    SetCurrentDirectoryA("\\");
    DWORD attributes = GetFileAttributesA(path);
    int ok;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & LinkAttribute)
        && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        ok = RemoveLink(path);
    else
        ok = RemoveSubdirectory(path, 0);

    if (saved)
        SetCurrentDirectoryA(savedDirectory);
    return ok;
}

int DeleteDirectoryContents(const char *directory)
{
    char pattern[EntryPathSize];
    if (!ComposePath(pattern, EntryPathSize, directory, AllEntries))
        return 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 1;

    int ok = 1;
    do {
        DWORD attributes = entry.dwFileAttributes;
        int isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isDirectory && IsDotEntry(entry.cFileName))
            continue;
        char entryPath[EntryPathSize];
        if (!ComposePath(entryPath, EntryPathSize, directory, "\\")
            || !AppendPath(entryPath, EntryPathSize, entry.cFileName)) {
            ok = 0;
            continue;
        }
        if (isDirectory)
            ok &= RemoveSubdirectory(entryPath, attributes);
        else
            ok &= DeleteOneFile(entryPath, attributes);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return ok;
}
