// The settings store: REG_SZ values of decimal text (or paths) under one
// key of the current user, written without their terminating NUL, and the
// numeric decoder options as REG_DWORD values; plus the registry probes of
// the outside components the program can use.
#ifndef TWR_SHARED_SETTINGS_STORE_H
#define TWR_SHARED_SETTINGS_STORE_H

// The settings key under HKEY_CURRENT_USER. Tests point it at a key of
// their own.
extern const char *g_pszSettingsKey;

// Creates the key when needed and stores the text as REG_SZ of strlen
// bytes. Failures are silent.
void WriteSetting(const char *name, const char *text);
void WriteSettingDword(const char *name, unsigned long value);
// The number as decimal text (WriteSetting).
void WriteSettingNumber(const char *name, int value);

// Reads a value into buffer (size bytes) as a terminated string. An absent
// key or value, or a value that does not fit, leaves an empty string, which
// every reader takes as "keep the built-in default". Settings of numbers
// are read into 100-byte buffers, paths into 260-byte ones.
void ReadSetting(const char *name, char *buffer, int size);
template <int N> inline void ReadSetting(const char *name, char (&buffer)[N]) { ReadSetting(name, buffer, N); }

// The same read from HKEY_LOCAL_MACHINE "SOFTWARE\Avisynth" (a null or
// empty name reads the default value, the installation folder).
void ReadAvisynthValue(const char *name, char *buffer, int size);

// 1 when the WinX3D driver's key HKEY_LOCAL_MACHINE "Software\W3D" opens.
int IsWinX3DInstalled();

#endif
