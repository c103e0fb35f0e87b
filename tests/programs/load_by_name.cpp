// Loads a DLL by its bare name, as an import would, and ends:
//   load_by_name.exe NAME
// The planted-DLL test runs it as a control, to show that a DLL of that
// name beside the program is indeed the one the search finds.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    return LoadLibraryA(commandLine) ? 0 : 1;
}
