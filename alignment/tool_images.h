// The frames handed to the outside alignment tools: TIFF files, and the
// lens barrel corrected on the pixels before they are written.
#ifndef TWR_ALIGNMENT_TOOL_IMAGES_H
#define TWR_ALIGNMENT_TOOL_IMAGES_H

#include "shared/packed_dib.h"

// The barrel (positive value) or pincushion correction of the barrel mesh
// applied straight to the pixels of a 24-bit frame: a new frame of the same
// size, bilinear through the 8-bit product table, black where the source
// position falls outside. Null for a frame that is not 24-bit or when
// memory is short. The caller frees it.
PackedDib *CorrectBarrelDib(HWND owner, const PackedDib *frame, int value);

// Compression 0-3 as the TIFF tag value: none, PackBits, Deflate, LZW.
// Other values read as none.
int TiffCompressionTag(int compression);

#ifdef _WIN32
// Writes a 24-, 8-, 4- or 1-bit frame as a single-image, strip-organised
// TIFF file, rows from the top, with the given compression (0-3); Deflate
// and LZW with horizontal differencing for 24 bits. Returns 1; 0 when the
// file cannot be created or written, or the bit count is another one
// (the file is then removed, so that no tool reads half an image).
int SaveDibAsTiff(HWND owner, const char *path, const PackedDib *frame, int compression);
#endif

#endif
