// Removal of a directory with everything below it.
#ifndef NIMBALUNE_DIRECTORY_TREE_H
#define NIMBALUNE_DIRECTORY_TREE_H

int RemoveDirectoryTree(const char *path);
int DeleteDirectoryContents(const char *directory);

#endif
