#include "driver/product_state.h"
#include "driver/driver.h"
#include "driver/readback.h"
#include "support/test_support.h"

#include <windows.h>

namespace nldriver {

const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbalune";

void ForgetProduct()
{
    nltest::DeleteProfileSection("Nimba Lune");
    for (const char *directory : {"C:\\NimbaLun", "D:\\NimbaLun", "H:\\NimbaLun"})
        nltest::RemoveTree(directory);
    nltest::DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKey);

    nltest::RemoveTree(nltest::JoinPath(ShellFolder("Programs"), "Nimbalune"));
    for (const char *folder : {"Start Menu", "Desktop"})
        for (const char *name : {"Control panel of Nimbalune.lnk", "Panneau de contr\xf4le de Nimbalune.lnk"})
            DeleteFileA(nltest::JoinPath(ShellFolder(folder), name).c_str());
    DeleteFileA(nltest::JoinPath(ShellFolder("StartUp"), "Nimbalune.lnk").c_str());

    std::string windows = WindowsDirectory();
    DeleteFileA(nltest::JoinPath(windows, "nimbalun.grp").c_str());
    WritePrivateProfileStringA("Groups", nullptr, nullptr, nltest::JoinPath(windows, "progman.ini").c_str());
}

void CloseProductWindows()
{
    for (const WindowInfo &w : TopWindows()) {
        if (w.processId == GetCurrentProcessId())
            continue;
        if (w.className == "ExplorerWClass" || w.className == "CabinetWClass" ||
            w.className == "NimbaluneSample" || w.className == "NimbaluneSampleText") {
            PostMessageA(w.handle, WM_CLOSE, 0, 0);
        }
    }
    WaitUntil([] {
        for (const WindowInfo &w : TopWindows())
            if (w.className == "ExplorerWClass" || w.className == "NimbaluneSample" ||
                w.className == "NimbaluneSampleText")
                return false;
        return true;
    }, 5000);
}

} // namespace nldriver
