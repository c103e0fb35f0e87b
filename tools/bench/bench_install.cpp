// Times whole installations for scripts/bench-install.sh:
//   bench_install setup SETUP_EXE        the setup, driven as a person would,
//                                        from the start button to the final box
//   bench_install peer INSTALLER DEST    a silent installer (/S /D=DEST)
//   bench_install floor SOURCE DEST      LZInit and CopyLZFile over a
//                                        whole tree, no window, no progress
// Prints: NAME SECONDS PEAK_KIB RESULT (RESULT 0 when all went well).
#include "driver/driver.h"
#include "driver/installation.h"
#include "driver/product_state.h"
#include "driver/setup_person.h"
#include "support/test_support.h"
#include "lz_floor.h"

#include <windows.h>
#include <lzexpand.h>
#include <psapi.h>
#include <cstdio>
#include <string>

namespace {

using namespace nldriver;

const DWORD StartUpQuiet = 2000;    // ms

double Seconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (double)(to.QuadPart - from.QuadPart) / (double)frequency.QuadPart;
}

SIZE_T PeakKiB(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize / 1024;
}

// A message box of the process, found without enumerating every window.
HWND FinalBox(DWORD processId)
{
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId && IsMessageBox(w))
            return w;
    }
    return nullptr;
}

int RunSetup(const std::string &setup)
{
    ForgetProduct();
    Process process = Launch("\"" + setup + "\"", nltest::BuildDir());
    HWND main = WaitForPanel(process);
    if (!main) {
        std::printf("setup 0 0 1\n");
        return 1;
    }
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    PressStart(main);
    // The driver's window waits look every 50 ms; here the final
    // box is looked for every 5 ms, so that the time is the setup's
    // and not the polling's.
    HWND box = nullptr;
    while (!box && IsRunning(process)) {
        box = FinalBox(process.id);
        if (!box)
            Sleep(5);
    }
    QueryPerformanceCounter(&end);
    // A peak, so one reading while the process still runs is enough.
    SIZE_T peak = PeakKiB(process.handle);
    int result = 1;
    if (box) {
        MessageBoxInfo info = ReadMessageBox(box);
        result = info.text == "The installation ends successfully.\n" ? 0 : 2;
        Answer(info, IDOK);
    }
    WaitForExit(process);
    Close(process);
    CloseWindowsOfInstallation();
    std::printf("setup %.3f %lu %d\n", Seconds(start, end), (unsigned long)peak, result);
    return result;
}

int RunPeer(const std::string &installer, const std::string &destination)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    // Not the driver's Launch: its wait for input idle lasts the whole run
    // of a program without a window, and an ended process has no counters.
    Process process;
    std::string command = "\"" + installer + "\" /S /D=" + destination;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        process.handle = info.hProcess;
        process.id = info.dwProcessId;
    }
    SIZE_T peak = 0;
    while (process.handle && WaitForSingleObject(process.handle, 20) == WAIT_TIMEOUT) {
        SIZE_T now = PeakKiB(process.handle);
        if (now > peak)
            peak = now;
    }
    QueryPerformanceCounter(&end);
    SIZE_T last = process.handle ? PeakKiB(process.handle) : 0;
    if (last > peak)
        peak = last;
    DWORD code = 1;
    if (process.handle)
        GetExitCodeProcess(process.handle, &code);
    Close(process);
    std::printf("peer %.3f %lu %lu\n", Seconds(start, end), (unsigned long)peak, (unsigned long)code);
    return code != 0;
}

int CopyTreeFloor(const std::string &source, const std::string &destination)
{
    if (!nltest::DirectoryExists(source))
        return 1;
    CreateDirectoryA(destination.c_str(), nullptr);
    int failures = 0;
    nltest::ForEachEntry(source, [&](const WIN32_FIND_DATAA &entry) {
        std::string from = source + "\\" + entry.cFileName, to = destination + "\\" + entry.cFileName;
        failures += nltest::IsDirectoryEntry(entry) ? CopyTreeFloor(from, to) : !LzCopyFloor(from, to);
    });
    return failures;
}

int RunFloor(const std::string &source, const std::string &destination)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    LZStart();
    int failures = CopyTreeFloor(source, destination);
    LZDone();
    QueryPerformanceCounter(&end);
    std::printf("floor %.3f %lu %d\n", Seconds(start, end), (unsigned long)PeakKiB(GetCurrentProcess()), failures);
    return failures != 0;
}

} // namespace

int main(int argc, char **argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    // Each run has a freshly started Wine server, whose own services and
    // desktop keep both processors busy for a second or so: time nothing
    // until they are done.
    Sleep(StartUpQuiet);
    if (mode == "setup" && argc == 3)
        return RunSetup(argv[2]);
    if (mode == "peer" && argc == 4)
        return RunPeer(argv[2], argv[3]);
    if (mode == "floor" && argc == 4)
        return RunFloor(argv[2], argv[3]);
    std::fprintf(stderr, "usage: bench_install setup SETUP | peer INSTALLER DEST | floor SOURCE DEST\n");
    return 2;
}
