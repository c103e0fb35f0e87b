// The set-up and clean-up of the state a run shares: the brush, the Windows
// version and the log pane's grid at the start; the viewer timer and the
// destination panel at the end.
#ifndef NIMBALUNE_SETUP_STATE_H
#define NIMBALUNE_SETUP_STATE_H

void InitSetupState();
// Safe to call any number of times: what is already gone stays gone.
void CleanUpSetup();

#endif
