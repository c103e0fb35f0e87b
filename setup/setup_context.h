// The one process-wide state record of the setup program, shared by every
// part of it. Plain data, alive for the whole process.
#ifndef NIMBALUNE_SETUP_CONTEXT_H
#define NIMBALUNE_SETUP_CONTEXT_H

#include <windows.h>

enum {
    LanguageFrench = 0,
    LanguageEnglish = 1
};

// Sizes of the fixed text buffers shared between parts.
enum {
    PathBufferSize = 256,       // paths and win.ini values
    ShortValueSize = 128        // previous directory and drive lines
};

#define InitialInstallDir "f:\\NimbaLun"

// The product's section of win.ini.
extern const char ProductSection[];

struct SetupContext {
    int language;               // LanguageFrench or LanguageEnglish
    HINSTANCE instance;
    HWND mainWindow;
    WORD windowsVersion;        // major version in the high byte, minor in the low
    int dialogBaseUnitX;
    int dialogBaseUnitY;
    HBRUSH backgroundBrush;
    char installDir[PathBufferSize]; // first character is the drive letter
    char selectedDrive;         // upper-case drive letter
    int installDone;
    UINT_PTR viewerTimerId;     // 0 when no viewer timer runs
    UINT_PTR viewerInstance;    // what the instructions viewer was started as
    int viewerX;
    int viewerY;
    int viewerWidth;
    int viewerHeight;
};

extern SetupContext setupContext;

// Puts every field back to its value at process start.
void ResetSetupContext();

#endif
