// The arithmetic of the OpenGL stereo window that needs no screen: where
// each eye of a stereo movie file lies in its frame for each file layout,
// the picture's rectangle and texture coordinates for the zoom, the pan and
// the offset between the images, the zoom steps and the texture size.
// All divisions are integer divisions truncating toward zero, so that the
// same state always draws to the same pixels: the picture must not move by
// a pixel when it is drawn again.
#ifndef TWR_DEVICES_GL_STEREO_GEOMETRY_H
#define TWR_DEVICES_GL_STEREO_GEOMETRY_H

// One eye of a file frame of w x h after its conversion (layout L =
// g_nBunkatu): the eye's size as shown, the percentage of the eye height
// the picture is stretched from (the 47.5 % layout drops the middle 5 %),
// the vertical texture divisor (2: half the rows are stretched to the full
// height) and where the second eye starts in frame pixels.
struct GlFileLayout {
    int eyeW, eyeH;
    int pct;
    int tdiv;
    int xo, yo;
};
GlFileLayout GlFileLayoutOf(int layout, int w, int h);

// The eye size a fit zooms to: the pair's frame, or the file layout's eye
// (the 47.5 % layout fits 95 % of the frame height).
struct GlEyeSize {
    int w, h;
};
GlEyeSize GlFitEyeSize(bool file, int layout, int w, int h);

// What the picture is drawn from.
struct GlPictureRequest {
    int zoom;         // percent
    int texture;      // T, the texture's edge in texels
    int eyeW, eyeH;   // the eye's size in frame pixels (for the pair: the frame)
    int pct, tdiv;    // GlFileLayout's (100 and 1 for the pair)
    int xo, yo;       // the second eye's offset in the frame (0 for the pair)
    int cw, ch;       // the client size
    int px, py;       // the pan before the draw
    int shiftX, shiftY;  // the offset between the images in frame pixels
};

// The quad in window pixels from the bottom-left corner, its texture
// coordinates for the first eye, the second eye's texture offset, the
// shift terms (first eye minus ksl/ktl, second plus ksr/ktr) and the pan
// after clamping or centring.
struct GlPicture {
    int px, py;
    int ex, ey;
    int x0, x1, y0, y1;
    float s0, s1, t0, t1;
    float ds, dt;
    float ksl, ksr, ktl, ktr;
};
GlPicture GlPictureOf(const GlPictureRequest &r);

// One zoom step in (Z x 110 / 100, + 1 while below 10, at most
// kGlZoomMost: each mouse move of a right drag zooms in a step) and out
// (Z x 100 / 110, at least 1).
enum { kGlZoomMost = 10000 };
int GlZoomIn(int zoom);
int GlZoomOut(int zoom);
// The wheel's step: the high word of wParam taken unsigned; below 1000
// zooms in, above zooms out, exactly 1000 keeps the zoom.
int GlWheelZoom(int zoom, unsigned wParam);
// The zoom that fits an eye of eyeW x eyeH into cw x ch; the zoom as it is
// while no frame is known, and never below 1 (a minimised window).
int GlFitZoom(int zoom, int cw, int ch, int eyeW, int eyeH);

// The pan after a zoom from z0 to z that keeps the client centre in place.
struct GlPan {
    int px, py;
};
GlPan GlPanAboutCentre(int z0, int z, int px0, int py0, int cw, int ch);

// The smallest power of two holding a frame of w x h, at least minimum;
// 0 when it would exceed the largest texture (the frame is not loaded).
int GlTextureSize(int minimum, int w, int h, int largest);

#endif
