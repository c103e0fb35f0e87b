// Loads a DLL by its bare name, as an import would, or starts a program by
// its bare name, as a command line without a path does, and ends:
//   load_by_name.exe NAME
// The planted-file test runs it as a control, to show that a file of that
// name beside the program is indeed the one the search finds.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    int length = lstrlenA(commandLine);
    if (length > 4 && lstrcmpiA(commandLine + length - 4, ".exe") == 0)
        return WinExec(commandLine, SW_HIDE) > 31 ? 0 : 1;
    return LoadLibraryA(commandLine) ? 0 : 1;
}
