// A window that shows one text: what the sample programs have in common.
#ifndef NIMBALUNE_SAMPLE_TEXTWINDOW_H
#define NIMBALUNE_SAMPLE_TEXTWINDOW_H

#include <windows.h>

struct TextWindow {
    const char *className;
    const char *title;
    const char *text;
    int x, y, width, height;
    void (*onShown)(HWND window);       // may be null
    void (*onDestroy)(HWND window);     // may be null
};

// Shows the window and runs its message loop until it is closed.
int RunTextWindow(HINSTANCE instance, const TextWindow &description);

#endif
