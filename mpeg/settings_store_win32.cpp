#include "mpeg/settings_store.h"

static const char kDecoderKey[] = "Software\\vexa\\twinreel";

bool QueryDecoderDword(const char *name, DWORD *value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDecoderKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, v = 0, size = sizeof v;
    LONG r = RegQueryValueExA(key, name, nullptr, &type, (BYTE *)&v, &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof v)
        return false;
    *value = v;
    return true;
}

bool StoreDecoderValue(const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDecoderKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(key, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

bool StoreDecoderDword(const char *name, DWORD value)
{
    return StoreDecoderValue(name, REG_DWORD, &value, sizeof value);
}

bool DeleteDecoderValue(const char *name)
{
    HKEY key;
    LONG r = RegOpenKeyExA(HKEY_CURRENT_USER, kDecoderKey, 0, KEY_SET_VALUE, &key);
    if (r == ERROR_FILE_NOT_FOUND)
        return true;
    if (r != ERROR_SUCCESS)
        return false;
    r = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}
