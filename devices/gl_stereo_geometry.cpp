#include "devices/gl_stereo_geometry.h"

#include <stdint.h>

GlFileLayout GlFileLayoutOf(int layout, int w, int h)
{
    if (layout == 0)
        return {w / 2, h, 100, 1, w / 2, 0};
    if (layout == 1 || (layout >= 4 && layout <= 7))
        return {w, h / 2, 100, 1, 0, h / 2};
    if (layout == 3)
        return {w, h, 95, 2, 0, h / 2};
    // 2 and the row-interlaced layouts, split into halves of the same height.
    return {w, h, 100, 2, 0, h / 2};
}

GlEyeSize GlFitEyeSize(bool file, int layout, int w, int h)
{
    if (!file)
        return {w, h};
    if (layout == 0)
        return {w / 2, h};
    if (layout == 2 || layout > 7)
        return {w, h};
    if (layout == 3)
        return {w, h * 95 / 100};
    return {w, h / 2};
}

namespace {

// A product scaled by 100 (zoom times size), done in 64 bits and held in
// an int: pans and texture sizes at the largest zoom stay far below it.
int Held(int64_t v) { return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int)v; }
int Scaled(int64_t a, int64_t b, int64_t divisor) { return Held(a * b / divisor); }

// One axis: the zoomed size z against the client size c with the pan p.
// Narrower than the window: centred, the pan the negative half-margin;
// otherwise the pan held inside the excess and the window filled.
struct Axis {
    int pan, excess, lo, hi;
    float c0, c1;
};

Axis AxisOf(int z, int c, int pan, int div, float g)
{
    Axis a;
    a.excess = z - c;
    if (a.excess < 0) {
        a.pan = a.excess / 2;
        a.excess = 0;
        a.lo = -a.pan;
        a.hi = z + a.lo;
        a.c0 = 0;
        a.c1 = (float)(z / div) / g;
    } else {
        a.pan = pan < 0 ? 0 : pan > a.excess ? a.excess : pan;
        a.lo = 0;
        a.hi = c;
        a.c0 = (float)(a.pan / div) / g;
        a.c1 = (float)(c / div + a.pan / div) / g;
    }
    return a;
}

}  // namespace

GlPicture GlPictureOf(const GlPictureRequest &r)
{
    GlPicture p = {};
    float g = (float)Scaled(r.zoom, r.texture, 100);
    if (g <= 0)
        g = 1;
    int pct = r.pct > 0 ? r.pct : 100;
    int tdiv = r.tdiv > 0 ? r.tdiv : 1;
    int zw = Scaled(r.zoom, r.eyeW, 100);
    int zh = Scaled(r.zoom, Scaled(r.eyeH, pct, 100), 100);
    Axis x = AxisOf(zw, r.cw, r.px, 1, g);
    Axis y = AxisOf(zh, r.ch, r.py, tdiv, g);
    p.px = x.pan;
    p.ex = x.excess;
    p.x0 = x.lo;
    p.x1 = x.hi;
    p.s0 = x.c0;
    p.s1 = x.c1;
    p.py = y.pan;
    p.ey = y.excess;
    p.y0 = y.lo;
    p.y1 = y.hi;
    p.t0 = y.c0;
    p.t1 = y.c1;
    p.ds = (float)Scaled(r.zoom, r.xo, 100) / g;
    p.dt = (float)Scaled(r.zoom, Scaled(200 - pct, r.yo, 100), 100) / g;
    int kx = Scaled(r.shiftX, r.zoom, 100), ky = Scaled(r.shiftY, r.zoom, 100);
    p.ksl = (float)(kx / 2) / g;
    p.ksr = (float)(kx - kx / 2) / g;
    p.ktl = (float)(ky / 2) / g;
    p.ktr = (float)(ky - ky / 2) / g;
    return p;
}

int GlZoomIn(int zoom)
{
    if (zoom >= kGlZoomMost)
        return kGlZoomMost;
    int z = zoom * 110 / 100;
    z = z < 10 ? z + 1 : z;
    return z > kGlZoomMost ? kGlZoomMost : z;
}

int GlZoomOut(int zoom)
{
    int z = zoom * 100 / 110;
    return z < 1 ? 1 : z;
}

int GlWheelZoom(int zoom, unsigned wParam)
{
    unsigned high = (wParam >> 16) & 0xFFFF;
    if (high < 1000)
        return GlZoomIn(zoom);
    if (high > 1000)
        return GlZoomOut(zoom);
    return zoom;
}

int GlFitZoom(int zoom, int cw, int ch, int eyeW, int eyeH)
{
    if (eyeW <= 0 || eyeH <= 0)
        return zoom;
    int zx = cw * 100 / eyeW, zy = ch * 100 / eyeH;
    int z = zx < zy ? zx : zy;
    return z < 1 ? 1 : z;
}

GlPan GlPanAboutCentre(int z0, int z, int px0, int py0, int cw, int ch)
{
    if (z0 <= 0)
        return {px0, py0};
    int64_t mx = (cw - (int64_t)z * cw / z0) / 2, my = (ch - (int64_t)z * ch / z0) / 2;
    return {Held((int64_t)px0 * z / z0 - mx), Held((int64_t)py0 * z / z0 - my)};
}

int GlTextureSize(int minimum, int w, int h, int largest)
{
    int need = w > h ? w : h;
    int t = minimum > 1 ? minimum : 1;
    while (t < need && t <= largest / 2)
        t *= 2;
    return t >= need && t <= largest ? t : 0;
}
