#include "pipeline/play_pair.h"

#include "alignment/colour_match.h"
#include "alignment/frame_adjustment.h"
#include "pipeline/compose_settings.h"
#include "pipeline/pair_position.h"
#include "pipeline/play_clock.h"
#include "pipeline/show_pair.h"
#include "pipeline/sound_chunks.h"
#include "pipeline/streamed_sound.h"
#include "pipeline/view_layout.h"
#include "pipeline/view_window.h"
#include "pipeline/wave_image.h"
#include "pipeline/wave_player.h"
#include "resources/resource_ids.h"
#include "shared/global_memory.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "sources/plugin_audio.h"
#include "sources/plugin_source.h"
#include "sources/stereo_pair.h"
#include "state/alignment_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"

#include <mmsystem.h>
#include <vfw.h>

#include <stdio.h>
#include <string.h>

#include <vector>

void (*g_pfnPlayFrameHook)(int frame) = nullptr;

void CALLBACK PlaybackTimerProc(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    g_nTimerTicks = g_nTimerTicks + 1;
}

void MovePositionThumb()
{
    if (!g_hPosScroll)
        return;
    SetScrollPos(g_hPosScroll, SB_CTL, g_nFrame / (g_nPosScale > 0 ? g_nPosScale : 1), FALSE);
    InvalidateRect(g_hPosScroll, nullptr, TRUE);
}

