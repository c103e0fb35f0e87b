// The conversation with the user before and after the installation.
#ifndef NIMBALUNE_SETUP_DRIVER_H
#define NIMBALUNE_SETUP_DRIVER_H

int RunSetupDriver();
int LocateSourceFolder();

// The message loop: ends on the quit message or after a dispatched Escape.
void RunMessageLoop();

// The colour-depth question for a display of so many bits per pixel: a
// MessageId, or 0 when nothing is to be asked.
int ColourWarningFor(int colourBits);

// Makes this folder (upper-cased in place) the current directory; shows the
// error and returns 0 for a folder without a drive letter.
int EnterSourceFolder(char *folder);

#endif
