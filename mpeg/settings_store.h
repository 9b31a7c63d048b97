// Where the decoder keeps its options: 32-bit values under the current
// user's key "Software\vexa\twinreel" in the registry on Windows, and an
// in-process table with the same rules elsewhere (the native builds of the
// tests and fuzzers). Value names are compared without case, as the
// registry does.
#ifndef TWR_MPEG_SETTINGS_STORE_H
#define TWR_MPEG_SETTINGS_STORE_H

#include "shared/wintypes.h"

// The registry's type codes of the values the decoder meets.
enum { kSettingTypeString = 1, kSettingTypeBinary = 3, kSettingTypeDword = 4, kSettingTypeQword = 11 };

// True, with the value, only for a value of type REG_DWORD holding exactly
// 4 bytes; anything else (absent, another type, another length) is false,
// so that a value written by hand as text never reads as a number.
bool QueryDecoderDword(const char *name, DWORD *value);
// Writes a value of any type (the start-up's fixed values; the tests).
bool StoreDecoderValue(const char *name, DWORD type, const void *data, DWORD size);
bool StoreDecoderDword(const char *name, DWORD value);
// True when the value is gone afterwards (also when it never existed).
bool DeleteDecoderValue(const char *name);

#endif
