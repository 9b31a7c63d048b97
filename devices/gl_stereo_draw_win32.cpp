#include "devices/gl_stereo_draw.h"

#include "devices/device_frames.h"
#include "devices/gl_stereo_geometry.h"
#include "devices/stereo_player_state.h"
#include "resources/resource_ids.h"
#include "shared/packed_dib.h"
#include "shared/path_helpers.h"
#include "shared/string_table.h"
#include "sources/movie_source.h"
#include "state/app_windows.h"

#include <GL/gl.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

GlStereoView g_glView;
int g_bGlMonoBuffers = 0;
void (*g_pfnGlEyeReadback)(int buffer, const unsigned char *bgra, int w, int h) = nullptr;
void (*g_pfnGlFrameTimes)(const GlFrameTimes &times) = nullptr;

namespace {

GlStereoView &V() { return g_glView; }

int LargestTexture()
{
    GLint n = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &n);
    return n > 0 ? (int)n : 1024;
}

// A texture of T x T texels, black, linear, holding the frame at (0, 0):
// the frame's bottom row becomes texture row 0.
void MakeTexture(unsigned name, int t, const PackedDib *frame)
{
    void *black = calloc((size_t)t * t, 3);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, t, t, 0, GL_RGB, GL_UNSIGNED_BYTE, black);
    free(black);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // DIB rows are padded to 4 bytes
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, DibWidth(frame), DibHeight(frame), GL_BGR_EXT, GL_UNSIGNED_BYTE,
                    FindDibBits(frame));
}

void DeleteTextures()
{
    GlStereoView &v = V();
    glDeleteTextures(2, (GLuint *)v.textures);
    v.textures[0] = v.textures[1] = 0;
}


// The quad of one eye with its texture coordinates moved by (ds, dt).
void Quad(unsigned texture, float ds, float dt)
{
    const GlStereoView &v = V();
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(v.s0 + ds, v.t0 + dt);
    glVertex2i(v.x0, v.y0);
    glTexCoord2f(v.s1 + ds, v.t0 + dt);
    glVertex2i(v.x1, v.y0);
    glTexCoord2f(v.s1 + ds, v.t1 + dt);
    glVertex2i(v.x1, v.y1);
    glTexCoord2f(v.s0 + ds, v.t1 + dt);
    glVertex2i(v.x0, v.y1);
    glEnd();
}

void ReadBack(int buffer)
{
    if (!g_pfnGlEyeReadback)
        return;
    const GlStereoView &v = V();
    std::vector<unsigned char> px((size_t)v.cw * v.ch * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, v.cw, v.ch, GL_BGRA_EXT, GL_UNSIGNED_BYTE, px.data());
    g_pfnGlEyeReadback(buffer, px.data(), v.cw, v.ch);
}

struct Eye {
    int buffer;  // 0 left, 1 right
    unsigned texture;
    float ds, dt;
};

// Both eyes, the first (eye[0]) drawn first; full: each buffer cleared
// with identity model-view and the client viewport first.
void DrawEyes(const Eye *eye, bool full)
{
    GlStereoView &v = V();
    if (!v.rc)
        return;
    for (int i = 0; i < 2; i++) {
        const Eye &e = eye[i];
        glDrawBuffer(g_bGlMonoBuffers ? GL_BACK : e.buffer == 0 ? GL_BACK_LEFT : GL_BACK_RIGHT);
        if (full) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            glViewport(0, 0, v.cw, v.ch);
        }
        Quad(e.texture, e.ds, e.dt);
        if (v.help || v.info)
            DrawGlStatus();
        if (g_bGlMonoBuffers)
            ReadBack(e.buffer);
    }
    SwapBuffers(v.dc);
}

void DrawPairEyes(bool full)
{
    const GlStereoView &v = V();
    Eye eyes[2] = {{0, v.textures[0], -v.ksl, -v.ktl}, {1, v.textures[1], v.ksr, v.ktr}};
    DrawEyes(eyes, full);
}

void DrawFileEyes(bool full)
{
    const GlStereoView &v = V();
    Eye eyes[2] = {{v.swap ? 1 : 0, v.textures[0], -v.ksl, -v.ktl},
                   {v.swap ? 0 : 1, v.textures[0], v.ksr + v.ds, v.ktr + v.dt}};
    DrawEyes(eyes, full);
}

