#include "support/shell_support.h"
#include "support/test_support.h"

#include <shlobj.h>
#include <tlhelp32.h>

namespace nltest {

const char ShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

const char UserShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void ShellFoldersOverride::Set(const std::string &value, const std::string &folder)
{
    std::string data(folder.c_str(), folder.size() + 1);
    KeepRegistryValue(HKEY_CURRENT_USER, UserShellFoldersKey, value);
    WriteRegistryRaw(HKEY_CURRENT_USER, UserShellFoldersKey, value, REG_EXPAND_SZ, data);
    KeepRegistryValue(HKEY_CURRENT_USER, ShellFoldersKey, value);
    WriteRegistryRaw(HKEY_CURRENT_USER, ShellFoldersKey, value, REG_SZ, data);
}

void ShellFoldersOverride::Remove(const std::string &value)
{
    KeepRegistryValue(HKEY_CURRENT_USER, ShellFoldersKey, value);
    DeleteRegistryValue(HKEY_CURRENT_USER, ShellFoldersKey, value);
}

void ShellFoldersOverride::SetRaw(const std::string &value, DWORD type, const std::string &data)
{
    KeepRegistryValue(HKEY_CURRENT_USER, ShellFoldersKey, value);
    WriteRegistryRaw(HKEY_CURRENT_USER, ShellFoldersKey, value, type, data);
}

Shortcut ReadShortcut(const std::string &linkPath)
{
    Shortcut info;
    HRESULT init = CoInitialize(nullptr);
    IShellLinkA *link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void **)&link))) {
        IPersistFile *file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[MAX_PATH * 2] = {};
                link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
                info.target = text;
                text[0] = 0;
                link->GetArguments(text, sizeof text);
                info.arguments = text;
                text[0] = 0;
                link->GetWorkingDirectory(text, sizeof text);
                info.workingDirectory = text;
                link->GetShowCmd(&info.showCommand);
                info.ok = true;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return info;
}

bool WriteShortcut(const std::string &linkPath, const std::string &target)
{
    bool written = false;
    HRESULT init = CoInitialize(nullptr);
    IShellLinkA *link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void **)&link))) {
        IPersistFile *file = nullptr;
        if (SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            written = SUCCEEDED(file->Save(wide, TRUE));
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return written;
}

std::set<DWORD> ProcessIds(const std::string &exeName)
{
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0)
            ids.insert(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

std::vector<std::string> WindowTitles(DWORD processId)
{
    std::vector<std::string> titles;
    for (HWND window : TopLevelWindows(processId)) {
        if (!IsWindowVisible(window))
            continue;
        char title[512] = {};
        GetWindowTextA(window, title, sizeof title);
        titles.push_back(title);
    }
    return titles;
}

void EndProcess(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return;
    // A program still starting has no window to close yet.
    std::vector<HWND> windows = TopLevelWindows(processId);
    for (HWND window : windows)
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (windows.empty() || WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}

std::set<std::string> DirectoryEntries(const std::string &directory)
{
    std::set<std::string> names;
    ForEachEntry(directory, [&](const WIN32_FIND_DATAA &entry) { names.insert(entry.cFileName); });
    return names;
}

} // namespace nltest
