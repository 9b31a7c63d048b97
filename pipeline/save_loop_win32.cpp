#include "pipeline/save_loop.h"

#include "alignment/colour_match.h"
#include "alignment/frame_adjustment.h"
#include "pipeline/compose_gdi.h"
#include "pipeline/compose_settings.h"
#include "pipeline/save_movie.h"
#include "pipeline/wave_image.h"
#include "resources/resource_ids.h"
#include "shared/dib_gdi.h"
#include "shared/file_at.h"
#include "shared/global_memory.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "sources/plugin_audio.h"
#include "sources/plugin_source.h"
#include "sources/stereo_pair.h"
#include "state/alignment_state.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>

#include <vector>

namespace {

// An eye frame that is the decoder's own picture (handed out again when
// the same frame is fetched once more, as a dropped frame is) is copied
// before the save changes it in place.
void MakePrivate(MovieSource *m)
{
    if (m->pCurrent && m->pCurrent == m->pDecoded && m->pFrame24 && ConvertFrameTo24(m->pFrame24, m->pCurrent))
        m->pCurrent = m->pFrame24;
}

PackedDib *RunComposer(const ComposeSettings &cs, PackedDib *out, PackedDib *l, PackedDib *r, const int *m, int layout,
                       int eyeW, int eyeH, int scale)
{
    switch (layout) {
    case kSaveSideBySide:
        return ComposeSideBySide(cs, g_hwndMain, out, l, r, m[0], m[1], m[2], m[3], eyeW, eyeH, scale);
    case kSaveOverUnder:
        return ComposeOverUnder(cs, g_hwndMain, out, l, r, m[0], m[1], m[2], m[3], eyeW, eyeH, scale);
    case kSaveGreyAnaglyph: return ComposeGreyAnaglyph(cs, out, l, r, m[0], m[1], m[2], m[3]);
    case kSaveColourAnaglyph: return ComposeColourAnaglyph(cs, out, l, r, m[0], m[1], m[2], m[3]);
    case kSaveInterlace: return ComposeInterlace(cs, out, l, r, m[0], m[1], m[2], m[3]);
    case kSaveChromaKey: return ComposeChromaKey(cs, out, l, r, m[0], m[1], m[2], m[3]);
    case kSaveColumnInterlace: return ComposeColumnInterlace(cs, out, l, r, m[0], m[1], m[2], m[3]);
    case kSaveRegionSideBySide: {
        // The sub-rectangle of the region, as wide and high as each half of
        // the output, taken through the trimming the composer applies.
        int w = DibWidth(out) / 2, h = DibHeight(out);
        RECT r2 = {g_rcTrim.left + g_rcSaveRegion.left, g_rcTrim.top + g_rcSaveRegion.top, 0, 0};
        if (r2.left + w > g_rcTrim.right)
            r2.left = g_rcTrim.right - w;
        if (r2.top + h > g_rcTrim.bottom)
            r2.top = g_rcTrim.bottom - h;
        r2.right = r2.left + w;
        r2.bottom = r2.top + h;
        ComposeSettings sub = cs;
        sub.trimmed = true;
        sub.trim = r2;
        return ComposeSideBySide(sub, g_hwndMain, out, l, r, m[0], m[1], m[2], m[3], eyeW, eyeH, scale);
    }
    default: return nullptr;
    }
}

// One eye at the custom size for the resized road.
PackedDib *EyeAtSaveSize(HWND window, PackedDib *eye, const int *m, int flag, int layout, bool aspect)
{
    int sw = g_nSaveWidth, sh = g_nSaveHeight;
    if (!g_bSmartSize || DibBitCount(eye) < 24)
        return StretchDibToNew24Region(window, eye, sw, sh, m, AppliedTrim(), flag);
    if (!aspect || !g_bKeepAspect)
        return ResizeFrameForSave(window, eye, sw, sh, m, AppliedTrim(), flag);
    int w = g_rcTrim.right - g_rcTrim.left, h = g_rcTrim.bottom - g_rcTrim.top;
    if (g_bHalfSize && (layout == kSaveSideBySide || layout == kSaveRegionSideBySide))
        w /= 2;
    if (g_bHalfSize && layout == kSaveOverUnder)
        h /= 2;
    SaveSize fit = FitAspect(w, h, sw, sh);
    PackedDib *image = ResizeFrameForSave(window, eye, fit.width, fit.height, m, AppliedTrim(), flag);
    return image ? CentreDibOnCanvas(window, image, sw, sh) : nullptr;
}

// The sound stream's facts and format, for the output's sound stream.
bool SoundFacts(const MovieSource *m, AVISTREAMINFOA *info, std::vector<BYTE> *format, int *errorId)
{
    memset(info, 0, sizeof *info);
    if (m->pAudio) {
        PAVISTREAM s = (PAVISTREAM)m->pAudio;
        if (AVIStreamInfoA(s, info, sizeof *info) != 0) {
            *errorId = IDS_NO_AUDIO_INFO;
            return false;
        }
        LONG size = 0, start = AVIStreamStart(s);
        if (AVIStreamReadFormat(s, start, nullptr, &size) != 0 || size <= 0 || size > 0x10000) {
            *errorId = IDS_NO_AUDIO_INFO;
            return false;
        }
        format->assign((size_t)size, 0);
        if (AVIStreamReadFormat(s, start, format->data(), &size) != 0) {
            *errorId = IDS_NO_AUDIO_INFO;
            return false;
        }
    } else {
        // Sound the own reader found where AVIFile was not asked: its
        // format is the in-memory WAVE header's.
        info->fccType = streamtypeAUDIO;
        info->dwScale = m->nAudioScale;
        info->dwRate = m->nAudioRate;
        info->dwSampleSize = (DWORD)m->nBlockAlign;
        format->assign(m->pWaveHeader + 20, m->pWaveHeader + 36);
    }
    if (m->nKind == kSourcePlugin) {
        info->dwScale = m->nAudioScale;
        info->dwRate = m->nAudioRate;
        WAVEFORMATEX pcm = {};
        if (format->size() >= 16)
            memcpy(&pcm, format->data(), 16);
        pcm.wFormatTag = WAVE_FORMAT_PCM;
        pcm.nChannels = (WORD)m->nChannels;
        pcm.nSamplesPerSec = m->nAudioScale ? m->nAudioRate / m->nAudioScale : 0;
        pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * (DWORD)m->nBlockAlign;
        pcm.nBlockAlign = (WORD)m->nBlockAlign;
        pcm.cbSize = 0;
        format->assign((BYTE *)&pcm, (BYTE *)&pcm + (format->size() >= sizeof pcm ? sizeof pcm : 16));
    }
    return true;
}

void WriteToAll(PAVISTREAM *streams, int n, LONG position, const BYTE *data, LONG bytes, int blockAlign)
{
    for (int k = 0; k < n; k++)
        if (streams[k])
            WriteSoundBlocks(streams[k], position, bytes / blockAlign, data, bytes, nullptr, nullptr);
}

// Kind 1: the byte range of the frames' sound read chunk by chunk through
// the own reader's sound index; pieces are written in whole blocks.
void WriteOwnReaderSound(HWND window, MovieSource *m, LONG s0, LONG s1, PAVISTREAM *streams, int n)
{
    int block = m->nBlockAlign;
    int64_t from = (int64_t)s0 * block, to = (int64_t)s1 * block;
    int room = (m->nAudioPerFrame > m->nMaxAudioChunk ? m->nAudioPerFrame : m->nMaxAudioChunk) + 1000 + block;
    std::vector<BYTE> buffer((size_t)room);
    HANDLE file = (HANDLE)(INT_PTR)m->hFile;
    int64_t at = 0;
    int carried = 0, pieces = 0;
    LONG position = 0;
    for (int c = 0; c < m->nAudioChunks && at < to; c++) {
        const AviChunkEntry &e = m->pAudioIndex[c];
        int64_t end = at + e.size;
        if (end > from && e.size > 0) {
            int64_t first = (from > at ? from : at) - at, last = (to < end ? to : end) - at;
            DWORD want = (DWORD)(last - first);
            if (want + carried > buffer.size())
                buffer.resize(want + carried);
            if (!ReadFileAt(file, e.Offset() + first, buffer.data() + carried, want))
                break;
            char title[256];
            snprintf(title, sizeof title, LoadStr(IDS_AUDIO_COPY_CHUNKS), ++pieces);
            SetWindowTextA(window, title);
            int bytes = carried + (int)want, whole = bytes - bytes % block;
            if (whole > 0) {
                WriteToAll(streams, n, position, buffer.data(), whole, block);
                position += whole / block;
            }
            carried = bytes - whole;
            memmove(buffer.data(), buffer.data() + whole, (size_t)carried);
        }
        at = end;
    }
}

// Kind 2: frame by frame through the plug-in, with the partner's sound in
// the right channel when the stereo-from-pair option asks for it.
void WritePluginSound(MovieSource *m, MovieSource *other, int frames, PAVISTREAM *streams, int n)
{
    int block = m->nBlockAlign;
    size_t room = (size_t)AudioSamplesInFrame(m, 0) * block + 1000;
    std::vector<BYTE> buffer(room), partner;
    bool pairSound = block == 4 && g_bStereoSound == 1 && other && other->nKind == kSourcePlugin;
    if (pairSound)
        partner.resize((size_t)AudioSamplesInFrame(other, 0) * 4 + 1000);
    LONG position = 0;
    for (int k = 0; k < frames; k++) {
        int f = m->nStart + k;
        int count = AudioSamplesInFrame(m, f);
        if ((size_t)count * block > buffer.size())
            buffer.resize((size_t)count * block);
        ReadPluginAudio(m, buffer.data(), count, AudioSampleAtFrame(m, f));
        if (pairSound) {
            int g = other->nStart + k, c2 = AudioSamplesInFrame(other, g);
            if ((size_t)c2 * 4 > partner.size())
                partner.resize((size_t)c2 * 4);
            ReadPluginAudio(other, partner.data(), c2, AudioSampleAtFrame(other, g));
            TakePartnerChannel(buffer.data(), partner.data(), count < c2 ? count : c2);
        }
        WriteToAll(streams, n, position, buffer.data(), count * block, block);
        position += count;
    }
}

}  // namespace

