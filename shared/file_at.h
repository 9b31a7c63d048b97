// Win32 file handles read and written at 64-bit positions, so that files
// past 2 GB (AVI 2.0 movies, the numbered parts of a save) are reached
// wherever the program positions a handle.
#ifndef TWR_SHARED_FILE_AT_H
#define TWR_SHARED_FILE_AT_H

#include "shared/wintypes.h"

#include <stdint.h>

// The handle's position moved to pos from the start: false when it could
// not be.
bool SeekFileTo(HANDLE file, uint64_t pos);
// bytes read from pos: true only when all of them were.
bool ReadFileAt(HANDLE file, uint64_t pos, void *buffer, DWORD bytes);
// bytes written at pos: true only when all of them were.
bool WriteFileAt(HANDLE file, uint64_t pos, const void *buffer, DWORD bytes);

#endif
