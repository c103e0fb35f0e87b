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
    NotAnInstallation,      // something else, or an installation without its list
    ProductInstallation     // its list can be read and names the product's program
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

// Removes the product's files from an installation, then each folder of
// the setup's tree left empty and the folder itself; what stays is
// reported. In a shared folder only the listed files and the tree's folders
// go. Returns 0 when a file of the product had to stay: the uninstaller
// and its list then stay too, for a later run to finish the removal.
int RemoveInstalledFiles(const char *folder);

#endif
