// The product's Program Manager group.
#ifndef NIMBALUNE_PROGMAN_GROUP_H
#define NIMBALUNE_PROGMAN_GROUP_H

void InstallProgmanGroup();

#endif