bool HasSaveSound(const MovieSource *m)
{
    if (!m || !m->bOpen)
        return false;
    if (m->pAudio)
        return m->nBlockAlign > 0 || m->nKind == kSourceAviFile;
    return m->nKind == kSourceOwnReader && m->pAudioIndex && m->nAudioChunks > 0 && m->pWaveHeader &&
           m->nBlockAlign > 0;
}

LONG SoundSampleAtFrame(const MovieSource *m, int f)
{
    if (m->nKind != kSourcePlugin && m->pVideo && m->pAudio)
        return StreamTimeToSample((PAVISTREAM)m->pAudio, AVIStreamSampleToTime((PAVISTREAM)m->pVideo, f));
    return AudioSampleAtFrame(m, f);
}

void ShowSaveProgress(HWND window, int stringId, const MovieSource *left, const MovieSource *right, int i, int count,
                      const char *outputName, uint32_t bytes)
{
    char title[1200];
    int n = snprintf(title, sizeof title, LoadStr(stringId), left->szName, left->nStart, left->nStart + i,
                     left->nStart + count - 1, right->szName, right->nStart, right->nStart + i,
                     right->nStart + count - 1, outputName, (int)(bytes / 1000));
    if (n >= 0 && (size_t)n < sizeof title && g_nAutoColour >= 0 && g_nAutoColour < 3)
        lstrcpynA(title + n, g_szAutoColourLabel[g_nAutoColour], (int)(sizeof title - n));
    SetWindowTextA(window, title);
    if (g_hPosScroll) {
        SetScrollPos(g_hPosScroll, SB_CTL, i / (g_nPosScale > 0 ? g_nPosScale : 1), FALSE);
        InvalidateRect(g_hPosScroll, nullptr, TRUE);
        UpdateWindow(g_hPosScroll);
    }
}

