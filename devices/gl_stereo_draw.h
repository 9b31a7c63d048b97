// The drawing of the OpenGL stereo window: its one state record, the
// pixel-exact projection, the current frame loaded into square textures
// (the pair's two images, or one whole stereo-file frame), both eyes drawn
// into the left and right back buffers with the zoom, pan, offset and file
// layout, the status line and key help in bitmap text, and the present.
#ifndef TWR_DEVICES_GL_STEREO_DRAW_H
#define TWR_DEVICES_GL_STEREO_DRAW_H

#include "shared/wintypes.h"
#include "state/app_state.h"

struct MovieSource;

// The state of the one OpenGL window, kept for the program's life; all
// zero at the start but the zoom.
struct GlStereoView {
    HWND window;
    HDC dc;
    HGLRC rc;
    HINSTANCE instance;  // kept for the re-creation by Enter
    StereoPair *pair;
    BYTE fullScreen;     // kept across windows and modes; Enter toggles it
    bool file;           // the mode chosen at creation: a stereo movie file
    bool cursorHidden;   // ShowCursor(FALSE) is in force for this window
    int minTexture;      // the smallest texture edge: 1024 pair, 2048 file
    int texture;         // T, the edge of the textures made for the frame
    unsigned textures[3];  // [0] left (file: the frame), [1] right, [2] never made (0: no texture)
    int frameW, frameH;  // W, H: the frame in the textures (0: none loaded)
    int eyeW, eyeH;      // file: one eye's size as the title shows it
    int cw, ch;          // the client size of SetupGlOrtho (ch at least 1)
    int zoom = 100;      // percent; kept across windows and modes
    int px, py;          // pan in display pixels
    int ex, ey;          // zoomed picture minus client size, 0 when narrower
    int x0, x1, y0, y1;  // the quad, window pixels from the bottom left
    float s0, s1, t0, t1;  // its texture coordinates for the first eye
    float ds, dt;        // file: from the first eye to the second
    float ksl, ktl, ksr, ktr;  // the offset between the images, half to each eye
    int anchorX, anchorY;  // a drag's last point (client coordinates)
    BYTE swap, help, info;
    int fontBase;
};
extern GlStereoView g_glView;

// Records the client size and sets a projection of one unit per window
// pixel from the bottom-left corner over the whole client area.
void SetupGlOrtho(int width, int height);
// The current frame into the textures (pair: g_nFrame; file:
// g_nPlayFrame, the last frame taken as 0). A frame that cannot be fetched
// or is larger than the largest texture leaves the textures as they are.
void LoadGlPairTextures();
void LoadGlFileTexture();
// The main window's title over the pair shown at g_nFrame, w x h.
void SetGlPairTitle(const MovieSource *left, const MovieSource *right, int w, int h);
// The geometry from the state, both eyes cleared and drawn, presented.
int DrawGlPair();
int DrawGlFile();
// Both eyes drawn with the geometry last computed, no clear (play loops).
int DrawGlPairFrame();
int DrawGlFileFrame();
// DrawGlFile or DrawGlPair, by the window's mode.
int DrawGlView();
// One frame (rows bottom-up, 24-bit, 4-byte padded) into texture i as the
// play loops upload it; false when it does not fit the texture.
bool UploadGlFrame(int i, const void *bits, int w, int h);

// The bitmap font: 128 display lists, characters 0-126 made from the face.
int CreateGlFont(const char *face, int height);
// The status line and the key help over the eye just drawn.
void DrawGlStatus();
// The raster position whose line's baseline lies 17 pixels below y
// counted from the top, at x.
void SetGlTextRaster(int x, int y);
void DrawGlText(int x, int y, const char *format, ...);

// Tests and benchmarks: with g_bGlMonoBuffers set, creation accepts a
// double-buffered format without stereo and both eyes are drawn into the
// one back buffer in turn; g_pfnGlEyeReadback, when set, then receives the
// back buffer after each eye (buffer 0 left, 1 right; cw x ch pixels as
// B, G, R, A, rows bottom-up).
extern int g_bGlMonoBuffers;
extern void (*g_pfnGlEyeReadback)(int buffer, const unsigned char *bgra, int w, int h);

// Where a played frame's time goes, for the benchmarks.
struct GlFrameTimes {
    int frame;
    double fetch, upload, present;  // ms
};
extern void (*g_pfnGlFrameTimes)(const GlFrameTimes &times);

#endif
