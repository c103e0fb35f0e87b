// Path comparison. Windows 95 has GetShortPathNameA but no
// GetLongPathNameA, so the short form is the common one; a path that does
// not exist has none, and then both sides are compared as full paths.
#include "uninstall/path_forms.h"
#include "setup/path_text.h"

#include <windows.h>

namespace {

// The full path without trailing backslash, a drive's root keeping its
// own ("C:\").
int FullForm(const char *path, char *full)
{
    char text[MAX_PATH];
    char *filePart;
    if (!FolderAsPath(path, text, MAX_PATH))
        return 0;
    DWORD length = GetFullPathNameA(text, MAX_PATH, full, &filePart);
    if (length < 3 || length >= MAX_PATH)
        return 0;
    while (length > 3 && full[length - 1] == '\\')
        full[--length] = '\0';
    return 1;
}

// Both paths in the same form; 0 when either cannot be resolved.
int CommonForms(const char *path, const char *other, char *pathForm, char *otherForm)
{
    char pathShort[MAX_PATH], otherShort[MAX_PATH];
    if (!FullForm(path, pathForm) || !FullForm(other, otherForm))
        return 0;
    lstrcpyA(pathShort, pathForm);
    lstrcpyA(otherShort, otherForm);
    if (ShortForm(pathShort) && ShortForm(otherShort)) {
        lstrcpyA(pathForm, pathShort);
        lstrcpyA(otherForm, otherShort);
    }
    return 1;
}

} // namespace

int ShortForm(char *path)
{
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path, shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    lstrcpyA(path, shortPath);
    return 1;
}

int FolderAsPath(const char *folder, char *path, int capacity)
{
    return ComposePath(path, capacity, folder, lstrlenA(folder) == 2 && folder[1] == ':' ? "\\" : "");
}

int CanonicalFolder(const char *text, char *folder, int capacity)
{
    char full[MAX_PATH];
    char letter = text[0] | 0x20;

    if (letter < 'a' || letter > 'z' || text[1] != ':' || text[2] != '\\' || !FullForm(text, full))
        return 0;
    int length = lstrlenA(full);
    if (length == 3)
        full[--length] = '\0';
    if (full[1] != ':' || length >= capacity)
        return 0;
    lstrcpyA(folder, full);
    return 1;
}

int LiesBelow(const char *path, const char *folder)
{
    char pathForm[MAX_PATH], folderForm[MAX_PATH];
    if (!CommonForms(path, folder, pathForm, folderForm))
        return 0;
    int length = lstrlenA(folderForm);
    if (folderForm[length - 1] == '\\')
        folderForm[--length] = '\0';
    if (lstrlenA(pathForm) <= length + 1 || pathForm[length] != '\\')
        return 0;
    pathForm[length] = '\0';
    return lstrcmpiA(pathForm, folderForm) == 0;
}

int SamePath(const char *path, const char *other)
{
    char pathForm[MAX_PATH], otherForm[MAX_PATH];
    return CommonForms(path, other, pathForm, otherForm) && lstrcmpiA(pathForm, otherForm) == 0;
}