namespace {

// The in-memory sound's block, sized from the record that supplies the
// sound: its header announces nWaveBufSize - 100 bytes of data, and
// PlaySound plays no more than that, so a larger block would never be
// heard (ten times as much, up to 640 MB, often cannot be had in a 32-bit
// process at all).
size_t SoundBlockBytes(const MovieSource *m)
{
    return (size_t)m->nWaveBufSize + kWaveHeaderBytes;
}

// ---- the sound of the own reader's movies: chunks straight from the file
// into an in-memory WAVE that PlaySound streams ----

struct ChunkSound {
    MovieSource *m = nullptr;
    BYTE *block = nullptr;
    StreamedSound s = {};
    SoundChunkCursor at = {0, 0}; // the next sound to read
    double playedMs = 0;          // duration of the segments played before this one
    std::vector<BYTE> bytes;      // one chunk
};

// Appends chunks (the first from the cursor's offset) until about want
// bytes were taken, the index ends or the block is full.
void AppendChunks(ChunkSound &c, uint32_t want)
{
    uint32_t taken = 0;
    while (taken < want && c.at.chunk < c.m->nAudioChunks) {
        if (StreamedSoundSpace(&c.s) == 0)
            return;
        taken += AppendSoundChunk(&c.s, c.m, &c.at, c.bytes);
        if (c.at.offset != 0)
            return;  // the block is full: go on from here next time
    }
}

double SegmentMs(const ChunkSound &c)
{
    const MovieSource *m = c.m;
    if (m->nAudioRate == 0 || m->nBlockAlign == 0)
        return 0;
    double samples = (double)(c.s.used / (uint32_t)m->nBlockAlign);
    return samples * m->nAudioScale * 1000.0 / m->nAudioRate;
}

bool StartChunkSound(ChunkSound &c, MovieSource *m, int f0)
{
    if (!m->pWaveHeader || !m->pAudioIndex || m->nAudioChunks <= 0 || m->nBlockAlign <= 0 || m->nWaveBufSize <= 0)
        return false;
    c.m = m;
    size_t blockBytes = SoundBlockBytes(m);
    c.block = (BYTE *)AllocGlobalBlock(blockBytes, 1);
    if (!c.block)
        return false;
    if (!BeginStreamedSound(&c.s, c.block, blockBytes, m->pWaveHeader, (uint32_t)g_nCacheBudget)) {
        FreeGlobalBlock(c.block);
        c.block = nullptr;
        return false;
    }
    c.at = SoundChunkAtFrame(m, f0 + m->nStart);
    AppendChunks(c, 10u * (uint32_t)m->nAudioPerFrame);
    PlaySoundA((LPCSTR)c.block, nullptr, SND_MEMORY | SND_ASYNC);
    return true;
}

void KeepChunkSound(ChunkSound &c, double elapsedMs)
{
    if (!c.block)
        return;
    if (StreamedSoundWantsMore(&c.s)) {
        AppendChunks(c, 10u * (uint32_t)c.m->nAudioPerFrame);
        return;
    }
    if (c.at.chunk >= c.m->nAudioChunks)
        return;  // everything is in the block
    double segment = SegmentMs(c);
    if (elapsedMs < c.playedMs + segment)
        return;
    // The block has been played: the next sound from its start.
    c.playedMs += segment;
    RestartStreamedSound(&c.s);
    AppendChunks(c, 10u * (uint32_t)c.m->nAudioPerFrame);
    PlaySoundA((LPCSTR)c.block, nullptr, SND_MEMORY | SND_ASYNC);
}

void EndChunkSound(ChunkSound &c)
{
    if (!c.block)
        return;
    PlaySoundA(nullptr, nullptr, SND_MEMORY | SND_ASYNC);
    FreeGlobalBlock(c.block);
    c.block = nullptr;
}

// ---- the sound of plug-in movies: frame by frame through the plug-in
// into an in-memory WAVE that PlaySound streams ----

struct PluginSound {
    MovieSource *m = nullptr;
    MovieSource *partner = nullptr;  // gives the right channel, when set
    BYTE *block = nullptr;
    StreamedSound s = {};
    int next = 0;                    // next pair frame to write
    int lastWritten = -1;
    std::vector<BYTE> frame, other;
};

// Appends the sound of pair frame f; false when it does not fit or cannot
// be read.
bool AppendPluginFrame(PluginSound &p, int f)
{
    MovieSource *m = p.m;
    int n = AudioSamplesInFrame(m, f + m->nStart);
    int first = AudioSampleAtFrame(m, f + m->nStart);
    uint32_t bytes = (uint32_t)n * (uint32_t)m->nBlockAlign;
    if (n <= 0 || bytes > StreamedSoundSpace(&p.s))
        return false;
    p.frame.assign(bytes, 0);
    if (ReadPluginAudio(m, p.frame.data(), n, first) != 0)
        return false;
    if (p.partner) {
        // Left channel from the timing movie, right from the partner.
        MovieSource *o = p.partner;
        p.other.assign(bytes, 0);
        if (ReadPluginAudio(o, p.other.data(), n, AudioSampleAtFrame(o, f + o->nStart)) == 0)
            TakePartnerChannel(p.frame.data(), p.other.data(), n);
    }
    AppendStreamedSound(&p.s, p.frame.data(), bytes);
    p.lastWritten = f;
    p.next = f + 1;
    return true;
}

void AppendPluginFrames(PluginSound &p, int upTo, int frameCount)
{
    while (p.next <= upTo && p.next < frameCount && StreamedSoundWantsMore(&p.s))
        if (!AppendPluginFrame(p, p.next))
            break;
}

bool StartPluginSound(PluginSound &p, MovieSource *m, MovieSource *partner, int f0, int frameCount)
{
    if (!m->pWaveHeader || m->nBlockAlign <= 0 || m->nWaveBufSize <= 0)
        return false;
    ReopenPluginFile(m);
    if (partner->nKind == kSourcePlugin)
        ReopenPluginFile(partner);
    p.m = m;
    if (g_bStereoSound == 1 && m->nBlockAlign == 4 && partner->nKind == kSourcePlugin && partner->nBlockAlign == 4)
        p.partner = partner;
    size_t blockBytes = SoundBlockBytes(m);
    p.block = (BYTE *)AllocGlobalBlock(blockBytes, 1);
    if (!p.block)
        return false;  // played without sound
    if (!BeginStreamedSound(&p.s, p.block, blockBytes, m->pWaveHeader, (uint32_t)g_nCacheBudget)) {
        FreeGlobalBlock(p.block);
        p.block = nullptr;
        return false;
    }
    p.next = f0;
    AppendPluginFrames(p, f0 + 9, frameCount);
    PlaySoundA((LPCSTR)p.block, nullptr, SND_MEMORY | SND_ASYNC);
    return true;
}

void KeepPluginSound(PluginSound &p, int dueFrame, int frameCount)
{
    if (!p.block)
        return;
    if (StreamedSoundWantsMore(&p.s)) {
        AppendPluginFrames(p, dueFrame + 10, frameCount);
        return;
    }
    if (p.lastWritten >= dueFrame || p.next >= frameCount)
        return;
    // What was written has been played: the next ten frames from the
    // block's start.
    RestartStreamedSound(&p.s);
    AppendPluginFrames(p, p.next + 9, frameCount);
    PlaySoundA((LPCSTR)p.block, nullptr, SND_MEMORY | SND_ASYNC);
}

void EndPluginSound(PluginSound &p)
{
    if (!p.block)
        return;
    PlaySoundA(nullptr, nullptr, SND_MEMORY | SND_ASYNC);
    FreeGlobalBlock(p.block);
    p.block = nullptr;
}

// ---- drawing ----

struct PlayDraw {
    HDC dc;
    bool first;
    int m[4];
    ComposeSettings settings;  // the frame's, taken before it is drawn
};

// Draws w x h pixels of src from column sx, rows counted from the top at
// topY, into the rectangle: through DrawDib, or with StretchDIBits when
// mirrored.
void DrawFrom(PlayDraw &d, void *drawDib, PackedDib *src, int sx, int topY, int w, int h, const ViewRect &to,
              bool mirrorX, bool mirrorY)
{
    if (!src || w <= 0 || h <= 0 || to.w <= 0 || to.h <= 0)
        return;
    BYTE *bits = FindDibBits(src);
    if (mirrorX || mirrorY || !drawDib) {
        ViewRect m = MirroredDestination(to, mirrorX, mirrorY);
        int bottomY = DibHeight(src) - topY - h;
        StretchDIBits(d.dc, m.x, m.y, m.w, m.h, sx, bottomY, w, h, bits, (const BITMAPINFO *)src, DIB_RGB_COLORS,
                      SRCCOPY);
        return;
    }
    DrawDibDraw((HDRAWDIB)drawDib, d.dc, to.x, to.y, to.w, to.h, src, bits, sx, topY, w, h,
                d.first ? 0 : DDF_BACKGROUNDPAL);
}

void ClearIfResized(HDC dc)
{
    if (!g_bResizedForLoops)
        return;
    RECT client;
    GetClientRect(g_hwndView, &client);
    FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
    g_bResizedForLoops = 0;
}

ViewLayout Layout(int mode, int playEye, int sourceW, int sourceH)
{
    ViewLayout v = LayOutView(g_hwndView, mode, playEye, sourceW, sourceH);
    g_nViewScale = v.scale;
    g_nFieldParity = v.parity;
    return v;
}

// The common region of the frame: its size and, counted from the top of
// each eye frame, where it starts.
struct Region {
    int w, h;
    int lx, lTop, rx, rTop;
};

Region RegionOf(const PackedDib *left, const PackedDib *right, const int *m)
{
    int fw = DibWidth(left), fh = DibHeight(left);
    int regionH = fh - m[1] - m[3];
    Region g;
    g.w = g_rcTrim.right - g_rcTrim.left;
    g.h = g_rcTrim.bottom - g_rcTrim.top;
    int t = regionH - g_rcTrim.bottom;  // rows below the trimmed part, bottom-up
    g.lx = m[2] + g_rcTrim.left;
    g.rx = m[0] + g_rcTrim.left;
    g.lTop = fh - (m[3] + t) - g.h;
    g.rTop = DibHeight(right) - (m[1] + t) - g.h;
    (void)fw;
    return g;
}

// The composed frame takes the region's size for this frame.
void SizeComposed(int w, int h)
{
    BITMAPINFOHEADER *b = g_pComposed;
    b->biWidth = w;
    b->biHeight = h;
    b->biSizeImage = (DWORD)DibRowBytes(w, 24) * (DWORD)h;
}

void DrawPair(PlayDraw &d, MovieSource *left, MovieSource *right)
{
    PackedDib *l = left->pCurrent, *r = right->pCurrent;
    const int *m = d.m;
    Region g = RegionOf(l, r, m);
    if (g.w <= 0 || g.h <= 0)
        return;
    int mode = g_nDisplayMode;
    bool eyes = mode == 0 || mode == 1 || mode == 5;
    // The header always tells the region, filled or not (modes 0 and 1).
    SizeComposed(mode == 7 ? 2 * g.w : g.w, g.h);
    if (!eyes) {
        switch (mode) {
        case 2: ComposeFastAnaglyph(d.settings, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
        case 3: ComposeColourAnaglyph(d.settings, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
        case 6: ComposeChromaKey(d.settings, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
        case 7: ComposeIz3d(d.settings, g_pComposed, l, r, m[0], m[1], m[2], m[3]); break;
        default: break;
        }
    } else if (mode == 5) {
        ComposeBlend(d.settings, g_pComposed, l, r, m[0], m[1], m[2], m[3]);
    }
    int srcW = eyes ? g.w : (mode == 7 ? 2 * g.w : g.w);
    ViewLayout v = Layout(mode, 0, srcW, g.h);
    if (!v.images)
        return;
    ClearIfResized(d.dc);
    SetStretchBltMode(d.dc, COLORONCOLOR);
    PackedDib *c = g_pComposed;
    switch (mode) {
    case 0:
    case 1:
        DrawFrom(d, left->hDrawDib, l, g.lx, g.lTop, g.w, g.h, v.pic[0], mode == 0 && v.mirrorFirst,
                 mode == 1 && v.mirrorFirst);
        DrawFrom(d, right->hDrawDib, r, g.rx, g.rTop, g.w, g.h, v.pic[1], mode == 0 && v.mirrorSecond,
                 mode == 1 && v.mirrorSecond);
        break;
    case 5:
        DrawFrom(d, left->hDrawDib, l, g.lx, g.lTop, g.w, g.h, v.pic[0], false, false);
        DrawFrom(d, right->hDrawDib, r, g.rx, g.rTop, g.w, g.h, v.pic[1], false, false);
        DrawFrom(d, right->hDrawDib, c, 0, 0, g.w, g.h, v.pic[2], false, false);
        break;
    case 4:
        if (v.zoom == 100) {
            SizeComposed(g.w, g.h);
            ComposeInterlace(d.settings, c, l, r, m[0], m[1], m[2], m[3]);
            SetDIBitsToDevice(d.dc, v.pic[0].x, v.pic[0].y, (DWORD)g.w, (DWORD)g.h, 0, 0, 0, (UINT)g.h,
                              FindDibBits(c), (const BITMAPINFO *)c, DIB_RGB_COLORS);
        } else {
            PackedDib *rows = ComposeInterlaceScaled(d.settings, l, r, m[0], m[1], m[2], m[3], v.pic[0].h & ~1);
            if (rows) {
                DrawFrom(d, left->hDrawDib, rows, 0, 0, DibWidth(rows), DibHeight(rows), v.pic[0], false, false);
                FreeDib(rows);
            }
        }
        break;
    case 7:
        DrawFrom(d, left->hDrawDib, c, 0, 0, g.w, g.h, v.pic[0], false, false);
        DrawFrom(d, left->hDrawDib, c, g.w, 0, g.w, g.h, v.panel2, false, false);
        break;
    default:
        if (v.zoom == 100)
            SetDIBitsToDevice(d.dc, v.pic[0].x, v.pic[0].y, (DWORD)g.w, (DWORD)g.h, 0, 0, 0, (UINT)g.h,
                              FindDibBits(c), (const BITMAPINFO *)c, DIB_RGB_COLORS);
        else
            DrawFrom(d, left->hDrawDib, c, 0, 0, g.w, g.h, v.pic[0], false, false);
        break;
    }
    if (v.framed && g_bResizedForView) {
        HBRUSH frame = CreateSolidBrush(g_dwWCOL);
        for (int k = 0; k < v.images; k++)
            DrawFrameAround(d.dc, v.pic[k], frame);
        DeleteObject(frame);
        g_bResizedForView = 0;
    }
}

void DrawOneEye(PlayDraw &d, MovieSource *eye, bool isLeft)
{
    PackedDib *f = eye->pCurrent;
    Region g = RegionOf(isLeft ? f : g_pLeft->pCurrent, isLeft ? g_pRight->pCurrent : f, d.m);
    if (g.w <= 0 || g.h <= 0)
        return;
    ViewLayout v = Layout(g_nDisplayMode, isLeft ? 1 : 2, g.w, g.h);
    if (!v.images)
        return;
    ClearIfResized(d.dc);
    SetStretchBltMode(d.dc, COLORONCOLOR);
    DrawFrom(d, eye->hDrawDib, f, isLeft ? g.lx : g.rx, isLeft ? g.lTop : g.rTop, g.w, g.h, v.pic[0], false, false);
}

void PlayTitle(MovieSource *left, MovieSource *right, int f0, int k, int w, int h, int delay)
{
    char label[64], title[1400];
    lstrcpynA(label, LoadStr(g_bSwapped == 1 ? IDS_LABEL_CROSS : IDS_LABEL_PARALLEL), sizeof label);
    int n;
    if (g_nPlayEye == 1 || g_nPlayEye == 2) {
        MovieSource *eye = g_nPlayEye == 1 ? left : right;
        n = snprintf(title, sizeof title, LoadStr(g_nPlayEye == 1 ? IDS_LEFT_LINE : IDS_RIGHT_LINE), eye->szName,
                     eye->nStart, eye->nStart + g_nFrame, eye->nStart + g_nFrameCount - 1, w, h);
    } else {
        n = snprintf(title, sizeof title, LoadStr(IDS_PLAY_PAIR_LINE), left->szName, left->nStart,
                     left->nStart + f0 + k, left->nStart + g_nFrameCount - 1, right->szName, right->nStart,
                     right->nStart + f0 + k, right->nStart + g_nFrameCount - 1, w, h, label, delay);
    }
    if (n >= 0 && (size_t)n < sizeof title && g_nAutoColour >= 0 && g_nAutoColour < 3)
        lstrcpynA(title + n, g_szAutoColourLabel[g_nAutoColour], (int)(sizeof title - n));
    SetWindowTextA(g_hwndMain, title);
}

// Every waiting message, the main window's accelerators first. False when
// the program is ending (the quit message is put back for the main loop).
bool PumpPlayMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            return false;
        }
        if (!g_hAccel || !g_hwndMain || !TranslateAcceleratorA(g_hwndMain, g_hAccel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

}  // namespace

int PlayPair(StereoPair *pair)
{
    MovieSource *left = pair->pLeft, *right = pair->pRight;
    g_nBusy = kBusyPlaying;
    g_bCancel = 0;
    g_bResizedForLoops = 0;
    g_bResizedForView = 1;
    g_uTimerId = 0;
    int shownMode = g_nDisplayMode;

    MovieSource *timing = SoundFromRightRecord(g_nSoundlr, g_bSwapped) ? right : left;

    // Room for the largest region of every mode (iZ3D doubles the width).
    FreeComposedFrame();
    g_pComposed = CreateDib(2 * left->nWidth, 2 * left->nHeight, 24, 0);

    TIMECAPS caps;
    if (!g_pComposed || timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) {
        g_nBusy = 0;
        g_bCancel = 0;
        return 1;
    }

    g_nFrameCount = PairFrameCount(left, right, g_nEndOffset);
    int f0 = FirstPlayFrame(g_nFrame, g_nFrameCount);

    bool sound = g_bSound1 == 1 && (timing->pAudio || timing->pWaveHeader);
    bool waveOut = false;
    ChunkSound chunks;
    PluginSound plugin;
    if (sound && timing->nKind == kSourceAviFile && timing->pAudio && timing->nRate) {
        LONG ms = (LONG)((int64_t)(f0 + timing->nStart) * timing->nScale * 1000 / timing->nRate);
        PAVISTREAM audio = (PAVISTREAM)timing->pAudio;
        LONG first = StreamTimeToSample(audio, ms);
        waveOut = StartWaveAudio(g_hwndMain, audio, first, AVIStreamStart(audio) + AVIStreamLength(audio), 0) != 0;
    } else if (sound && timing->nKind == kSourceOwnReader) {
        StartChunkSound(chunks, timing, f0);
    } else if (sound && timing->nKind == kSourcePlugin) {
        StartPluginSound(plugin, timing, timing == left ? right : left, f0, g_nFrameCount);
    }

    unsigned period = PlayTimerPeriod(caps.wPeriodMin, caps.wPeriodMax, timing->nMsPerFrame);
    g_uTimerPeriod = period;
    timeBeginPeriod(period);
    g_nTimerTicks = 0;
    g_nPlayDrops = 0;
    g_uTimerId = timeSetEvent(period, period, PlaybackTimerProc, 0, TIME_PERIODIC);
    unsigned rate = timing->nRate, scale = timing->nScale;

    int result = 0;
    bool firstDraw = true;
    for (int k = 0; k < g_nFrameCount - f0;) {
        // An exchange during playback shows at the next frame.
        left = pair->pLeft;
        right = pair->pRight;
        if (g_nDisplayMode != shownMode) {
            if (g_hwndView)
                InvalidateRect(g_hwndView, nullptr, TRUE);
            shownMode = g_nDisplayMode;
        }
        g_nFrameCount = PairFrameCount(left, right, g_nEndOffset);
        g_nFrame = f0 + k;
        MovePositionThumb();
        g_nAdjustFrameNo = g_nFrame + left->nStart;
        if (GetStereoFramePair(left, g_nFrame + left->nStart, right, g_nFrame + right->nStart) == 0 &&
            g_bAdjustActive)
            ApplyFrameAdjustments(g_hwndMain, left, right, 0);

        if (left->pCurrent && right->pCurrent) {
            PlayDraw d;
            ShiftToCropMargins(d.m, DibWidth(left->pCurrent), DibHeight(left->pCurrent), g_nShiftX, g_nShiftY, g_bAllFrameAdjust);
            d.settings = ComposeSettingsFromState();
            if (g_bBlurFrame == 1)
                ApplySoftBorder(d.settings, left->pCurrent, right->pCurrent, d.m[0], d.m[1], d.m[2], d.m[3], 0);
            if (g_nAutoColour != 0)
                MatchColours(left->pCurrent, right->pCurrent);
            if (g_nTrimState != kTrimApplied)
                SetRect(&g_rcTrim, 0, 0, DibWidth(left->pCurrent) - d.m[0] - d.m[2],
                        DibHeight(left->pCurrent) - d.m[1] - d.m[3]);
            int w = g_rcTrim.right - g_rcTrim.left, h = g_rcTrim.bottom - g_rcTrim.top;
            int due = DueFrame(rate, scale, (uint32_t)g_nTimerTicks, period);
            PlayTitle(left, right, f0, k, w, h, PlayDelay(due, k, g_nFrameCount - f0 - 1));
            if (g_hwndView && IsWindow(g_hwndView)) {
                d.dc = GetDC(g_hwndView);
                d.first = firstDraw;
                if (g_nPlayEye == 1 || g_nPlayEye == 2)
                    DrawOneEye(d, g_nPlayEye == 1 ? left : right, g_nPlayEye == 1);
                else
                    DrawPair(d, left, right);
                if (g_bFullScreen == 1 && g_bHelpOverlay == 1)
                    DrawHelpOverlay(d.dc);
                ReleaseDC(g_hwndView, d.dc);
                firstDraw = false;
            }
        }
        if (g_pfnPlayFrameHook)
            g_pfnPlayFrameHook(g_nFrame);

        // Pacing: wait for the next frame's time; more than two frames
        // behind, skip one.
        unsigned wait = PacingSleep(k, rate, scale, (uint32_t)g_nTimerTicks, period);
        if (wait)
            Sleep(wait);
        int due = DueFrame(rate, scale, (uint32_t)g_nTimerTicks, period);
        if (SkipNextFrame(due, k, g_nFrameCount)) {
            k++;
            g_nPlayDrops++;
        }

        if (waveOut) {
            if (g_nFrameCount - f0 < due)
                StopWaveAudio();
            MSG done;
            if (PeekMessageA(&done, g_hwndMain, MM_WOM_DONE, MM_WOM_DONE, PM_REMOVE))
                OnWaveOutDone(g_hwndMain, done.message, done.wParam, done.lParam);
        } else if (chunks.block) {
            KeepChunkSound(chunks, (double)(uint32_t)g_nTimerTicks * period);
        } else if (plugin.block) {
            KeepPluginSound(plugin, f0 + due, g_nFrameCount);
        }

        if (!PumpPlayMessages())
            g_bCancel = 1;
        if (g_bCancel) {
            result = 1;
            break;
        }
        k++;
    }

    if (g_hwndPosBar)
        SendMessageA(g_hwndPosBar, WM_COMMAND, IDC_POS_RESET, 0);
    if (g_uTimerId)
        timeKillEvent(g_uTimerId);
    g_uTimerId = 0;
    timeEndPeriod(period);
    g_nBusy = 0;
    g_bCancel = 0;
    EndChunkSound(chunks);
    EndPluginSound(plugin);
    if (waveOut)
        StopWaveAudio();
    return result;
}
