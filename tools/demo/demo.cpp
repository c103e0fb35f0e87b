// The headless demonstration: goes through setup.exe from the sample medium
// as a person would (the proposed language, drive C, Start, OK), saves a
// screenshot of each step and prints what the installation left behind.
#include "driver/driver.h"
#include "driver/readback.h"
#include "driver/setup_person.h"
#include "support/test_support.h"

#include <cstdio>
#include <string>

using namespace nldriver;

namespace {

void Shot(const char *name)
{
    std::printf("screenshot: %s\n", Screenshot(name).c_str());
}

int AnswerAndShoot(const MessageBoxInfo &box)
{
    static int count;
    std::string name = "demo-1-question-" + std::to_string(++count);
    Shot(name.c_str());
    std::printf("message box \"%s\": %s\n", nltest::Utf8(box.caption).c_str(), nltest::Utf8(box.text).c_str());
    return AnswerLikeAPerson(box);
}

void PrintSummary(const std::string &installDir)
{
    std::printf("\nInstalled tree %s:\n", installDir.c_str());
    for (const std::string &file : ListFiles(installDir))
        std::printf("  %s\n", file.c_str());

    std::printf("\nwin.ini [Nimba Lune]:\n");
    for (const auto &entry : ProfileSection("Nimba Lune"))
        std::printf("  %s=%s\n", entry.first.c_str(), entry.second.c_str());

    const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbalune";
    std::string value;
    std::printf("\nUninstall entry HKLM\\%s:\n", uninstall.c_str());
    for (const char *name : {"DisplayName", "UninstallString"})
        if (nltest::ReadRegistryString(HKEY_LOCAL_MACHINE, uninstall, name, value))
            std::printf("  %s = %s\n", name, value.c_str());

    std::printf("\nShortcuts:\n");
    const std::string folders[] = {nltest::JoinPath(ShellFolder("Programs"), "Nimbalune"), ShellFolder("Start Menu"),
                                   ShellFolder("Desktop"), ShellFolder("StartUp")};
    for (const std::string &folder : folders) {
        for (const std::string &file : ListFiles(folder)) {
            if (file.find('\\') != std::string::npos || file.size() < 4 || file.substr(file.size() - 4) != ".lnk")
                continue;
            Shortcut link = ReadShortcut(nltest::JoinPath(folder, file));
            std::printf("  %s -> %s (in %s)\n", nltest::Utf8(nltest::JoinPath(folder, file)).c_str(),
                        link.target.c_str(), link.workingDirectory.c_str());
        }
    }

    std::string progman = nltest::JoinPath(WindowsDirectory(), "progman.ini");
    std::printf("\nprogman.ini [Groups]:\n");
    for (const auto &entry : ProfileSection("Groups", progman))
        std::printf("  %s=%s\n", entry.first.c_str(), entry.second.c_str());
}

} // namespace

int main()
{
    std::string medium = nltest::JoinPath(nltest::BuildDir(), "medium");
    std::string setup = nltest::JoinPath(medium, "setup.exe");
    std::printf("starting %s\n", setup.c_str());
    Process process = Launch("\"" + setup + "\"", nltest::BuildDir());
    if (!process.handle) {
        std::printf("cannot start setup.exe\n");
        return 2;
    }

    HWND main = WaitForPanel(process, AnswerAndShoot);
    if (!main) {
        std::printf("the destination panel did not appear\n");
        Close(process);
        return 1;
    }
    Sleep(1000);   // let the instructions viewer settle into place
    Shot("demo-2-panel");
    ChooseDrive(GetDlgItem(main, DriveListId), 'C');
    PressStart(main);

    // Each folder of the medium has its own progress window, the first
    // ones for a file or two: the last picture taken while one shows is
    // the one kept, later in the copy.
    MessageBoxInfo done;
    WaitUntil([&] {
        if (WaitForWindow(process.id, [](const WindowInfo &w) {
                return w.className == "NLclasse_progression";
            }, 0))
            Shot("demo-3-progress");
        for (const WindowInfo &w : TopWindows(process.id))
            if (IsMessageBox(w.handle)) {
                Sleep(200);
                done = ReadMessageBox(w.handle);
                return true;
            }
        return !IsRunning(process);
    }, 120000);
    if (done.handle) {
        Shot("demo-4-final-notice");
        std::printf("final notice: %s\n", nltest::Utf8(done.text).c_str());
        Answer(done, IDOK);
    }
    int code = WaitForExit(process);
    std::printf("setup.exe ended with exit code %d\n", code);
    Sleep(1500);
    Shot("demo-5-desktop");

    PrintSummary(nltest::GetProfile("Nimba Lune", "Directory"));
    Close(process);
    return code == 1 && done.handle ? 0 : 1;
}
