// What a planted DLL or program does when it is used: it leaves NAME.loaded
// beside itself (version.dll.loaded, Explorer.exe.loaded), so a test can
// tell that the planted copy ran.
#ifndef NIMBALUNE_PLANTED_MARKER_H
#define NIMBALUNE_PLANTED_MARKER_H

#include <windows.h>

inline void LeaveLoadedMarker(HMODULE module)
{
    char path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatA(path, ".loaded");
    HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker != INVALID_HANDLE_VALUE)
        CloseHandle(marker);
}

#endif
