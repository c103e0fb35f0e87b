// Directory tree removal. Filled in by the installation engine capability.
#include "directory_tree.h"

int RemoveDirectoryTree(const char *)
{
    return 0;
}

int DeleteDirectoryContents(const char *)
{
    return 1;
}
