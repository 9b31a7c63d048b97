// The decoder's ten options, read afresh from the settings store at every
// open so that a change takes effect with the next opened file. Every
// problem (no key, no value, a value of another type or length) gives the
// default; nothing here fails an open.
#ifndef TWR_MPEG_DECODER_SETTINGS_H
#define TWR_MPEG_DECODER_SETTINGS_H

#include "shared/wintypes.h"

// What a video stream keeps of them ("limit" and "file" are read where
// they are used).
struct DecoderSettings {
    int re_map;        // 1: studio-range luma expanded to full range
    int yuy2_matrix;   // no effect on the 24-bit output
    int aspect_ratio;  // non-zero: resize to square pixels
    int field_order;   // 0 as coded, 1 top field first, 2 bottom field first
    int simd;          // instruction sets allowed, limited to what the processor has
    int idct_func;     // 0 floating point, 1 integer, other: row-column
    int color_matrix;  // 0 automatic, 1-7 a matrix_coefficients code
    int gl;            // bit 0: no ".gl" file, always scan; bit 1: no time-code index
};

enum { kGlNoFile = 1, kGlNoTimecodeIndex = 2 };
enum { kDefaultLimit = 0x800000 };

DWORD ReadSettingReMap();        // 0 or 1; default 1
DWORD ReadSettingIdctFunc();     // default 1
// The "simd" bits of instruction sets this processor has (a bit for a set
// it lacks would stop the program at the first such instruction); default 0.
DWORD ReadSettingSimd();
DWORD ReadSettingFieldOrder();   // default 0
DWORD ReadSettingAspectRatio();  // default 0
DWORD ReadSettingLimit();        // default 0x800000
DWORD ReadSettingColorMatrix();  // default 0
DWORD ReadSettingGl();           // default 0
DWORD ReadSettingFile();         // 1 when the value is exactly 1 (join numbered files), else 0
DWORD ReadSettingYuy2Matrix();   // default 0

// Calls the readers in the order simd, re_map, yuy2_matrix, aspect_ratio,
// field_order, idct_func, color_matrix, gl.
void ReadDecoderSettings(DecoderSettings *s);

#endif
