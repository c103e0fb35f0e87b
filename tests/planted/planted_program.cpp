// A program planted beside setup.exe under the name of a system program
// (Explorer.exe); when it is started, it leaves its marker and ends.
#include "planted_marker.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    LeaveLoadedMarker(nullptr);
    return 0;
}
