// The whole installation, run once the start button is pressed.
#ifndef NIMBALUNE_INSTALL_SEQUENCE_H
#define NIMBALUNE_INSTALL_SEQUENCE_H

// The folders made below the installation folder, parents before
// children, each beginning with a backslash.
extern const char *const InstallSubdirectories[];
extern const int InstallSubdirectoryCount;

void RunInstallSequence();

// Files the last installation could not copy.
int CountFailedCopies();

#endif