int FetchSaveFrame(HWND window, MovieSource *left, MovieSource *right, int i)
{
    g_nAdjustFrameNo = left->nStart + i;
    if (GetStereoFramePair(left, left->nStart + i, right, right->nStart + i) != 0)
        return 1;
    if (g_bAdjustActive)
        ApplyFrameAdjustments(window, left, right, 0);
    return 0;
}

bool ComposeSaveFrame(HWND window, PackedDib *out, MovieSource *left, MovieSource *right, int layout, bool aspect)
{
    if (!left->pCurrent || !right->pCurrent)
        return false;
    if (g_bBlurFrame == 1 || g_nAutoColour != 0) {
        MakePrivate(left);
        MakePrivate(right);
    }
    PackedDib *l = left->pCurrent, *r = right->pCurrent;
    int m[4];
    ShiftToCropMargins(m, left->nWidth, left->nHeight, g_nShiftX, g_nShiftY, g_bAllFrameAdjust);
    const ComposeSettings cs = ComposeSettingsFromState();
    if (g_bBlurFrame == 1)
        ApplySoftBorder(cs, l, r, m[0], m[1], m[2], m[3], 0);
    if (g_nAutoColour != 0)
        MatchColours(l, r);
    bool resized = g_bSaveResize && (layout >= kSaveGreyAnaglyph || g_bSmartSize);
    if (!resized)
        return RunComposer(cs, out, l, r, m, layout, g_nSaveWidth, g_nSaveHeight, g_bSaveResize) != nullptr;
    PackedDib *eyeL = EyeAtSaveSize(window, l, m, 0, layout, aspect);
    PackedDib *eyeR = EyeAtSaveSize(window, r, m, 1, layout, aspect);
    bool done = false;
    if (eyeL && eyeR) {
        // The resized eyes are the region already.
        ComposeSettings whole = cs;
        whole.trimmed = false;
        const int zero[4] = {0, 0, 0, 0};
        done = RunComposer(whole, out, eyeL, eyeR, zero, layout, g_nSaveWidth, g_nSaveHeight, 0) != nullptr;
    }
    FreeDib(eyeL);
    FreeDib(eyeR);
    return done;
}

