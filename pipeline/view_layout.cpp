#include "pipeline/view_layout.h"

namespace {

// The drawn percentage: the zoom unless it is "fit" or larger than the fit.
int Cap(int zoom, int fit)
{
    if (fit < 1)
        fit = 1;
    return zoom <= 0 || zoom > fit ? fit : zoom;
}

// Fitted in both directions (the one-eye view and the composed modes): the
// side that limits gives the fit; the other side follows the aspect.
void FitBoth(int cw, int ch, int w, int h, int zoom, int *z, int *pw, int *ph)
{
    if (cw * 100 / ch < w * 100 / h) {
        *z = Cap(zoom, cw * 100 / w);
        *pw = w * *z / 100;
        *ph = *pw * h / w;
    } else {
        *z = Cap(zoom, ch * 100 / h);
        *ph = h * *z / 100;
        *pw = w * *ph / h;
    }
}

ViewRect Rect(int x, int y, int w, int h)
{
    return ViewRect{x, y, w, h};
}

// y mod 2 with the sign of y kept.
int Parity(int y)
{
    return y % 2;
}

}  // namespace

ViewRect MirroredDestination(const ViewRect &to, bool mirrorX, bool mirrorY)
{
    ViewRect d = to;
    if (mirrorX) {
        d.x += d.w - 1;
        d.w = -d.w;
    }
    if (mirrorY) {
        d.y += d.h - 1;
        d.h = -d.h;
    }
    return d;
}

ViewLayout ComputeViewLayout(const ViewLayoutRequest &r)
{
    ViewLayout v = {};
    int cw = r.clientW, ch = r.clientH, w = r.sourceW, h = r.sourceH;
    v.zoom = r.zoom;
    if (cw <= 0 || ch <= 0 || w <= 0 || h <= 0)
        return v;
    int z = 0, pw = 0, ph = 0;
    int waku = r.waku;

    if (r.playEye == 1 || r.playEye == 2 || r.mode == 2 || r.mode == 3 || r.mode == 6) {
        FitBoth(cw, ch, w, h, r.zoom, &z, &pw, &ph);
        v.pic[0] = Rect((cw - pw) / 2, (ch - ph) / 2, pw, ph);
        v.images = 1;
    } else if (r.mode == 0) {
        z = Cap(r.zoom, (cw / 2 - 2 * waku) * 100 / w);
        pw = w * z / 100;
        ph = pw * h / w;
        int y = (ch - ph) / 2, xl, xr;
        if (r.wcent == 1) {
            xl = cw / 2 - waku - pw;
            xr = cw / 2 + waku;
        } else if (r.wcent == 2) {
            xl = waku;
            xr = cw - waku - pw;
        } else {
            xl = (cw / 2 - pw) / 2;
            xr = cw / 2 + (cw / 2 - pw) / 2;
        }
        v.pic[0] = Rect(xl, y, pw, ph);
        v.pic[1] = Rect(xr, y, pw, ph);
        v.images = 2;
        v.framed = true;
        v.mirrorFirst = r.mirror == 2 || r.mirror == 3;
        v.mirrorSecond = r.mirror == 1 || r.mirror == 3;
    } else if (r.mode == 1) {
        z = Cap(r.zoom, (ch / 2) * 100 / h);
        ph = h * z / 100;
        pw = w * ph / h;
        int x = (cw - pw) / 2, yt, yb;
        if (r.wcent == 1) {
            yt = ch / 2 - ph;
            yb = ch / 2;
        } else if (r.wcent == 2) {
            yt = 0;
            yb = ch - ph;
        } else {
            yt = (ch / 2 - ph) / 2;
            yb = ch / 2 + (ch / 2 - ph) / 2;
        }
        v.pic[0] = Rect(x, yt, pw, ph);
        v.pic[1] = Rect(x, yb, pw, ph);
        v.images = 2;
        v.mirrorFirst = r.mirror == 2 || r.mirror == 3;
        v.mirrorSecond = r.mirror == 1 || r.mirror == 3;
    } else if (r.mode == 4) {
        FitBoth(cw, ch, w, h, r.zoom, &z, &pw, &ph);
        ph = (ph + 1) / 2 * 2;
        int x = (cw - pw) / 2, y = (ch - ph) / 2;
        v.parity = Parity(r.screenTop + y);
        v.pic[0] = Rect(x, y + v.parity, pw, ph);
        v.images = 1;
    } else if (r.mode == 5) {
        int qw = cw / 2 - 2 * waku, qh = ch / 2 - 2 * waku;
        if (qw <= 0 || qh <= 0)
            return v;
        FitBoth(qw, qh, w, h, r.zoom, &z, &pw, &ph);
        int xl, xr, yp, yb, xb = cw / 2 - pw / 2;
        if (r.wcent == 1) {
            xl = cw / 2 - waku - pw;
            xr = cw / 2 + waku;
            yp = ch / 2 - waku - ph;
            yb = ch / 2 + waku;
        } else if (r.wcent == 2) {
            xl = waku;
            xr = cw - waku - pw;
            yp = waku;
            yb = ch - waku - ph;
        } else {
            xl = (cw / 2 - pw) / 2;
            xr = cw / 2 + (cw / 2 - pw) / 2;
            yp = (ch / 2 - ph) / 2;
            yb = ch / 2 + (ch / 2 - ph) / 2;
        }
        v.pic[0] = Rect(xl, yp, pw, ph);
        v.pic[1] = Rect(xr, yp, pw, ph);
        v.pic[2] = Rect(xb, yb, pw, ph);
        v.images = 3;
        v.framed = true;
    } else if (r.mode == 7) {
        int half = w / 2;
        if (half <= 0)
            return v;
        if (cw * 50 / ch < half * 100 / h) {
            z = Cap(r.zoom, cw * 50 / half);
            pw = half * z / 100;
            ph = pw * h / half;
        } else {
            z = Cap(r.zoom, ch * 100 / h);
            ph = h * z / 100;
            pw = half * ph / h;
        }
        int x = (cw / 2 - pw) / 2, y = (ch - ph) / 2;
        v.pic[0] = Rect(x, y, pw, ph);
        v.panel2 = Rect(cw / 2 + x, y, pw, ph);
        v.images = 1;
        w = half;
    } else {
        return v;
    }
    v.zoom = z;
    if (pw <= 0 || ph <= 0) {
        v.images = 0;
        return v;
    }
    v.scale = w * 100 / pw;
    return v;
}

