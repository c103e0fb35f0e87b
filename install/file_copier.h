// Copies every file that matches a wildcard pattern into a directory,
// expanding Windows LZ-compressed files on the way.
#ifndef NIMBALUNE_FILE_COPIER_H
#define NIMBALUNE_FILE_COPIER_H

// Returns the number of files that could not be copied (0: all copied).
int CopyFiles(const char *sourcePattern, const char *destinationDirectory, int withProgress, const char *heading);

#endif
