// Path composition in fixed-size buffers.
#include "setup/path_text.h"

#include <windows.h>

int ComposePath(char *path, int capacity, const char *base, const char *suffix)
{
    if (capacity <= 0)
        return 0;
    path[0] = '\0';
    if (lstrlenA(base) + lstrlenA(suffix) >= capacity)
        return 0;
    lstrcpyA(path, base);
    lstrcatA(path, suffix);
    return 1;
}

int AppendPath(char *path, int capacity, const char *suffix)
{
    if (lstrlenA(path) + lstrlenA(suffix) >= capacity)
        return 0;
    lstrcatA(path, suffix);
    return 1;
}

int NameStart(const char *path)
{
    int start = 0;
    for (int i = 0; path[i]; ++i)
        if (path[i] == '\\')
            start = i + 1;
    return start;
}

void CutLastName(char *path)
{
    int start = NameStart(path);
    if (start > 0)
        path[start - 1] = '\0';
}

int GetProgramFolder(HINSTANCE instance, char *folder, int capacity)
{
    for (int i = 0; i < capacity; ++i)
        folder[i] = '\0';
    DWORD length = GetModuleFileNameA(instance, folder, (DWORD)capacity);
    // A cut path may come back without its terminator.
    if (length == 0 || (int)length >= capacity)
        return 0;
    CutLastName(folder);
    return 1;
}
