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

// The product's section of win.ini and the keys the setup reads and writes
// in it.
extern const char ProductSection[];
extern const char DirectoryKey[];      // the installation directory
extern const char ProgramKey[];        // the installed program's path
extern const char IniFileKey[];        // the product's own INI file
extern const char LanguageKey[];       // "0" French, "1" English

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
};

extern SetupContext setupContext;

#endif
