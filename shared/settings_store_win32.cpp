#include "shared/settings_store.h"

#include "shared/wintypes.h"

#include <stdio.h>
#include <string.h>

const char *g_pszSettingsKey = "Software\\Vexa\\twinreel";

static void WriteValue(const char *name, DWORD type, const BYTE *data, DWORD bytes)
{
    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, g_pszSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key, &disposition) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, data, bytes);
    RegCloseKey(key);
}

void WriteSetting(const char *name, const char *text)
{
    WriteValue(name, REG_SZ, (const BYTE *)text, (DWORD)strlen(text));
}

void WriteSettingDword(const char *name, unsigned long value)
{
    DWORD v = (DWORD)value;
    WriteValue(name, REG_DWORD, (const BYTE *)&v, sizeof v);
}

void WriteSettingNumber(const char *name, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    WriteSetting(name, text);
}

// Values are stored without a NUL (Wine adds one, Windows does not), so the
// text is terminated here; a value longer than the buffer is not cut into
// a different path but read as absent.
static void ReadValue(HKEY root, const char *keyName, const char *name, char *buffer, int size)
{
    if (size <= 0)
        return;
    buffer[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(root, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD bytes = (DWORD)size;
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, (BYTE *)buffer, &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        buffer[0] = '\0';
        return;
    }
    if (bytes < (DWORD)size)
        buffer[bytes] = '\0';
    else if (buffer[size - 1] != '\0')
        buffer[0] = '\0';
}

void ReadSetting(const char *name, char *buffer, int size)
{
    ReadValue(HKEY_CURRENT_USER, g_pszSettingsKey, name, buffer, size);
}

void ReadAvisynthValue(const char *name, char *buffer, int size)
{
    ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Avisynth", name && *name ? name : nullptr, buffer, size);
}

int IsWinX3DInstalled()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\W3D", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}
