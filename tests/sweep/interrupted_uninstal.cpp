// Uninstal.exe as built, with each change it makes to the machine written
// to the log that NL_CHANGE_LOG names. With NL_STOP_AFTER=k the process
// ends right after the k-th change, as abruptly as a power cut: nothing of
// the uninstaller's own runs after it. Its finishing copy inherits both.
// A change is a call that succeeded: a file or folder deleted or moved, a
// registry key deleted or value written, an INI line written or removed, a
// deletion scheduled at restart.
#include "support/import_override.h"

#include <windows.h>
#include <memory>
#include <vector>

int WINAPI UninstallerMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

char logPath[MAX_PATH];
long stopAfter;
long changes;
// Taken before its import is replaced.
decltype(&GetProcAddress) realGetProcAddress;

void Log(const char *text)
{
    HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             0, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(log, text, lstrlenA(text), &written, nullptr);
    WriteFile(log, "\r\n", 2, &written, nullptr);
    CloseHandle(log);
}

// Logs a change that happened, and stops there when it is the k-th.
void Changed(bool happened, const char *function, const char *first, const char *second = "")
{
    if (!happened)
        return;
    char line[3 * MAX_PATH];
    wsprintfA(line, "%ld %s %s %s", ++changes, function, first ? first : "(null)", second ? second : "(null)");
    Log(line);
    if (changes == stopAfter) {
        Log("stop");
        TerminateProcess(GetCurrentProcess(), 99);
    }
}

template <typename Function> Function Real(const char *dll, const char *name)
{
    FARPROC found = realGetProcAddress(GetModuleHandleA(dll), name);
    Function function;
    CopyMemory(&function, &found, sizeof function);
    return function;
}

BOOL WINAPI CountedDeleteFile(LPCSTR path)
{
    BOOL done = Real<decltype(&DeleteFileA)>("kernel32", "DeleteFileA")(path);
    Changed(done, "DeleteFileA", path);
    return done;
}

BOOL WINAPI CountedRemoveDirectory(LPCSTR path)
{
    BOOL done = Real<decltype(&RemoveDirectoryA)>("kernel32", "RemoveDirectoryA")(path);
    Changed(done, "RemoveDirectoryA", path);
    return done;
}

BOOL WINAPI CountedMoveFile(LPCSTR from, LPCSTR to)
{
    BOOL done = Real<decltype(&MoveFileA)>("kernel32", "MoveFileA")(from, to);
    Changed(done, "MoveFileA", from, to);
    return done;
}

BOOL WINAPI CountedMoveFileEx(LPCSTR from, LPCSTR to, DWORD flags)
{
    BOOL done = Real<decltype(&MoveFileExA)>("kernel32", "MoveFileExA")(from, to, flags);
    Changed(done, "MoveFileExA", from, to);
    return done;
}

BOOL WINAPI CountedWriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value)
{
    BOOL done = Real<decltype(&WriteProfileStringA)>("kernel32", "WriteProfileStringA")(section, key, value);
    Changed(done, "WriteProfileStringA", section, key);
    return done;
}

BOOL WINAPI CountedWritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    BOOL done = Real<decltype(&WritePrivateProfileStringA)>("kernel32", "WritePrivateProfileStringA")(section, key,
                                                                                                     value, file);
    Changed(done, "WritePrivateProfileStringA", file, key);
    return done;
}

LONG WINAPI CountedRegDeleteKey(HKEY root, LPCSTR key)
{
    LONG status = Real<decltype(&RegDeleteKeyA)>("advapi32", "RegDeleteKeyA")(root, key);
    Changed(status == ERROR_SUCCESS, "RegDeleteKeyA", key);
    return status;
}

LONG WINAPI CountedRegSetValueEx(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size)
{
    LONG status = Real<decltype(&RegSetValueExA)>("advapi32", "RegSetValueExA")(key, name, reserved, type, data, size);
    Changed(status == ERROR_SUCCESS, "RegSetValueExA", name, type == REG_SZ ? (const char *)data : "");
    return status;
}

// The uninstaller looks MoveFileExA up at run time.
FARPROC WINAPI CountedGetProcAddress(HMODULE module, LPCSTR name)
{
    if ((ULONG_PTR)name > 0xFFFF && lstrcmpA(name, "MoveFileExA") == 0) {
        FARPROC counted;
        decltype(&MoveFileExA) replacement = &CountedMoveFileEx;
        CopyMemory(&counted, &replacement, sizeof counted);
        return counted;
    }
    return realGetProcAddress(module, name);
}

} // namespace

int main()
{
    char number[16] = "";
    realGetProcAddress = &GetProcAddress;
    if (GetEnvironmentVariableA("NL_CHANGE_LOG", logPath, MAX_PATH) - 1 >= MAX_PATH - 1)
        logPath[0] = '\0';
    if (GetEnvironmentVariableA("NL_STOP_AFTER", number, sizeof number) - 1 < sizeof number - 1)
        for (const char *c = number; *c >= '0' && *c <= '9'; c++)
            stopAfter = stopAfter * 10 + (*c - '0');
    if (logPath[0]) {
        char line[64 + MAX_PATH];
        wsprintfA(line, "start %lu %.200s", GetCurrentProcessId(), GetCommandLineA());
        Log(line);
    }
    std::vector<std::unique_ptr<nltest::ImportOverride>> counted;
    if (logPath[0]) {
        const struct {
            const char *name;
            const void *replacement;
        } overrides[] = {
            {"DeleteFileA", reinterpret_cast<const void *>(&CountedDeleteFile)},
            {"RemoveDirectoryA", reinterpret_cast<const void *>(&CountedRemoveDirectory)},
            {"MoveFileA", reinterpret_cast<const void *>(&CountedMoveFile)},
            {"WriteProfileStringA", reinterpret_cast<const void *>(&CountedWriteProfileString)},
            {"WritePrivateProfileStringA", reinterpret_cast<const void *>(&CountedWritePrivateProfileString)},
            {"RegDeleteKeyA", reinterpret_cast<const void *>(&CountedRegDeleteKey)},
            {"RegSetValueExA", reinterpret_cast<const void *>(&CountedRegSetValueEx)},
            {"GetProcAddress", reinterpret_cast<const void *>(&CountedGetProcAddress)},
        };
        for (const auto &o : overrides)
            counted.emplace_back(new nltest::ImportOverride(o.name, o.replacement));
    }
    return UninstallerMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
}
