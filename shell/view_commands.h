// The arithmetic of the main window's view commands: what a display
// command chooses, the zoom steps, the synchronisation and range steps,
// the mouse wheel and the position bar. The command handlers
// (main_commands_win32.cpp) apply these to the application state.
#ifndef TWR_SHELL_VIEW_COMMANDS_H
#define TWR_SHELL_VIEW_COMMANDS_H

#include "sources/movie_source.h"

// What a display command (2002-2007, 2033, 2103, 2110-2117, 2170-2178)
// chooses; -1 leaves a value as it is.
struct DisplayChoice {
    int mode;       // DisplayMode when both movies are open
    int mirror;     // mirror variant (always set)
    int anatype;    // grey anaglyph variant
    int anactype;   // colour anaglyph variant
};
// False for an identifier that is no display command.
bool ChooseDisplay(int id, DisplayChoice *choice);

// Zoom in percent: 0 fits the window. Zooming in takes 110 %, and a step
// from below 10 % one more percent (so fit becomes 1 %), up to kMaxZoom (the
// picture width times the zoom must stay a 32-bit number); zooming out
// takes 100/110, at least 1 %.
enum { kMaxZoom = 10000 };
int ZoomInStep(int zoom);
int ZoomOutStep(int zoom);

// The wheel's high word as an unsigned number: below 1000 zooms in (2187),
// above 1000 out (2188), exactly 1000 nothing (0).
int WheelZoomCommand(unsigned highWord);

// Synchronisation and end steps (2009-2014): a start offset or the end
// offset moved by one frame. A start stays within 0 and the last frame and
// the pair keeps at least one frame; a step that would break that is not
// taken.
void StepSynchronisation(int id, MovieSource *left, MovieSource *right, int *endOffset);

// 2015: the smaller start becomes 0 and the other keeps the difference.
void StartsToFirst(int *leftStart, int *rightStart);
// 2017: the end offset that makes the current frame the last.
inline int EndOffsetAtFrame(int endOffset, int frameCount, int frame) { return endOffset + frameCount - frame - 1; }

// The armed trimming state of a trimming command (2035 free, 2036 4:3,
// 2037 16:9, 2038 3:2, 2061 480:240, 2062 400:240); 0 for others.
int ArmedTrimState(int id);

// Frames per scroll unit of the position bar for a last frame: 1, 10 above
// 64,000, and more above 640,000 so that the scroll range stays within the
// 16-bit thumb position.
int PositionBarScale(int lastFrame);

// The position after a horizontal scroll code (SB_LINELEFT 0 ...
// SB_RIGHT 7) of the position bar; thumb is the 16-bit thumb position.
// Other codes return the position unchanged.
int PositionAfterScroll(int code, int position, int start, int end, int scale, int thumb);

// The quality scroll bar of the camera 3D-AVI panel (1-99).
int QualityAfterScroll(int code, int quality, int thumb);

// The custom save width entered in a save panel: a negative width is the
// shown width; the result is a multiple of 4 at or above it.
int SaveWidthFromEntry(int entered, int shownWidth);

#endif
