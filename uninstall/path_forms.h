// Paths compared in one form: the full path, short (8.3) where the files
// exist, so that a folder named by its short and by its long name is the
// same folder.
#ifndef NIMBALUNE_PATH_FORMS_H
#define NIMBALUNE_PATH_FORMS_H

// A folder as Windows reads it: "C:" alone names the current folder of
// drive C, so a drive's root gets its backslash back. 0 when it does not fit.
int FolderAsPath(const char *folder, char *path, int capacity);
// A folder as a full path without trailing backslash ("C:" for a drive's
// root). 0 unless text is an absolute path on a drive letter that fits.
int CanonicalFolder(const char *text, char *folder, int capacity);
// Whether path names something below folder once Windows has resolved it.
int LiesBelow(const char *path, const char *folder);
// Puts a path of MAX_PATH bytes in its short form; 0, leaving it as it
// was, when it has none (it does not exist).
int ShortForm(char *path);
// Whether two paths name the same file or folder.
int SamePath(const char *path, const char *other);

#endif
