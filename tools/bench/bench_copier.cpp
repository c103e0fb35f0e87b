// Times one copy of every file matching a pattern, for scripts/bench-copier.sh.
//   bench_copier copier PATTERN DESTINATION   CopyFiles with the progress window
//   bench_copier quiet PATTERN DESTINATION    CopyFiles without progress
//   bench_copier floor PATTERN DESTINATION    LZInit and CopyLZFile alone
// Prints the seconds taken and the number of files not copied.
#include "install/file_copier.h"
#include "setup/setup_context.h"
#include "lz_floor.h"

#include <windows.h>
#include <lzexpand.h>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int copierFailures;
void CountFailure(const char *) { ++copierFailures; }

int Copier(const char *pattern, const char *destination, int withProgress, const char *heading)
{
    CopyFiles(pattern, destination, withProgress, heading, CountFailure);
    return copierFailures;
}

int CopyFloor(const std::string &pattern, const std::string &destination)
{
    std::string directory = pattern.substr(0, pattern.find_last_of('\\') + 1);
    int failures = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        failures += !LzCopyFloor(directory + entry.cFileName, destination + "\\" + entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return failures;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_copier copier|quiet|floor PATTERN DESTINATION\n");
        return 2;
    }
    std::string mode = argv[1];

    // The copier maximises the main window on every report, as in the setup.
    setupContext.instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = setupContext.instance;
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "BenchMain";
    RegisterClassA(&windowClass);
    setupContext.mainWindow = CreateWindowExA(0, "BenchMain", "SETUP Nimbalune 1.1", WS_OVERLAPPEDWINDOW,
                                              0, 0, 400, 300, nullptr, nullptr, setupContext.instance, nullptr);
    ShowWindow(setupContext.mainWindow, SW_SHOW);
    UpdateWindow(setupContext.mainWindow);

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int failures = mode == "copier"  ? Copier(argv[2], argv[3], 1, "Copie des fichiers\r\n")
                 : mode == "quiet" ? Copier(argv[2], argv[3], 0, nullptr)
                                   : CopyFloor(argv[2], argv[3]);
    QueryPerformanceCounter(&end);
    std::printf("%s %.3f %d\n", mode.c_str(), (double)(end.QuadPart - start.QuadPart) / frequency.QuadPart, failures);
    DestroyWindow(setupContext.mainWindow);
    return failures == 0 ? 0 : 1;
}
