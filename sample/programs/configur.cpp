// Stand-in for the product's control panel on the sample medium.
#include "textwindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunTextWindow(instance, "Nimbalune - Control panel",
                         "Sample control panel.\n\nThe real one chooses subjects, textures and options.");
}
