// The product's registrations outside its folder: shortcuts, the Program
// Manager group, the uninstall entry and its win.ini section.
#ifndef NIMBALUNE_REGISTRATIONS_H
#define NIMBALUNE_REGISTRATIONS_H

// The shortcuts the setup makes, under their names in both languages, when
// they point into the installation folder.
void RemoveShortcuts(const char *installFolder);
// The group file in the Windows folder and the progman.ini keys naming it.
void RemoveProgmanGroup();
void RemoveUninstallEntry();
// The uninstall entry when the program it starts no longer exists.
void RemoveDanglingUninstallEntry();
void RemoveProductSection();
enum RecordedFolderState {
    NoRecordedFolder,
    RecordedFolder,
    UnusableRecordedFolder      // cut, too long or not a full path
};
// The installation folder recorded in win.ini, canonical.
int RecordedInstallFolder(char *folder, int capacity);

#endif
