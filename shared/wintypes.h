// The few Windows types and macros the portable code (parsers, decoders,
// composition and warping kernels) needs. On Windows they come from
// <windows.h>; elsewhere they are defined here with the same sizes and
// layouts, so that the kernels build and run natively for the sanitizer
// and fuzzing builds.
#ifndef TWR_SHARED_WINTYPES_H
#define TWR_SHARED_WINTYPES_H

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <stdint.h>
#include <stddef.h>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int32_t BOOL;
typedef uint32_t UINT;
typedef DWORD COLORREF;
typedef void *HANDLE;
typedef HANDLE HGLOBAL;
typedef struct HWND__ *HWND;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define BI_RGB 0L
#define BI_BITFIELDS 3L

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPCOREHEADER {
    DWORD bcSize;
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
} BITMAPCOREHEADER;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT;

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))
#endif

// The layouts the files and the clipboard rely on.
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER layout");
static_assert(sizeof(BITMAPFILEHEADER) == 14, "BITMAPFILEHEADER layout");
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD layout");
static_assert(sizeof(RECT) == 16, "RECT layout");

#endif
