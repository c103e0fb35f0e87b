// Stand-in for the product's uninstaller on the sample medium.
#include "textwindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunTextWindow(instance, "Nimbalune - Uninstall",
                         "Sample uninstaller.\n\nThe real one removes Nimbalune from this computer.");
}