void StorePicture(const GlPictureRequest &r)
{
    GlStereoView &v = V();
    GlPicture p = GlPictureOf(r);
    v.px = p.px;
    v.py = p.py;
    v.ex = p.ex;
    v.ey = p.ey;
    v.x0 = p.x0;
    v.x1 = p.x1;
    v.y0 = p.y0;
    v.y1 = p.y1;
    v.s0 = p.s0;
    v.s1 = p.s1;
    v.t0 = p.t0;
    v.t1 = p.t1;
    v.ds = p.ds;
    v.dt = p.dt;
    v.ksl = p.ksl;
    v.ksr = p.ksr;
    v.ktl = p.ktl;
    v.ktr = p.ktr;
}

GlPictureRequest Request(int eyeW, int eyeH, int shiftX, int shiftY)
{
    const GlStereoView &v = V();
    GlPictureRequest r = {};
    r.zoom = v.zoom;
    r.texture = v.texture > 0 ? v.texture : v.minTexture;
    r.eyeW = eyeW;
    r.eyeH = eyeH;
    r.pct = 100;
    r.tdiv = 1;
    r.cw = v.cw;
    r.ch = v.ch;
    r.px = v.px;
    r.py = v.py;
    r.shiftX = shiftX;
    r.shiftY = shiftY;
    return r;
}

}  // namespace

void SetupGlOrtho(int width, int height)
{
    GlStereoView &v = V();
    v.cw = width;
    v.ch = height > 0 ? height : 1;
    if (!v.rc)
        return;
    glViewport(0, 0, v.cw, v.ch);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, v.cw, 0, v.ch, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void LoadGlPairTextures()
{
    GlStereoView &v = V();
    StereoPair *pair = v.pair;
    if (!v.rc || !pair || !pair->pLeft || !pair->pRight)
        return;
    DevicePairFrame f;
    if (!FetchDevicePairFrame(pair, g_nFrame, f, false))
        return;
    int w = DibWidth(f.left), h = DibHeight(f.left);
    SetGlPairTitle(pair->pLeft, pair->pRight, w, h);
    int t = GlTextureSize(v.minTexture, w, h, LargestTexture());
    if (t == 0)
        return;
    DeleteTextures();
    glGenTextures(2, (GLuint *)v.textures);
    MakeTexture(v.textures[0], t, f.left);
    MakeTexture(v.textures[1], t, f.right);
    v.texture = t;
    v.frameW = w;
    v.frameH = h;
}

void LoadGlFileTexture()
{
    GlStereoView &v = V();
    MovieSource *movie = g_pPlayMovie;
    if (!v.rc || !movie)
        return;
    char name[kPathBytes] = "";
    if (v.pair)
        GetFileNameFromPath(name, v.pair->szName);
    if (g_nPlayFrame == movie->nFrames - 1)
        g_nPlayFrame = 0;
    DeviceFileFrame f;
    if (!FetchDeviceFileHalves(movie, g_nPlayFrame, f))
        return;
    int w = DibWidth(f.image), h = DibHeight(f.image);
    int t = GlTextureSize(v.minTexture, w, h, LargestTexture());
    if (t != 0) {
        v.eyeW = g_nBunkatu == 0 ? w / 2 : w;
        v.eyeH = g_nBunkatu == 0 ? h : h / 2;
        char title[600];
        snprintf(title, sizeof title, "%s(%d-%d-%d) Size(%d x %d)", name, 0, g_nPlayFrame, movie->nFrames - 1, v.eyeW,
                 v.eyeH);
        SetWindowTextA(v.window, title);
        DeleteTextures();
        glGenTextures(1, (GLuint *)v.textures);
        MakeTexture(v.textures[0], t, f.image);
        v.texture = t;
        v.frameW = w;
        v.frameH = h;
    }
    FreeDeviceFileFrame(f);
}

bool UploadGlFrame(int i, const void *bits, int w, int h)
{
    GlStereoView &v = V();
    if (!v.rc || !v.textures[i] || w > v.texture || h > v.texture)
        return false;
    glBindTexture(GL_TEXTURE_2D, v.textures[i]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_BGR_EXT, GL_UNSIGNED_BYTE, bits);
    return true;
}

void SetGlPairTitle(const MovieSource *l, const MovieSource *r, int w, int h)
{
    char title[1400];
    snprintf(title, sizeof title, LoadStr(IDS_PLAY_PAIR_LINE), l->szName, l->nStart, l->nStart + g_nFrame,
             l->nStart + g_nFrameCount - 1, r->szName, r->nStart, r->nStart + g_nFrame, r->nStart + g_nFrameCount - 1,
             w, h, " ", g_nPlayDelays);
    if (g_hwndMain)
        SetWindowTextA(g_hwndMain, title);
}

int DrawGlPair()
{
    const GlStereoView &v = V();
    StorePicture(Request(v.frameW, v.frameH, g_nShiftX, g_nShiftY));
    DrawPairEyes(true);
    return 1;
}

int DrawGlFile()
{
    const GlStereoView &v = V();
    GlFileLayout lay = GlFileLayoutOf(g_nBunkatu, v.frameW, v.frameH);
    GlPictureRequest r = Request(lay.eyeW, lay.eyeH, g_nFileShiftX, g_nFileShiftY);
    r.pct = lay.pct;
    r.tdiv = lay.tdiv;
    r.xo = lay.xo;
    r.yo = lay.yo;
    StorePicture(r);
    DrawFileEyes(true);
    return 1;
}

int DrawGlPairFrame()
{
    DrawPairEyes(false);
    return 1;
}

int DrawGlFileFrame()
{
    DrawFileEyes(false);
    return 1;
}

int DrawGlView()
{
    return V().file ? DrawGlFile() : DrawGlPair();
}

int CreateGlFont(const char *face, int height)
{
    GlStereoView &v = V();
    int base = (int)glGenLists(128);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FF_DONTCARE | DEFAULT_PITCH, face);
    // The lists keep the glyphs: the font is selected only while they are
    // made (the window's own DC lives as long as the window, and a font
    // still selected there could not be deleted).
    HGDIOBJ old = font ? SelectObject(v.dc, font) : nullptr;
    wglUseFontBitmapsA(v.dc, 0, 127, (DWORD)base);
    if (font) {
        SelectObject(v.dc, old);
        DeleteObject(font);
    }
    return base;
}

