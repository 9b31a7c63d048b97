// Copies of a frame range without recompression: one movie (video and its
// sound), or the pair's two video streams with the left movie's sound in
// one file, written by AVISaveV with a progress callback.
#include "pipeline/save_movie.h"

#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "sources/movie_source.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>

#include <vector>

namespace {

// The streams handed to AVISaveV, with what they hold.
struct CopyStreams {
    int count = 0;
    PAVISTREAM streams[3] = {};
    PAVISTREAM editable[3] = {};
    AVICOMPRESSOPTIONS options[3] = {};
    std::vector<BYTE> formats[3];

    ~CopyStreams()
    {
        for (int k = 0; k < count; k++) {
            if (streams[k])
                AVIStreamRelease(streams[k]);
            if (editable[k])
                AVIStreamRelease(editable[k]);
        }
    }
};

// Frames start .. start + frames - 1 of a video stream, copied as they are.
bool AddVideoRange(CopyStreams *c, PAVISTREAM video, LONG start, LONG frames)
{
    AVISTREAMINFOA info;
    if (!video || AVIStreamInfoA(video, &info, sizeof info) != 0)
        return false;
    int k = c->count;
    AVICOMPRESSOPTIONS &o = c->options[k];
    o.fccType = info.fccType;
    o.fccHandler = 0;
    o.dwKeyFrameEvery = (DWORD)-1;
    o.dwQuality = (DWORD)-1;
    o.dwBytesPerSecond = 0;
    o.dwFlags = AVICOMPRESSF_DATARATE | AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
    o.dwInterleaveEvery = 1;
    if (CopyStreamRange(video, start, frames, &c->editable[k], &c->streams[k]) != 0)
        return false;
    c->count++;
    return true;
}

// The sound of the same frames (through the times of the video stream).
bool AddSoundRange(CopyStreams *c, PAVISTREAM sound, PAVISTREAM video, LONG start, LONG frames)
{
    AVISTREAMINFOA info;
    LONG first = AVIStreamStart(sound), size = 0;
    if (AVIStreamInfoA(sound, &info, sizeof info) != 0 || AVIStreamReadFormat(sound, first, nullptr, &size) != 0 ||
        size <= 0 || size > 0x10000)
        return false;
    int k = c->count;
    c->formats[k].assign((size_t)size, 0);
    if (AVIStreamReadFormat(sound, first, c->formats[k].data(), &size) != 0)
        return false;
    AVICOMPRESSOPTIONS &o = c->options[k];
    o.fccType = streamtypeAUDIO;
    o.dwFlags = AVICOMPRESSF_VALID;
    o.dwInterleaveEvery = 1;
    o.lpFormat = c->formats[k].data();
    o.cbFormat = (DWORD)size;
    LONG s0 = StreamTimeToSample(sound, AVIStreamSampleToTime(video, start));
    LONG s1 = StreamTimeToSample(sound, AVIStreamSampleToTime(video, start + frames));
    if (s1 <= s0 || CopyStreamRange(sound, s0, s1 - s0, &c->editable[k], &c->streams[k]) != 0)
        return false;
    c->count++;
    return true;
}

// The copy of the streams into path. A copy that failed, or wrote fewer
// frames than asked, is reported and removed; a cancelled one is removed.
// 1 when the file holds the copy.
int SaveCopy(HWND window, const char *path, CopyStreams *c, LONG frames, bool prepared)
{
    HRESULT hr = AVIERR_ERROR;
    if (prepared) {
        AVICOMPRESSOPTIONS *options[3] = {&c->options[0], &c->options[1], &c->options[2]};
        hr = AVISaveVA(path, nullptr, SaveProgressProc, c->count, c->streams, options);
        // The formats are the copies' own, freed with them.
        for (AVICOMPRESSOPTIONS *o : options) {
            o->lpFormat = nullptr;
            o->cbFormat = 0;
        }
        AVISaveOptionsFree(c->count, options);
    }
    bool cancelled = hr == AVIERR_USERABORT;
    bool complete = false;
    if (SUCCEEDED(hr)) {
        RepairAviHeaders(path);
        // What was written, read back: every frame asked for.
        PAVISTREAM check = nullptr;
        if (AVIStreamOpenFromFileA(&check, path, streamtypeVIDEO, 0, OF_READ | OF_SHARE_DENY_NONE, nullptr) == 0) {
            complete = AVIStreamLength(check) >= frames;
            AVIStreamRelease(check);
        }
    }
    if (complete)
        return 1;
    DeleteFileA(path);
    if (!cancelled)
        AppMessageBox(g_hwndMain, LoadStr(IDS_COPY_FAILED), path, MB_OK | MB_ICONWARNING);
    return 0;
}

}  // namespace

bool PumpSaveMessages()
{
    bool cancel = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            return true;
        }
        if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) ||
            (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE))
            cancel = true;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return cancel;
}

BOOL CALLBACK SaveProgressProc(int percent)
{
    char title[256];
    snprintf(title, sizeof title, LoadStr(IDS_SAVE_PERCENT), percent);
    SetWindowTextA(g_hwndMain, title);
    return PumpSaveMessages() ? TRUE : FALSE;
}

int SaveTrimmedMovie(HWND window, MovieSource *m, const char *path, int frames)
{
    CopyStreams c;
    PAVISTREAM video = (PAVISTREAM)m->pVideo;
    bool prepared = frames > 0 && AddVideoRange(&c, video, m->nStart, frames);
    if (prepared && m->pAudio)
        prepared = AddSoundRange(&c, (PAVISTREAM)m->pAudio, video, m->nStart, frames);
    return SaveCopy(window, path, &c, frames, prepared);
}

int SaveTrimmedPair(HWND window, MovieSource *left, MovieSource *right, const char *path, int frames)
{
    CopyStreams c;
    PAVISTREAM video = (PAVISTREAM)left->pVideo;
    bool prepared = frames > 0 && AddVideoRange(&c, video, left->nStart, frames);
    if (prepared && left->pAudio)
        prepared = AddSoundRange(&c, (PAVISTREAM)left->pAudio, video, left->nStart, frames);
    if (prepared)
        prepared = AddVideoRange(&c, (PAVISTREAM)right->pVideo, left->nStart, frames);
    return SaveCopy(window, path, &c, frames, prepared);
}
