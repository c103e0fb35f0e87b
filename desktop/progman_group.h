// The product's Program Manager group.
#ifndef NIMBALUNE_PROGMAN_GROUP_H
#define NIMBALUNE_PROGMAN_GROUP_H

#include "install/file_copier.h"

// The group file's name in the Windows directory, the Program Manager's
// settings file there and its section of groups, keys Group1 to
// Group<MaxGroupNumber>.
extern const char GroupFileName[];
extern const char SettingsFileName[];
extern const char GroupsSection[];
extern const int MaxGroupNumber;

// A group template that cannot be copied goes to onFailure.
void InstallProgmanGroup(CopyFailureHandler onFailure);

#endif
