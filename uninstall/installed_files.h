// The product's files and folders in the installation folder: those the
// setup copied (named in the installed-file list beside them), the files the
// product writes in its working folders, and the setup's folder tree.
#ifndef NIMBALUNE_INSTALLED_FILES_H
#define NIMBALUNE_INSTALLED_FILES_H

// The installed-file list, beside the product.
extern const char InstalledListName[];

// What a folder named as the installation is.
enum InstallationState {
    FolderMissing,          // nothing there at all
    FolderEmpty,            // a folder holding nothing: what a removal cut short may leave
    NotAnInstallation,      // something else, or an installation without its list
    LinkedFolder,           // a link to another folder, never entered
    DamagedList,            // its list is cut, unreadable or does not name itself
    ProductInstallation     // its whole list names the product's program and itself
};
// The one check, made before the question and again before any deletion,
// that a folder is this product's installation.
int CheckInstallation(const char *folder);

// A drive root, the Windows folder, the system folder or a folder that
// holds the Windows folder: places that hold far more than the product.
int IsSharedFolder(const char *folder);
// Whether a line of the list may name a file: relative, no drive, no
// climbing out with "..", nothing a path could hide behind.
int IsSafeListedName(const char *name);

// The steps of a removal on the installation folder, each reporting what
// it had to keep. In a shared folder the product's INI file and working
// folders are not touched.
void StartFileRemoval();
void DeleteProductIni(const char *folder);
void EmptyWorkingFolders(const char *folder);
// Every listed file but the uninstaller and its list, which go last.
void DeleteListedFiles(const char *folder);
// The setup's folders, children first.
void RemoveTreeFolders(const char *folder, int shared);
// One of the two files that go last: the uninstaller or its list.
void DeleteLastFile(const char *folder, int which);
void RemoveInstallFolder(const char *folder);
// How many files or folders of the product had to stay so far.
int KeptProductFiles();
// The two files that go last, by number for DeleteLastFile.
enum LastFile {
    UninstallerFile,
    ListFile
};
// Fills in folder\name of one of the last files; 0 when it does not fit.
int LastFilePath(char *path, const char *folder, int which);

#endif
