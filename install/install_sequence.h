// The whole installation, run once the start button is pressed.
#ifndef NIMBALUNE_INSTALL_SEQUENCE_H
#define NIMBALUNE_INSTALL_SEQUENCE_H

void RunInstallSequence();

// Files the last installation could not copy.
int CountFailedCopies();

#endif
