// The product's Program Manager group.
#ifndef NIMBALUNE_PROGMAN_GROUP_H
#define NIMBALUNE_PROGMAN_GROUP_H

#include "install/file_copier.h"

// A group template that cannot be copied goes to onFailure.
void InstallProgmanGroup(CopyFailureHandler onFailure);

#endif
