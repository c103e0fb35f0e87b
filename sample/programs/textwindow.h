// A window that shows one text: what the sample read-me, control panel and
// uninstaller programs have in common.
#ifndef NIMBALUNE_SAMPLE_TEXTWINDOW_H
#define NIMBALUNE_SAMPLE_TEXTWINDOW_H

#include <windows.h>

int RunTextWindow(HINSTANCE instance, const char *title, const char *text);

#endif
