// A DLL planted beside setup.exe under the name of a system DLL; whenever a
// process loads it, it leaves its marker.
#include "planted_marker.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveLoadedMarker(instance);
    return TRUE;
}
