// The headless demonstration: goes through setup.exe from the sample medium
// as a person would (the proposed language, drive C, Start, OK), with the
// sample's viewer as the browser of ".htm" documents, saves a screenshot of
// each step once its windows are drawn and prints what the installation
// left behind; then removes the product again and compares the machine
// with what it was before.
#include "driver/distribution.h"
#include "driver/driver.h"
#include "driver/installation.h"
#include "driver/product_state.h"
#include "driver/readback.h"
#include "driver/setup_person.h"
#include "support/test_support.h"
#include "support/product_names.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

using namespace nldriver;

namespace {

void Shot(const char *name)
{
    std::printf("screenshot: %s\n", Screenshot(name).c_str());
}

// Holds every thread of a process still while it lives, so that a window
// the process shows only for a moment stays on the screen for a picture.
class HeldProcess {
public:
    explicit HeldProcess(DWORD processId)
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != processId)
                continue;
            HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
            if (thread && SuspendThread(thread) != (DWORD)-1)
                threads_.push_back(thread);
            else if (thread)
                CloseHandle(thread);
        }
        CloseHandle(snapshot);
    }
    ~HeldProcess()
    {
        for (HANDLE thread : threads_) {
            ResumeThread(thread);
            CloseHandle(thread);
        }
    }
    HeldProcess(const HeldProcess &) = delete;
    HeldProcess &operator=(const HeldProcess &) = delete;

private:
    std::vector<HANDLE> threads_;
};

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
    for (const auto &entry : ProfileSection(nltest::ProductSection))
        std::printf("  %s=%s\n", entry.first.c_str(), entry.second.c_str());

    const std::string uninstall = nltest::UninstallKey;
    std::string value;
    std::printf("\nUninstall entry HKLM\\%s:\n", uninstall.c_str());
    for (const char *name : {"DisplayName", "UninstallString"})
        if (nltest::ReadRegistryString(HKEY_LOCAL_MACHINE, uninstall, name, value))
            std::printf("  %s = %s\n", name, value.c_str());

    std::printf("\nShortcuts:\n");
    const std::string folders[] = {nltest::JoinPath(ShellFolder("Programs"), nltest::ProgramsFolderName), ShellFolder("Start Menu"),
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

std::string RectText(const RECT &r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top);
}

// Windows draw in their own processes and in their own time: a picture is
// taken once the screen has stopped changing over several looks in a row.
const int StillLooks = 5;

bool WaitForStillScreen()
{
    std::string last;
    int sameLooks = 0;
    bool still = WaitUntil([&] {
        std::string now = ScreenPixels();
        sameLooks = now == last ? sameLooks + 1 : 0;
        last.swap(now);
        return sameLooks >= StillLooks;
    }, 20000);
    if (!still)
        std::printf("(the screen was still changing)\n");
    return still;
}

void ShotWhenStill(const char *name)
{
    WaitForStillScreen();
    Shot(name);
}

// The window shown at a point of the screen, as its top-level window.
HWND TopWindowAt(int x, int y)
{
    POINT point = {x, y};
    HWND window = WindowFromPoint(point);
    return window ? GetAncestor(window, GA_ROOT) : nullptr;
}

// The box is on top where it lies: its corners and its centre show it.
bool OnTop(HWND box)
{
    RECT r;
    GetWindowRect(box, &r);
    const POINT points[] = {{r.left + 2, r.top + 2}, {r.right - 3, r.top + 2}, {r.left + 2, r.bottom - 3},
                            {r.right - 3, r.bottom - 3}, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}};
    for (const POINT &p : points)
        if (TopWindowAt(p.x, p.y) != box)
            return false;
    return true;
}

