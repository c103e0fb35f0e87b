#include "driver/installation.h"
#include "driver/readback.h"
#include "driver/product_state.h"
#include "support/test_support.h"
#include "support/shell_support.h"
#include "support/product_names.h"
#include "driver/distribution.h"

#include <sstream>

namespace nldriver {

std::string MediumDir()
{
    return nltest::JoinPath(nltest::BuildDir(), "medium");
}

std::string MediumSetup()
{
    return nltest::JoinPath(MediumDir(), "setup.exe");
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
    bool ok = nltest::DirectoryExists(from);
    nltest::ForEachEntry(from, [&](const WIN32_FIND_DATAA &entry) {
        std::string source = nltest::JoinPath(from, entry.cFileName), target = nltest::JoinPath(to, entry.cFileName);
        if (nltest::IsDirectoryEntry(entry))
            ok = CopyTree(source, target) && ok;
        else
            ok = CopyFileA(source.c_str(), target.c_str(), FALSE) && ok;
    });
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

HWND StartToPanel(Process &process, const std::string &setup, std::vector<MessageBoxInfo> *seen,
                  const BoxAnswer &answer)
{
    process = Launch("\"" + setup + "\"", nltest::BuildDir());
    return process.handle ? WaitForPanel(process, answer, seen) : nullptr;
}

MessageBoxInfo StartAndWaitForEnd(const Process &process, HWND main, DWORD timeoutMs)
{
    PressStart(main);
    return WaitForMessageBox(process.id, timeoutMs);
}

MessageBoxInfo InstallToFinalBox(Process &process, const std::string &setup, DWORD timeoutMs,
                                 const BoxAnswer &answer)
{
    HWND main = StartToPanel(process, setup, nullptr, answer);
    return main ? StartAndWaitForEnd(process, main, timeoutMs) : MessageBoxInfo();
}

std::string InstallThrough(const std::string &setup, const BoxAnswer &answer)
{
    Process process;
    std::vector<MessageBoxInfo> seen;
    HWND main = StartToPanel(process, setup, &seen, answer);
    MessageBoxInfo box = main ? StartAndWaitForEnd(process, main, 120000) : MessageBoxInfo();
    if (!box.handle) {
        // What the setup showed and how it ended tell a failure apart.
        std::string what = main ? "(no final box" : "(no panel";
        for (const MessageBoxInfo &shown : seen)
            what += "; box: " + shown.text.substr(0, 80);
        what += IsRunning(process) ? "; still running)" : "; ended with " + std::to_string(WaitForExit(process)) + ")";
        Close(process);
        return what;
    }
    Answer(box, IDOK);
    EXPECT_EQ(WaitForExit(process), 1);
    Close(process);
    CloseWindowsOfInstallation();
    return box.text;
}

void WaitForWindowsOfInstallation()
{
    // The setup started Explorer and the product before its final box. The
    // product's window is still to come while its process runs: a product
    // that could not start has none.
    WaitForWindow(0, [](const WindowInfo &w) {
        return w.className == ExplorerClass && w.title == nltest::ProgramsFolderName;
    });
    WaitUntil([] {
        for (const WindowInfo &w : TopWindows())
            if (w.className == "NimbaluneSample")
                return true;
        return nltest::ProcessIds("nimbalun.exe").empty();
    });
}

void CloseWindowsOfInstallation()
{
    WaitForWindowsOfInstallation();
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
