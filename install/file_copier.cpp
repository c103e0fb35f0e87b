// The file copier. Filled in by the installation engine capability.
#include "file_copier.h"

int CopyFiles(const char *, const char *, int, const char *)
{
    return 0;
}
