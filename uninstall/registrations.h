// The product's registrations outside its folder: shortcuts, the Program
// Manager group, the uninstall entry and its win.ini section.
#ifndef NIMBALUNE_REGISTRATIONS_H
#define NIMBALUNE_REGISTRATIONS_H

// The shortcuts the setup makes, under their names in both languages, when
// they point into the installation folder or into the folder it was
// installed in before it was moved ("" when it was not).
void RemoveShortcuts(const char *installFolder, const char *formerFolder);
// The group file in the Windows folder and the progman.ini keys naming it.
void RemoveProgmanGroup();
void RemoveUninstallEntry();
// Has an existing uninstall entry start program; 0 when it could not.
int PointUninstallEntryAt(const char *program);
// Whether the uninstall entry starts program.
int UninstallEntryNames(const char *program);
// The uninstall entry when the program it starts no longer exists, or is
// this program's finishing copy, which no longer finds an installation.
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
