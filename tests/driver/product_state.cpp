#include "driver/product_state.h"
#include "driver/driver.h"
#include "driver/readback.h"
#include "support/test_support.h"
#include "support/product_names.h"

#include <windows.h>

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
