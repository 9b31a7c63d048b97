// Searches for the MPEG start-code prefix 00 00 01 in a byte range.
#ifndef TWR_MPEG_START_CODE_H
#define TWR_MPEG_START_CODE_H

#include "shared/wintypes.h"

// The first p in [from, end - 2) with p[0..2] = 00 00 01, or null.
const BYTE *FindStartCodeForward(const BYTE *from, const BYTE *end);
// The last prefix that begins at or after start and whose 01 byte lies at
// or before last, or null.
const BYTE *FindStartCodeBackward(const BYTE *last, const BYTE *start);

#endif
