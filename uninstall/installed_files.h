// The product's files and folders in the installation folder: those the
// setup copied (named in the installed-file list beside them), the files the
// product writes in its working folders, and the setup's folder tree.
#ifndef NIMBALUNE_INSTALLED_FILES_H
#define NIMBALUNE_INSTALLED_FILES_H

// The installed-file list, beside the product.
extern const char InstalledListName[];

// A folder as a full path without trailing backslash ("C:" for a drive's
// root). 0 unless text is an absolute path on a drive letter that fits.
int CanonicalFolder(const char *text, char *folder, int capacity);
// A drive root, the Windows folder or the system folder: places that hold
// far more than the product.
int IsSharedFolder(const char *folder);
// Whether the folder holds the installed-file list.
int HoldsInstalledList(const char *folder);
// Whether path names something below folder once Windows has resolved it.
int LiesBelow(const char *path, const char *folder);
// Whether a line of the list may name a file: relative, no drive, no
// climbing out with "..", nothing a path could hide behind.
int IsSafeListedName(const char *name);

// Removes the product's files from the folder, then each folder of the
// setup's tree left empty and the folder itself; what stays is reported.
// In a shared folder only the listed files and the tree's folders go.
void RemoveInstalledFiles(const char *folder);

#endif