void DrawSavePreview(PackedDib *frame, int layout, SaveSize preview, bool first, void *drawDib)
{
    if (!g_hwndView)
        return;
    if (g_bResizedForLoops) {
        g_bResizedForLoops = 0;
        ClearWindowBlack(g_hwndView);
    }
    HDC dc = GetDC(g_hwndView);
    int w = DibWidth(frame), h = DibHeight(frame);
    if ((layout == kSaveSideBySide || layout == kSaveOverUnder) && drawDib)
        DrawDibDraw((HDRAWDIB)drawDib, dc, 0, 0, preview.width, preview.height, frame, FindDibBits(frame), 0, 0, w,
                    h, first ? 0 : DDF_BACKGROUNDPAL);
    else
        SetDIBitsToDevice(dc, 0, 0, (DWORD)w, (DWORD)h, 0, 0, 0, (UINT)h, FindDibBits(frame), (BITMAPINFO *)frame,
                          DIB_RGB_COLORS);
    ReleaseDC(g_hwndView, dc);
}

int EndSave(HWND window, StereoPair *pair, bool split, int done, bool sayDone)
{
    g_nBusy = kBusyIdle;
    g_bCancel = 0;
    g_bFrameLogWrite = 0;
    if (split) {
        pair->pLeft->nStart += done;
        pair->pRight->nStart += done;
        return kSaveSplit;
    }
    if (sayDone) {
        char title[600];
        snprintf(title, sizeof title, LoadStr(IDS_SAVE_DONE), pair->szName);
        SetWindowTextA(window, title);
    }
    return 0;
}

