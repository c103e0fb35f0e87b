// Stand-in for the product's uninstaller on the sample medium.
#include "textwindow.h"

static const TextWindow Window = {
    "NimbaluneSampleText", "Nimbalune - Uninstall",
    "Sample uninstaller.\n\nThe real one removes Nimbalune from this computer.",
    120, 80, 460, 320, NULL, NULL,
};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunTextWindow(instance, Window);
}
