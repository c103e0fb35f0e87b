// The uninstaller removes the folder it runs from: a copy of it in the
// temporary folder finishes the work once the original has ended, and is
// itself deleted at the next restart.
#ifndef NIMBALUNE_SELF_REMOVAL_H
#define NIMBALUNE_SELF_REMOVAL_H

#include <windows.h>

// Starts the copy, telling it this process and the installation folder;
// 0 when it could not be made or started.
int StartFinishingCopy(const char *folder);
// Whether the command line is the copy's; fills in the original's process
// and the installation folder.
int ParseFinishCommand(const char *commandLine, DWORD *original, char *folder, int capacity);
// Waits until the original process has ended.
void WaitForOriginal(DWORD original);
// Has the running program deleted at the next restart.
void ScheduleOwnDeletion();
// Adds a line to the [rename] section of a WININIT.INI, keeping every line
// already there (it may hold several "NUL=" lines); 0 on failure.
int AddRenameLine(const char *wininitPath, const char *line);

#endif