bool PumpSaveLoopMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program is ending: the quit goes back to the main loop.
            PostQuitMessage((int)msg.wParam);
            g_bCancel = 1;
            break;
        }
        if (!g_hAccel || !TranslateAcceleratorA(g_hwndMain, g_hAccel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return g_bCancel != 0;
}

SaveSound FindSaveSound(StereoPair *pair)
{
    SaveSound s = {};
    s.record = SaveSoundRecord(pair, &s.other);
    return s;
}

SaveSound BeginSaveSound(StereoPair *pair)
{
    SaveSound s = FindSaveSound(pair);
    MovieSource *m = s.record;
    if (!HasSaveSound(m))
        return s;
    if (m->nKind == kSourcePlugin) {
        s.bytesPerFrame = (uint32_t)(m->nBlockAlign * m->nAudioPerFrame);
        ReopenPluginFile(m);
        if (s.other && s.other->nKind == kSourcePlugin)
            ReopenPluginFile(s.other);
    } else {
        LONG samples = SoundSampleAtFrame(m, m->nStart + 1) - SoundSampleAtFrame(m, m->nStart);
        s.bytesPerFrame = samples > 0 ? (uint32_t)samples * (uint32_t)m->nBlockAlign : 0;
    }
    return s;
}

bool CreateSoundStream(PAVIFILE file, const SaveSound &sound, PAVISTREAM *stream, int *errorId)
{
    *stream = nullptr;
    MovieSource *m = sound.record;
    if (!HasSaveSound(m))
        return true;
    if (m->nKind == kSourceAviFile && !AviStreamsMustPrecedeData())
        return true;
    AVISTREAMINFOA info;
    std::vector<BYTE> format;
    if (!SoundFacts(m, &info, &format, errorId))
        return false;
    lstrcpynA(info.szName, LoadStr(IDS_AUDIO_STREAM_NAME), sizeof info.szName);
    info.dwStart = 0;
    info.dwLength = 0;
    info.dwInitialFrames = 0;
    if (AVIFileCreateStreamA(file, stream, &info) != 0) {
        *stream = nullptr;
        *errorId = IDS_NO_AUDIO_STREAM;
        return false;
    }
    if (AVIStreamSetFormat(*stream, 0, format.data(), (LONG)format.size()) != 0) {
        AVIStreamRelease(*stream);
        *stream = nullptr;
        *errorId = IDS_NO_AUDIO_FORMAT;
        return false;
    }
    return true;
}

void WriteSaveSound(HWND window, const SaveSound &sound, int frames, PAVIFILE *files, PAVISTREAM *streams, int n)
{
    MovieSource *m = sound.record;
    if (!HasSaveSound(m) || frames <= 0)
        return;
    if (m->nKind == kSourcePlugin) {
        WritePluginSound(m, sound.other, frames, streams, n);
        return;
    }
    LONG s0 = SoundSampleAtFrame(m, m->nStart), s1 = SoundSampleAtFrame(m, m->nStart + frames);
    if (s1 <= s0)
        return;
    if (m->nKind == kSourceOwnReader) {
        WriteOwnReaderSound(window, m, s0, s1, streams, n);
        return;
    }
    PAVISTREAM editable = nullptr, copy = nullptr;
    if (CopyStreamRange((PAVISTREAM)m->pAudio, s0, s1 - s0, &editable, &copy) != 0)
        return;
    for (int k = 0; k < n; k++)
        CopyAudioStream(window, (IAVIFile *)files[k], copy, streams[k]);
    AVIStreamRelease(copy);
    if (editable)
        AVIStreamRelease(editable);
}

bool LeftVideoInfo(const MovieSource *left, AVISTREAMINFOA *info)
{
    memset(info, 0, sizeof *info);
    if (left->pVideo) {
        if (AVIStreamInfoA((PAVISTREAM)left->pVideo, info, sizeof *info) != 0)
            return false;
    } else {
        // A file AVIFile could not be asked about: its facts as the opener
        // read them.
        if (!left->bOpen || left->nRate == 0 || left->nScale == 0)
            return false;
        info->fccType = streamtypeVIDEO;
        info->dwScale = left->nScale;
        info->dwRate = left->nRate;
    }
    if (left->nKind == kSourcePlugin) {
        info->dwScale = left->nScale;
        info->dwRate = left->nRate;
    }
    return true;
}

AVICOMPRESSOPTIONS SaveCompressOptions()
{
    AVICOMPRESSOPTIONS o = {};
    o.fccType = streamtypeVIDEO;
    o.fccHandler = g_compVars.fccHandler;
    o.dwKeyFrameEvery = (DWORD)g_compVars.lKey;
    o.dwQuality = (DWORD)g_compVars.lQ;
    o.dwBytesPerSecond = (DWORD)g_compVars.lDataRate;
    o.dwFlags = (g_compVars.lDataRate > 0 ? AVICOMPRESSF_DATARATE : 0) | (g_compVars.lKey > 0 ? AVICOMPRESSF_KEYFRAMES : 0);
    o.lpParms = g_compVars.lpState;
    o.cbParms = (DWORD)g_compVars.cbState;
    return o;
}
