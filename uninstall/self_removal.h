// The uninstaller removes the folder it runs from: a copy of it in the
// temporary folder finishes the work once the original has ended, and is
// itself deleted at the next restart.
#ifndef NIMBALUNE_SELF_REMOVAL_H
#define NIMBALUNE_SELF_REMOVAL_H

#include <windows.h>

// Starts the copy, handing it this process and the installation folder
// the question named; 0 when it could not be made or started.
int StartFinishingCopy(const char *folder);
// The memory, inherited by the copy only, that carries the hand-over.
HANDLE CreateHandOver(DWORD original, const char *folder);
// Whether the command line is the copy's and its hand-over is there: fills
// in the original's process and the folder the question named. A command
// line typed by hand is not.
int ReadHandOver(const char *commandLine, DWORD *original, char *folder, int capacity);
// Waits until the original process has ended.
void WaitForOriginal(DWORD original);
// A copy of this program in the temporary folder under a name no earlier
// copy has, in copy (MAX_PATH bytes); 0 when none could be made.
int MakeTemporaryCopy(char *copy);
// This program's full path, in MAX_PATH bytes; 0 when it cannot be told
// or does not fit.
int RunningProgramPath(char *path);
// Has the running program deleted at the next restart.
void ScheduleOwnDeletion();
// Has a file, or an empty folder, deleted at the next restart; 0 when it
// could not be scheduled.
int ScheduleDeletionAtRestart(const char *path);
// Whether a program is a copy this program made in the temporary folder
// to finish a removal.
int IsFinishingCopy(const char *program);
// Adds a line to the [rename] section of a WININIT.INI, keeping every line
// already there (it may hold several "NUL=" lines) and the file's
// attributes; 0 on failure.
int AddRenameLine(const char *wininitPath, const char *line);

#endif
