// The destination panel: the drive list and start button shown in the
// main window.
#ifndef NIMBALUNE_DESTINATION_PANEL_H
#define NIMBALUNE_DESTINATION_PANEL_H

// The panel's controls, children of the main window.
enum {
    DriveListId = 100,
    PanelTextId = 101,
    StartButtonId = 102
};

void CreateDestinationPanel(char initialDrive, int noPreviousInstall);
void CloseDestinationPanel();
void OnStartButton();

#endif