void SetGlTextRaster(int x, int y)
{
    const GlStereoView &v = V();
    glPushAttrib(GL_TRANSFORM_BIT | GL_VIEWPORT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(x - 1, v.ch - y - 17, 0, 0);
    glRasterPos4f(0, 0, 0, 1);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void DrawGlText(int x, int y, const char *format, ...)
{
    if (!format)
        return;
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    SetGlTextRaster(x, y);
    glPushAttrib(GL_LIST_BIT);
    glListBase((GLuint)V().fontBase);
    glCallLists((GLsizei)strlen(text), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

void DrawGlStatus()
{
    const GlStereoView &v = V();
    glBindTexture(GL_TEXTURE_2D, v.textures[2]);
    for (int pass = 0; pass < 2; pass++) {
        int d = pass;  // the white text one pixel right and down of the black
        if (pass == 0)
            glColor3f(0, 0, 0);
        else
            glColor3f(1, 1, 1);
        if (v.info) {
            if (pass == 0) {
                char backdrop[51];
                memset(backdrop, 'H', 50);
                backdrop[50] = 0;
                for (int x = 16; x <= 20; x++) {
                    DrawGlText(x, 0, "%s", backdrop);
                    DrawGlText(x, 5, "%s", backdrop);
                }
            }
            DrawGlText(16 + d, d, "Display frame No = %d / %d  Frame delays = %d  Frame drops = %d",
                       g_nPlayStep + g_nPlayBase, g_nPlayFrames - 1, g_nPlayDelays, g_nDevicePlayDrops);
        }
        if (v.help)
            for (int i = 0; i <= IDS_GL_HELP_LAST - IDS_GL_HELP_FIRST; i++)
                DrawGlText(16 + d, 20 + 16 * i + d, "%s", LoadStr(IDS_GL_HELP_FIRST + i));
    }
}
