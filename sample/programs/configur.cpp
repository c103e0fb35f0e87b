// Stand-in for the product's control panel on the sample medium.
#include "textwindow.h"

static const TextWindow Window = {
    "NimbaluneSampleText", "Nimbalune - Control panel",
    "Sample control panel.\n\nThe real one chooses subjects, textures and options.",
    120, 80, 460, 320, NULL, NULL,
};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunTextWindow(instance, Window);
}
