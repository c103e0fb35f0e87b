#include "driver/installation.h"
#include "driver/readback.h"
#include "driver/product_state.h"
#include "support/test_support.h"

#include <sstream>

namespace nldriver {

std::string MediumDir()
{
    return nltest::JoinPath(nltest::BuildDir(), "medium");
}

std::map<std::string, std::string> MediumManifest()
{
    std::map<std::string, std::string> files;
    std::istringstream lines(nltest::ReadFileText(nltest::JoinPath(nltest::BuildDir(), "medium.manifest")));
    std::string hash, path;
    while (lines >> hash >> path) {
        for (char &c : path)
            if (c == '/')
                c = '\\';
        files[path] = hash;
    }
    return files;
}

bool CopyTree(const std::string &from, const std::string &to)
{
    if (!nltest::MakeDirectories(to))
        return false;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(nltest::JoinPath(from, "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string source = nltest::JoinPath(from, name), target = nltest::JoinPath(to, name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(source, target) && ok;
        else
            ok = CopyFileA(source.c_str(), target.c_str(), FALSE) && ok;
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return ok;
}

std::string TreeDifferences(const std::string &installDir)
{
    std::string differences;
    for (const auto &file : MediumManifest()) {
        std::string bytes;
        if (!nltest::ReadFileBytes(nltest::JoinPath(installDir, file.first), bytes))
            differences += " missing:" + file.first;
        else if (nltest::Sha256Hex(bytes) != file.second)
            differences += " differs:" + file.first;
    }
    return differences;
}

MessageBoxInfo InstallToFinalBox(Process &process, const std::string &setup, DWORD timeoutMs)
{
    process = Launch("\"" + setup + "\"", nltest::BuildDir());
    if (!process.handle)
        return MessageBoxInfo();
    HWND main = WaitForPanel(process);
    if (!main)
        return MessageBoxInfo();
    PressStart(main);
    HWND box = WaitForWindow(process.id, [](const WindowInfo &w) { return IsMessageBox(w.handle); }, timeoutMs);
    if (!box)
        return MessageBoxInfo();
    Sleep(200);
    return ReadMessageBox(box);
}

void CloseWindowsOfInstallation()
{
    WaitForWindow(0, [](const WindowInfo &w) { return w.className == "ExplorerWClass" && w.title == "Nimbalune"; },
                  5000);
    WaitForWindow(0, [](const WindowInfo &w) { return w.className == "NimbaluneSample"; }, 500);
    CloseProductWindows();
}

void InstallationTest::SetUp()
{
    ForgetProduct();
    nltest::SetProfile("Intl", "sLanguage", "enu");
}

void InstallationTest::TearDown()
{
    Close(process);
    CloseProductWindows();
    ForgetProduct();
    nltest::SetProfile("Intl", "sLanguage", "enu");
}

} // namespace nldriver
