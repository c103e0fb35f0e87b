// Functions of VERSION.DLL, loaded from the system directory only. Windows
// does not always take it from its own folder, so an import would pick up
// a file of that name beside setup.exe instead.
#ifndef NIMBALUNE_SYSTEM_LIBRARY_H
#define NIMBALUNE_SYSTEM_LIBRARY_H

#include <windows.h>

// Each wrapper behaves as the system function does; when the library or
// the function cannot be loaded it reports failure the way that function
// does (0 or FALSE).
DWORD SysGetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle);
BOOL SysGetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
BOOL SysVerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, PUINT length);

#endif