TrimPoint TrimEndPoint(int state, TrimPoint s, TrimPoint mouse, const ViewRect &image)
{
    TrimPoint m = mouse;
    if (m.x < image.x)
        m.x = image.x;
    if (m.x > image.x + image.w)
        m.x = image.x + image.w;
    if (m.y < image.y)
        m.y = image.y;
    if (m.y > image.y + image.h)
        m.y = image.y + image.h;
    TrimPoint e = {m.x, m.y};
    int dx = e.x - s.x;
    switch (state) {
    case 11: e.y = s.y + dx * 3 / 4; break;
    case 12: e.y = s.y + dx * 9 / 16; break;
    case 13: e.y = s.y + dx * 2 / 3; break;
    case 14: e.y = s.y + dx / 2; break;
    case 15: e.y = s.y + dx * 3 / 5; break;
    }
    return e;
}

bool TrimRectFromDrawing(int state, TrimPoint s, TrimPoint e, const ViewRect &image, int scale, int regionW,
                         int regionH, int *outLeft, int *outTop, int *outRight, int *outBottom)
{
    int top = scale * (s.y - image.y) / 100;
    int left = (s.x - image.x) * scale / 100;
    int q = (scale * (e.x - image.x) / 100 - left + 1) / 4;
    // Inside the region: the right edge at most at its width.
    if (left + 4 * q > regionW)
        q = (regionW - left) / 4;
    int right = left + 4 * q;
    int bottom;
    if (state == 21)
        bottom = top + 12 * q / 4;
    else if (state == 22)
        bottom = top + 36 * q / 16;
    else
        bottom = scale * (e.y - image.y) / 100;
    if (bottom > regionH)
        bottom = regionH;
    bottom = top + (bottom - top) / 2 * 2;
    if (q < 1 || bottom - top < 2 || left < 0 || top < 0)
        return false;
    *outLeft = left;
    *outTop = top;
    *outRight = right;
    *outBottom = bottom;
    return true;
}