// Where the final notice lies and what covers it: the windows the
// installation opens (Explorer's on the product's folder, the product's
// own) come up after the notice's owner took the foreground, and may lie
// over it. A person clicks it to bring it forward; so does the
// demonstration, and the picture is taken once it is drawn on top.
void ShootFinalNotice(const MessageBoxInfo &done)
{
    // The windows the installation opens appear in their own time.
    WaitForWindowsOfInstallation();
    WaitForStillScreen();
    RECT r;
    GetWindowRect(done.handle, &r);
    std::printf("final notice \"%s\" at %s", nltest::Utf8(done.caption).c_str(), RectText(r).c_str());
    std::string covering;
    for (HWND above = GetWindow(done.handle, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
        RECT other, common;
        if (IsWindowVisible(above) && GetWindowRect(above, &other) && IntersectRect(&common, &r, &other))
            covering += (covering.empty() ? "" : ", ") + Describe(above).className + " \"" + Describe(above).title + "\"";
    }
    std::printf(covering.empty() ? ", on top\n" : ", under %s\n", covering.c_str());
    if (!OnTop(done.handle)) {
        SetForegroundWindow(done.handle);
        if (!WaitUntil([&] { return OnTop(done.handle); }, 5000))
            std::printf("(the notice did not come forward)\n");
        else
            std::printf("brought forward for its picture\n");
    }
    ShotWhenStill("demo-4-final-notice");
}

// The instructions viewer above the setup window, the setup window in the
// foreground again: the arrangement the setup makes.
void ShootPanel(HWND main)
{
    int w = GetSystemMetrics(SM_CXSCREEN);
    int h = GetSystemMetrics(SM_CYSCREEN);
    HWND viewer = WaitForWindow(0, [](const WindowInfo &info) { return info.className == "NimbaluneSampleViewer"; });
    bool arranged = viewer && WaitUntil([&] {
        RECT r = Describe(viewer).rect;
        return r.left == 0 && r.top == 0 && r.right == w && r.bottom == 2 * h / 3 && GetForegroundWindow() == main;
    });
    if (viewer)
        std::printf("instructions viewer \"%s\" at %s%s\n", Describe(viewer).title.c_str(),
                    RectText(Describe(viewer).rect).c_str(), arranged ? "" : " (not arranged)");
    else
        std::printf("no instructions viewer appeared\n");
    std::printf("setup window at %s\n", RectText(Describe(main).rect).c_str());
    ShotWhenStill("demo-2-panel");
}

// Removes the product as a person would, through Add/Remove Programs, the
// product still running, and compares the machine with what it was.
bool RemoveAgain(const std::set<std::string> &before)
{
    CloseWindowsOfClass(ExplorerClass);
    std::printf("\nRemoving Nimbalune: uninstaller --remove Nimbalune\n");
    int shots = 0;
    std::vector<MessageBoxInfo> boxes = RunRemoval("uninstaller --remove Nimbalune", IDYES, [&](const MessageBoxInfo &box) {
        ShotWhenStill(++shots == 1 ? "demo-6-uninstall-question" : "demo-7-uninstall-done");
        std::printf("message box \"%s\": %s\n", nltest::Utf8(box.caption).c_str(), nltest::Utf8(box.text).c_str());
    });
    RestartWindows();
    std::string differences = SnapshotDifferences(before, MachineSnapshot());
    std::printf("\nThe machine before the installation and after the removal (files of drive C, win.ini,\n"
                "progman.ini, the uninstall and Shell Folders keys), once Windows restarted:\n%s",
                differences.empty() ? "  no difference\n" : differences.c_str());
    return boxes.size() == 2 && differences.empty();
}

} // namespace

int main()
{
    // The sample's viewer opens the instructions, as a browser would.
    HtmlAssociation browser;
    browser.Use("\"" + nltest::JoinPath(nltest::BuildDir(), "sample\\htmview.exe") + "\" \"%1\"");

    std::string medium = nltest::JoinPath(nltest::BuildDir(), "medium");
    std::string setup = nltest::JoinPath(medium, "setup.exe");
    std::set<std::string> before = MachineSnapshot();
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
    ShootPanel(main);
    ChooseDrive(GetDlgItem(main, DriveListId), 'C');
    PressStart(main);

    // Each folder of the medium has its own progress window, shown for a
    // few milliseconds on the small sample: the setup is held still while
    // one shows, for its picture. The last picture is the one kept, later
    // in the copy.
    MessageBoxInfo done;
    WaitUntil([&] {
        if (WaitForWindow(process.id, [](const WindowInfo &w) {
                return w.className == "NLclasse_progression";
            }, 0)) {
            HeldProcess held(process.id);
            Shot("demo-3-progress");
        }
        for (const WindowInfo &w : TopWindows(process.id))
            if (IsMessageBox(w.handle)) {
                done = ReadMessageBox(w.handle);
                return !done.text.empty();
            }
        return !IsRunning(process);
    }, 120000, 1);
    if (done.handle) {
        ShootFinalNotice(done);
        std::printf("final notice: %s\n", nltest::Utf8(done.text).c_str());
        Answer(done, IDOK);
        WaitGone(done.handle);
    }
    int code = WaitForExit(process);
    std::printf("setup.exe ended with exit code %d\n", code);
    ShotWhenStill("demo-5-desktop");

    PrintSummary(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey));
    Close(process);
    bool removed = RemoveAgain(before);
    return code == 1 && done.handle && removed ? 0 : 1;
}
