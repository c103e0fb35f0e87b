// Registry access. Every call opens its own key and closes it again, so no
// handle outlives the call.
#include "desktop/registry.h"

int RegistryCreateKey(HKEY root, const char *subKeyPath)
{
    HKEY key;
    DWORD disposition;
    char noClass[] = "";

    if (RegCreateKeyExA(root, subKeyPath, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                        &key, &disposition) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

int RegistryReadValue(HKEY root, const char *subKeyPath, const char *valueName, void *buffer, DWORD *size)
{
    HKEY key;
    DWORD type;
    LONG status;

    if (RegOpenKeyExA(root, subKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    status = RegQueryValueExA(key, valueName, NULL, &type, (BYTE *)buffer, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

int RegistryWriteValue(HKEY root, const char *subKeyPath, const char *valueName, DWORD type,
                       const void *data, DWORD length)
{
    HKEY key;
    LONG status;

    if (RegOpenKeyExA(root, subKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    status = RegSetValueExA(key, valueName, 0, type, (const BYTE *)data, length);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
