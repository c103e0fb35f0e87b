// The conversation with the user before and after the installation.
#ifndef NIMBALUNE_SETUP_DRIVER_H
#define NIMBALUNE_SETUP_DRIVER_H

int RunSetupDriver();
int LocateSourceFolder();

// The message loop: ends on the quit message or after a dispatched Escape.
void RunMessageLoop();

#endif
