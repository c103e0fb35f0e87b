// The version of an installed program file: from its version resource, else
// from its last-write time of day.
#ifndef NIMBALUNE_INSTALLED_VERSION_H
#define NIMBALUNE_INSTALLED_VERSION_H

#include <windows.h>

int QueryInstalledVersion(const char *path, DWORD *versionMS, DWORD *versionLS);
int QueryFileTimeVersion(const char *path, DWORD *versionMS, DWORD *versionLS);

#endif
