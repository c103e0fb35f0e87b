// The read-me programs of the sample medium: Readme.exe in English and
// Lisezmoi.exe in French, built from this file with README_FRENCH.
#include "textwindow.h"

#ifdef README_FRENCH
static const char Title[] = "Nimbalune - Lisez-moi";
static const char Text[] =
    "Nimbalune affiche des images sur votre bureau.\n\n"
    "Pour l'installer, lancez SETUP.EXE et choisissez un disque ayant plus de 35 Mo libres.\n\n"
    "Ce programme est un exemple fourni avec le support de démonstration.";
#else
static const char Title[] = "Nimbalune - Read me";
static const char Text[] =
    "Nimbalune shows pictures on your desktop.\n\n"
    "To install it, run SETUP.EXE and choose a disk with more than 35 MB free.\n\n"
    "This program is a sample that comes with the demonstration medium.";
#endif

static const TextWindow Window = {"NimbaluneSampleText", Title, Text, 120, 80, 460, 320, NULL, NULL};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunTextWindow(instance, Window);
}
