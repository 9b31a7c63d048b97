// The arithmetic of the savers that needs no window: the output size of
// each save layout, the trimming rectangle reset to the common region, the
// record that supplies the sound, the file-size limit, the aspect-keeping
// fit of the smart resize and the preview size.
#ifndef TWR_PIPELINE_SAVE_GEOMETRY_H
#define TWR_PIPELINE_SAVE_GEOMETRY_H

#include "shared/packed_dib.h"
#include "state/app_state.h"

#include <stdint.h>

// Save layouts (g_nSaveLayout).
enum SaveLayout {
    kSaveSideBySide = 0,
    kSaveOverUnder = 1,
    kSaveGreyAnaglyph = 2,
    kSaveColourAnaglyph = 3,
    kSaveInterlace = 4,
    kSaveRegionSideBySide = 5,
    kSaveChromaKey = 6,
    kSaveColumnInterlace = 7,
};

// The sub-rectangle of layout 5, set when a pair is opened.
extern RECT g_rcSaveRegion;

// A file is closed once more than this many bytes (video and the sound
// estimate) were written to it; the save continues in a numbered file.
enum : uint32_t { kSaveSplitBytes = 0x7F000000u };
inline bool SaveLimitPassed(uint32_t bytes) { return bytes > kSaveSplitBytes; }

struct SaveSize {
    int width, height;
};
// The output of a layout for a w x h region (one eye), with or without the
// custom eye size sw x sh.
SaveSize SaveOutputSize(int layout, int w, int h, bool resize, int sw, int sh, const RECT &region);

// While no trimming is applied the trimming rectangle is the whole region
// common to both images (for frames of width x height and the offsets).
void ResetTrimToCommonRegion(int width, int height, int shiftX, int shiftY);

// The record whose sound is saved: the movie opened as left ("nSoundlr"
// 0) or as right (1), whichever eye it serves now; *other gets the other.
MovieSource *SaveSoundRecord(const StereoPair *pair, MovieSource **other);

// The largest w x h of the aspect imageW : imageH that fits boxW x boxH
// (at least 1 x 1).
SaveSize FitAspect(int imageW, int imageH, int boxW, int boxH);

// The preview of an output of outW x outH in a client area: layout 1 fills
// the height, every other the width.
SaveSize SavePreviewSize(int layout, int clientW, int clientH, int outW, int outH);

#endif
