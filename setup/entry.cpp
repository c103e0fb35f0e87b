// The process entry point of setup.exe, which links no C runtime: it calls
// WinMain directly and ends the process with its result.
#include <windows.h>

extern "C" void WinMainCRTStartup()
{
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT));
}
