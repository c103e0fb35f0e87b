// VERSION.DLL, loaded by full path from the system directory on first use.
// A library or function that cannot be found makes every call through it
// fail as the real function fails, never crash.
#include "setup/system_library.h"
#include "setup/path_text.h"

namespace {

enum Library { VersionLibrary, LibraryCount };

const char *const libraryNames[LibraryCount] = { "version.dll" };
HMODULE libraries[LibraryCount];
int librariesTried[LibraryCount];

enum Function {
    FnGetFileVersionInfoSize, FnGetFileVersionInfo, FnVerQueryValue,
    FunctionCount
};

struct FunctionEntry {
    Library library;
    const char *name;
};

const FunctionEntry functionTable[FunctionCount] = {
    { VersionLibrary, "GetFileVersionInfoSizeA" },
    { VersionLibrary, "GetFileVersionInfoA" },
    { VersionLibrary, "VerQueryValueA" },
};
FARPROC functions[FunctionCount];

typedef DWORD (WINAPI *VersionSizeProc)(LPCSTR, LPDWORD);
typedef BOOL (WINAPI *VersionInfoProc)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL (WINAPI *VersionQueryProc)(LPCVOID, LPCSTR, LPVOID *, PUINT);

// Loads a library from the system directory, once.
HMODULE SystemLibrary(Library library)
{
    if (librariesTried[library])
        return libraries[library];
    librariesTried[library] = 1;

    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    const char *name = libraryNames[library];
    if (length == 0 || length >= MAX_PATH)
        return NULL;
    if ((path[length - 1] != '\\' && !AppendPath(path, MAX_PATH, "\\")) || !AppendPath(path, MAX_PATH, name))
        return NULL;
    libraries[library] = LoadLibraryA(path);
    return libraries[library];
}

// The address of a function, NULL when it cannot be had.
FARPROC Address(Function function)
{
    if (!functions[function]) {
        HMODULE module = SystemLibrary(functionTable[function].library);
        if (module)
            functions[function] = GetProcAddress(module, functionTable[function].name);
    }
    return functions[function];
}

// GetProcAddress hands back FARPROC; the cast to the real type goes
// through void * to keep the compiler's function-cast warning quiet.
template <typename Proc> Proc Lookup(Function function)
{
    return (Proc)(void *)Address(function);
}

} // namespace

DWORD SysGetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle)
{
    VersionSizeProc proc = Lookup<VersionSizeProc>(FnGetFileVersionInfoSize);
    if (handle)
        *handle = 0;
    return proc ? proc(path, handle) : 0;
}

BOOL SysGetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data)
{
    VersionInfoProc proc = Lookup<VersionInfoProc>(FnGetFileVersionInfo);
    return proc ? proc(path, handle, size, data) : FALSE;
}

BOOL SysVerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, PUINT length)
{
    VersionQueryProc proc = Lookup<VersionQueryProc>(FnVerQueryValue);
    return proc ? proc(block, subBlock, buffer, length) : FALSE;
}
