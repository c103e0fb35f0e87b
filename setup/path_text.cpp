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
