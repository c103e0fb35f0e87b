// The destination panel: the drive list and start button shown in the
// main window.
#ifndef NIMBALUNE_DESTINATION_PANEL_H
#define NIMBALUNE_DESTINATION_PANEL_H

void CreateDestinationPanel(char initialDrive, int noPreviousInstall);
void CloseDestinationPanel();
void OnStartButton();

#endif
