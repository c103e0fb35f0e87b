#include "support/test_support.h"

#include <cstdlib>

namespace nltest {

namespace {

std::string FromEnvironment(const char *name, const char *fallback)
{
    const char *value = std::getenv(name);
    return value && *value ? value : fallback;
}

std::string Convert(const std::string &text, UINT from, UINT to)
{
    if (text.empty())
        return text;
    int wide = MultiByteToWideChar(from, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring buffer(wide, L'\0');
    MultiByteToWideChar(from, 0, text.data(), (int)text.size(), &buffer[0], wide);
    int narrow = WideCharToMultiByte(to, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(narrow, '\0');
    WideCharToMultiByte(to, 0, buffer.data(), wide, &out[0], narrow, nullptr, nullptr);
    return out;
}

} // namespace

std::string BuildDir()
{
    return FromEnvironment("NL_BUILD_DIR", ".");
}

std::string SourceDir()
{
    return FromEnvironment("NL_SOURCE_DIR", ".");
}

std::string JoinPath(const std::string &directory, const std::string &name)
{
    if (directory.empty())
        return name;
    if (directory.back() == '\\')
        return directory + name;
    return directory + "\\" + name;
}

std::string ProgramDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of('\\'));
}

TempDir::TempDir(const std::string &tag)
{
    static int counter;
    std::string base = JoinPath(BuildDir(), "testtmp");
    CreateDirectoryA(base.c_str(), nullptr);
    for (;;) {
        path_ = JoinPath(base, tag + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
        if (CreateDirectoryA(path_.c_str(), nullptr))
            break;
    }
}

TempDir::~TempDir()
{
    // A program that is still ending may hold a folder for a moment.
    for (int attempt = 0; attempt < 40; ++attempt) {
        RemoveTree(path_);
        if (GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES)
            break;
        Sleep(50);
    }
}

bool FileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadFileBytes(const std::string &path, std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got)
        bytes.append(chunk, got);
    CloseHandle(file);
    return true;
}

std::string ReadFileText(const std::string &path)
{
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

bool WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool MakeDirectories(const std::string &path)
{
    if (DirectoryExists(path))
        return true;
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2)
        MakeDirectories(path.substr(0, slash));
    return CreateDirectoryA(path.c_str(), nullptr) || DirectoryExists(path);
}

void ForEachEntry(const std::string &directory, const std::function<void(const WIN32_FIND_DATAA &)> &visit,
                  const std::string &pattern)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(JoinPath(directory, pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (lstrcmpA(entry.cFileName, ".") != 0 && lstrcmpA(entry.cFileName, "..") != 0)
            visit(entry);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

bool IsDirectoryEntry(const WIN32_FIND_DATAA &entry)
{
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void RemoveTree(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        ForEachEntry(path, [&](const WIN32_FIND_DATAA &entry) { RemoveTree(JoinPath(path, entry.cFileName)); });
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryA(path.c_str());
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryA(path.c_str());
    } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

std::string CurrentDirectory()
{
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, path);
    return path;
}

std::string GetProfile(const char *section, const char *key)
{
    char value[4096] = {};
    GetProfileStringA(section, key, "", value, sizeof value);
    return value;
}

void SetProfile(const char *section, const char *key, const char *value)
{
    WriteProfileStringA(section, key, value);
}

void DeleteProfileSection(const char *section)
{
    WriteProfileStringA(section, nullptr, nullptr);
}

bool ReadRegistryRaw(HKEY root, const std::string &key, const std::string &value, DWORD &type,
                     std::string &data)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    char buffer[4096];
    DWORD size = sizeof buffer;
    LONG status = RegQueryValueExA(handle, value.c_str(), nullptr, &type, (BYTE *)buffer, &size);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS)
        return false;
    data.assign(buffer, size);
    return true;
}

bool ReadRegistryString(HKEY root, const std::string &key, const std::string &value, std::string &data)
{
    DWORD type = 0;
    if (!ReadRegistryRaw(root, key, value, type, data))
        return false;
    while (!data.empty() && data.back() == 0)
        data.pop_back();
    return true;
}

bool WriteRegistryString(HKEY root, const std::string &key, const std::string &value, const std::string &data)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(handle, value.c_str(), 0, REG_SZ, (const BYTE *)data.c_str(), (DWORD)data.size() + 1);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

void DeleteRegistryTree(HKEY root, const std::string &key)
{
    RegDeleteTreeA(root, key.c_str());
    RegDeleteKeyA(root, key.c_str());
}

void DeleteRegistryValue(HKEY root, const std::string &key, const std::string &value)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(handle, value.c_str());
    RegCloseKey(handle);
}

std::string Cp1252(const std::string &utf8)
{
    return Convert(utf8, CP_UTF8, 1252);
}

std::string Utf8(const std::string &cp1252)
{
    return Convert(cp1252, 1252, CP_UTF8);
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    WindowSearch *search = (WindowSearch *)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId == 0 || owner == search->processId)
        search->windows.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    WindowSearch search = {processId, {}};
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.windows;
}

bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs, DWORD pollMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(pollMs);
    }
}

} // namespace nltest
