// Registry access, each call opening and closing its own key.
#ifndef NIMBALUNE_REGISTRY_H
#define NIMBALUNE_REGISTRY_H

#include <windows.h>

int RegistryCreateKey(HKEY root, const char *subKeyPath);
int RegistryReadValue(HKEY root, const char *subKeyPath, const char *valueName, void *buffer, DWORD *size);
int RegistryWriteValue(HKEY root, const char *subKeyPath, const char *valueName, DWORD type,
                       const void *data, DWORD length);

#endif
