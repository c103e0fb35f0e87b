// The product's Program Manager group.
#ifndef NIMBALUNE_PROGMAN_GROUP_H
#define NIMBALUNE_PROGMAN_GROUP_H

#include "install/file_copier.h"

// The group file's name in the Windows directory, the Program Manager's
// settings file there and its section of groups, keys Group1 to
// Group<MaxGroupNumber>.
inline constexpr char GroupFileName[] = "\\nimbalun.grp";
inline constexpr char SettingsFileName[] = "\\progman.ini";
inline constexpr char GroupsSection[] = "Groups";
inline constexpr int MaxGroupNumber = 255;

// A group template that cannot be copied goes to onFailure.
void InstallProgmanGroup(CopyFailureHandler onFailure);

#endif
