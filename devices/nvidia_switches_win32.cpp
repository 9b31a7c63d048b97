#include "devices/nvidia_switches.h"

#include <stdio.h>

namespace {

// A value read as 999 counts as absent, as the driver never stores it.
const DWORD kAbsent = 999;

// The value (at most 4 bytes), or kAbsent when the key or the value is
// missing or longer.
DWORD ReadFourBytes(const char *keyName, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return kAbsent;
    DWORD value = kAbsent, bytes = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, nullptr, (BYTE *)&value, &bytes) != ERROR_SUCCESS)
        value = kAbsent;
    RegCloseKey(key);
    return value;
}

bool ValueExists(HKEY key, const char *name)
{
    return RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

void SetOglStereoSupport(const BYTE *value)
{
    DWORD current = ReadFourBytes("SYSTEM\\Select", "Current");
    if (current == kAbsent)
        return;
    char keyName[96];
    snprintf(keyName, sizeof keyName, "SYSTEM\\ControlSet%03lu\\Services\\nv\\Device0", (unsigned long)current);
    if (ReadFourBytes(keyName, "Ogl_EnableStereoSupport") == kAbsent)
        return;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Ogl_EnableStereoSupport", 0, REG_BINARY, value, 4);
    RegCloseKey(key);
}

void SetNvidiaStereoEnable(const DWORD *value)
{
    const char *keyName = "SOFTWARE\\NVIDIA Corporation\\Global\\Stereo3D";
    if (ReadFourBytes(keyName, "StereoEnable") == kAbsent)
        return;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "StereoEnable", 0, REG_DWORD, (const BYTE *)value, sizeof *value);
    // A driver without the default switch does not get one.
    if (ValueExists(key, "StereoDefaultOn"))
        RegSetValueExA(key, "StereoDefaultOn", 0, REG_DWORD, (const BYTE *)value, sizeof *value);
    RegCloseKey(key);
}
