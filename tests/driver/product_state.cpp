#include "driver/product_state.h"
#include "driver/driver.h"
#include "driver/readback.h"
#include "support/shell_support.h"
#include "support/test_support.h"
#include "support/product_names.h"

#include <windows.h>
#include <algorithm>
#include <vector>

namespace nldriver {

void ForgetProduct()
{
    nltest::DeleteProfileSection(nltest::ProductSection);
    for (const char *directory : {"C:\\NimbaLun", "D:\\NimbaLun", "H:\\NimbaLun"})
        nltest::RemoveTree(directory);
    nltest::DeleteRegistryTree(HKEY_LOCAL_MACHINE, nltest::UninstallKey);

    nltest::RemoveTree(nltest::JoinPath(ShellFolder("Programs"), nltest::ProgramsFolderName));
    for (const char *folder : {"Start Menu", "Desktop"})
        for (const nltest::LanguageNames *language : nltest::Languages)
            DeleteFileA(nltest::JoinPath(ShellFolder(folder), nltest::Cp1252(language->controlPanelLink)).c_str());
    DeleteFileA(nltest::JoinPath(ShellFolder("StartUp"), nltest::StartUpLinkName).c_str());

    std::string windows = WindowsDirectory();
    DeleteFileA(nltest::JoinPath(windows, "nimbalun.grp").c_str());
    WritePrivateProfileStringA("Groups", nullptr, nullptr, nltest::JoinPath(windows, "progman.ini").c_str());
}

namespace {

// The windows an installation opens in other programs.
bool IsProductWindow(const WindowInfo &w)
{
    return w.processId != GetCurrentProcessId()
        && (w.className == "ExplorerWClass" || w.className == "CabinetWClass" || w.className == "NimbaluneSample"
            || w.className == "NimbaluneSampleText");
}

} // namespace

void CloseProductWindows()
{
    for (const WindowInfo &w : TopWindows())
        if (IsProductWindow(w))
            PostMessageA(w.handle, WM_CLOSE, 0, 0);
    // Until they have gone, their programs may still hold the folders.
    bool gone = WaitUntil([] {
        for (const WindowInfo &w : TopWindows())
            if (IsProductWindow(w))
                return false;
        return true;
    });
    if (!gone)
        LogWindows("Windows still open after WM_CLOSE");
}

namespace {

void AddProfile(std::set<std::string> &lines, const std::string &file)
{
    std::vector<char> names(65536);
    DWORD length = GetPrivateProfileSectionNamesA(names.data(), (DWORD)names.size(), file.c_str());
    for (const char *name = names.data(); name < names.data() + length && *name; name += lstrlenA(name) + 1)
        for (const auto &value : ProfileSection(name, file))
            lines.insert(file + " [" + name + "] " + value.first + "=" + value.second);
}

void AddRegistryKey(std::set<std::string> &lines, HKEY root, const std::string &key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return;
    lines.insert("key " + key);
    char name[256], data[1024];
    for (DWORD i = 0;; i++) {
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type;
        if (RegEnumValueA(handle, i, name, &nameSize, nullptr, &type, (BYTE *)data, &dataSize) != ERROR_SUCCESS)
            break;
        data[dataSize] = 0;
        lines.insert("key " + key + " " + name + "=" + data);
    }
    RegCloseKey(handle);
}

} // namespace

std::set<std::string> MachineSnapshot()
{
    std::set<std::string> lines;
    // The two settings files count by their values: the setup makes
    // progman.ini when there is none, and the removal deletes it when it
    // leaves it without a value.
    for (const std::string &file : ListFiles("C:\\"))
        if (lstrcmpiA(file.c_str(), "windows\\win.ini") && lstrcmpiA(file.c_str(), "windows\\progman.ini"))
            lines.insert("file C:\\" + file);
    for (const std::string &folder : ListDirectories("C:\\"))
        lines.insert("folder C:\\" + folder);
    std::string windows = WindowsDirectory();
    AddProfile(lines, nltest::JoinPath(windows, "win.ini"));
    AddProfile(lines, nltest::JoinPath(windows, "progman.ini"));
    AddRegistryKey(lines, HKEY_LOCAL_MACHINE, nltest::UninstallKey);
    AddRegistryKey(lines, HKEY_CURRENT_USER, nltest::ShellFoldersKey);
    return lines;
}

std::string SnapshotDifferences(const std::set<std::string> &before, const std::set<std::string> &after)
{
    std::string differences;
    for (const std::string &line : before)
        if (!after.count(line))
            differences += "- " + line + "\n";
    for (const std::string &line : after)
        if (!before.count(line))
            differences += "+ " + line + "\n";
    return differences;
}

std::vector<MessageBoxInfo> RunRemoval(const std::string &commandLine, int answer,
                                       const std::function<void(const MessageBoxInfo &)> &onBox)
{
    std::vector<MessageBoxInfo> boxes;
    Process started = Launch(commandLine, nltest::BuildDir());
    // The closing message may come from the uninstaller's copy, another process.
    for (MessageBoxInfo box = WaitForMessageBox(0); box.handle; box = WaitForMessageBox(0)) {
        boxes.push_back(box);
        if (onBox)
            onBox(box);
        DWORD id = 0;
        GetWindowThreadProcessId(box.handle, &id);
        HANDLE owner = OpenProcess(SYNCHRONIZE, FALSE, id);
        bool question = std::find(box.buttons.begin(), box.buttons.end(), IDYES) != box.buttons.end();
        Answer(box, question ? answer : IDOK);
        if (question && answer == IDYES) {
            if (owner)
                CloseHandle(owner);
            continue;
        }
        if (owner) {
            WaitForSingleObject(owner, nltest::PatientMs);
            CloseHandle(owner);
        }
        break;
    }
    WaitForExit(started);
    Close(started);
    return boxes;
}

void RestartWindows()
{
    Process boot = Launch("wineboot -r");
    WaitForExit(boot, 120000);
    Close(boot);
}

} // namespace nldriver
