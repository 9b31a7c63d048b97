// Saving the pair as one stereo AVI: the compressor choice, the output
// file and its streams, the save loop and the copy of a sound stream.
#include "pipeline/save_movie.h"

#include "alignment/frame_adjustment.h"
#include "pipeline/compose_settings.h"
#include "pipeline/pair_position.h"
#include "pipeline/save_loop.h"
#include "resources/resource_ids.h"
#include "shared/dib_gdi.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "sources/movie_open.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>

#include <vector>

COMPVARS g_compVars;
CompressorChooseHook g_pfnCompressorChooseHook = nullptr;

#ifndef _WIN64
static_assert(sizeof(COMPVARS) == 64, "the compressor choice's record");
#endif

namespace {

const DWORD kIavs = mmioFOURCC('i', 'a', 'v', 's');

int Fail(char *errorText, int id)
{
    lstrcpynA(errorText, LoadStr(id), kOpenErrorBytes);
    return 1;
}

// The output size for the pair as it stands: the trimming rectangle reset
// to the common region unless applied, then the layout's table.
SaveSize CurrentOutputSize(const MovieSource *left)
{
    ResetTrimToCommonRegion(left->nWidth, left->nHeight, g_nShiftX, g_nShiftY);
    return SaveOutputSize(g_nSaveLayout, g_rcTrim.right - g_rcTrim.left, g_rcTrim.bottom - g_rcTrim.top,
                          g_bSaveResize != 0, g_nSaveWidth, g_nSaveHeight, g_rcSaveRegion);
}

}  // namespace

int ChooseCompressor(char *errorText)
{
    memset(&g_compVars, 0, sizeof g_compVars);
    g_compVars.cbSize = sizeof g_compVars;
    g_compVars.dwFlags = ICMF_COMPVARS_VALID;
    g_compVars.fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
    g_compVars.lQ = ICQUALITY_DEFAULT;
    PackedDib *sample = CreateDib(640, 480, 24, 1);
    BOOL chosen;
    if (g_pfnCompressorChooseHook)
        chosen = g_pfnCompressorChooseHook(&g_compVars);
    else
        chosen = ICCompressorChoose(nullptr, ICMF_CHOOSE_KEYFRAME | ICMF_CHOOSE_DATARATE, sample, nullptr,
                                    &g_compVars, nullptr);
    FreeDib(sample);
    if (!chosen)
        return Fail(errorText, IDS_SAVE_CANCELLED);
    return 0;
}

int CreateSaveStreams(HWND window, const char *path, MovieSource *output, char *errorText, StereoPair *pair)
{
    errorText[0] = '\0';
    // A failure leaves the handles made so far to the caller's close of the
    // record, which does not free the output frame: it goes here.
    auto failed = [&](int id) {
        FreeDib(output->pCurrent);
        output->pCurrent = nullptr;
        return Fail(errorText, id);
    };
    const MovieSource *left = pair->pLeft;
    AVISTREAMINFOA info;
    if (!LeftVideoInfo(left, &info))
        return Fail(errorText, IDS_NO_LEFT_STREAM_INFO);
    SaveSize size = CurrentOutputSize(left);
    FreeDib(output->pCurrent);
    output->pCurrent = CreateDib(size.width, size.height, 24, 0);
    if (!output->pCurrent)
        return failed(IDS_NO_MEMORY);

    if (info.fccType == kIavs)
        info.fccType = streamtypeVIDEO;
    // The output's own stream: the source's timing, the output's frame.
    lstrcpynA(info.szName, LoadStr(IDS_VIDEO_STREAM_NAME), sizeof info.szName);
    info.dwStart = 0;
    info.dwLength = 0;
    info.dwInitialFrames = 0;
    info.dwSuggestedBufferSize = 0;
    SetRect(&info.rcFrame, 0, 0, size.width, size.height);
    AVICOMPRESSOPTIONS options = SaveCompressOptions();

    PAVIFILE file = nullptr;
    if (AVIFileOpenA(&file, path, OF_CREATE | OF_SHARE_DENY_NONE | OF_WRITE, nullptr) != 0)
        return failed(IDS_NO_SAVE_FILE);
    output->pAviFile = (IAVIFile *)file;
    PAVISTREAM video = nullptr, compressed = nullptr;
    if (AVIFileCreateStreamA(file, &video, &info) != 0)
        return failed(IDS_NO_SAVE_STREAM);
    output->pVideo = (IAVIStream *)video;
    if (AVIMakeCompressedStream(&compressed, video, &options, nullptr) != 0)
        return failed(IDS_NO_COMPRESSED_STREAM);
    output->pCompressed = (IAVIStream *)compressed;
    if (AVIStreamSetFormat(compressed, 0, output->pCurrent, (LONG)DibBitsOffset(output->pCurrent)) != 0)
        return failed(IDS_NO_SAVE_FORMAT);

    SaveSound sound = FindSaveSound(pair);
    PAVISTREAM audio = nullptr;
    int errorId = 0;
    if (!CreateSoundStream(file, sound, &audio, &errorId))
        return failed(errorId);
    output->pAudio = (IAVIStream *)audio;
    ClearWindowBlack(window);
    return 0;
}

int CopyAudioStream(HWND window, IAVIFile *file, IAVIStream *source, IAVIStream *target)
{
    PAVISTREAM src = (PAVISTREAM)source;
    LONG first = AVIStreamStart(src), last = first + AVIStreamLength(src) - 1;
    AVISTREAMINFOA info;
    if (AVIStreamInfoA(src, &info, sizeof info) != 0)
        return 0;
    lstrcpynA(info.szName, LoadStr(IDS_AUDIO_STREAM_NAME), sizeof info.szName);
    LONG formatBytes = 0;
    if (AVIStreamReadFormat(src, first, nullptr, &formatBytes) != 0 || formatBytes <= 0 || formatBytes > 0x10000)
        return 0;
    std::vector<BYTE> format((size_t)formatBytes);
    if (AVIStreamReadFormat(src, first, format.data(), &formatBytes) != 0)
        return 0;
    PAVISTREAM out = (PAVISTREAM)target;
    bool own = out == nullptr;
    if (own) {
        if (AVIFileCreateStreamA((PAVIFILE)file, &out, &info) != 0)
            return 0;
        if (AVIStreamSetFormat(out, 0, format.data(), formatBytes) != 0) {
            AVIStreamRelease(out);
            return 0;
        }
    }
    // Blocks of the size the stream finds convenient; where it names none
    // (Wine's streams say 0 bytes) 4,096 samples, sized by the format.
    WORD blockAlign = formatBytes >= 14 ? ((const WAVEFORMAT *)format.data())->nBlockAlign : 0;
    DWORD sampleBytes = info.dwSampleSize ? info.dwSampleSize : blockAlign;
    std::vector<BYTE> buffer;
    int ok = 1;
    for (LONG pos = first; pos <= last;) {
        if (last > first) {
            char title[256];
            snprintf(title, sizeof title, LoadStr(IDS_AUDIO_COPY_PERCENT), (int)((int64_t)(pos - first) * 100 / (last - first)));
            SetWindowTextA(window, title);
        }
        LONG bytes = 0, samples = 0;
        AVIStreamRead(src, pos, AVISTREAMREAD_CONVENIENT, nullptr, 0, &bytes, &samples);
        if (bytes <= 0 || samples <= 0)
            AVIStreamRead(src, pos, 4096, nullptr, 0, &bytes, &samples);
        if ((bytes <= 0 || samples <= 0) && sampleBytes > 0) {
            samples = last - pos + 1 < 4096 ? last - pos + 1 : 4096;
            bytes = samples * (LONG)sampleBytes;
        }
        if (bytes <= 0 || samples <= 0) {
            ok = 0;
            break;
        }
        if (buffer.size() < (size_t)bytes)
            buffer.resize((size_t)bytes);
        LONG got = 0, read = 0;
        if (AVIStreamRead(src, pos, samples, buffer.data(), bytes, &got, &read) != 0 || read <= 0 ||
            WriteSoundBlocks(out, pos, read, buffer.data(), got, nullptr, nullptr) != 0) {
            ok = 0;
            break;
        }
        pos += read;
    }
    if (own)
        AVIStreamRelease(out);
    return ok;
}

int SaveStereoMovie(HWND window, const char *path, StereoPair *pair)
{
    g_nBusy = kBusySaving;
    g_bCancel = 0;
    int split = 0, done = 0;
    MovieSource *left = pair->pLeft, *right = pair->pRight, *output = pair->pOutput;
    PackedDib *frame = output->pCurrent;
    AVISTREAMINFOA info;
    if (frame && LeftVideoInfo(left, &info)) {
        SaveSize size = CurrentOutputSize(left);
        RECT client = {0, 0, 0, 0};
        if (g_hwndView)
            GetClientRect(g_hwndView, &client);
        SaveSize preview = SavePreviewSize(g_nSaveLayout, client.right, client.bottom, size.width, size.height);
        SaveSound sound = BeginSaveSound(pair);
        int count = PairFrameCount(left, right, g_nEndOffset);
        g_nFrameCount = count;
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        if (g_bSavePreview)
            ClearWindowBlack(g_hwndView);
        char name[260];
        GetFileNameFromPath(name, path);
        uint32_t bytes = 0;
        for (int i = 0; i < count; i++) {
            ShowSaveProgress(window, IDS_SAVE_PROGRESS, left, right, i, count, name, bytes);
            if (FetchSaveFrame(window, left, right, i) != 0)
                break;
            done = i + 1;
            if (!ComposeSaveFrame(window, frame, left, right, g_nSaveLayout, true))
                continue;
            if (g_bSaveBorder)
                DrawSaveBorder(ComposeSettingsFromState(), frame, g_nSaveLayout);
            if (g_bSavePreview)
                DrawSavePreview(frame, g_nSaveLayout, preview, i == 0, left->hDrawDib);
            LONG written = 0;
            if (AVIStreamWrite((PAVISTREAM)output->pCompressed, i, 1, FindDibBits(frame), (LONG)frame->biSizeImage,
                               AVIIF_KEYFRAME, nullptr, &written) != 0) {
                done = i;
                AppMessageBox(g_hwndMain, LoadStr(IDS_SAVE_WRITE_FAILED), LoadStr(IDS_ERROR_CAPTION), MB_ICONWARNING);
                break;
            }
            bytes += (uint32_t)written + sound.bytesPerFrame;
            if (SaveLimitPassed(bytes)) {
                split = 1;
                break;
            }
            if (PumpSaveLoopMessages())
                break;
        }
        PAVIFILE files[1] = {(PAVIFILE)output->pAviFile};
        PAVISTREAM streams[1] = {(PAVISTREAM)output->pAudio};
        WriteSaveSound(window, sound, done, files, streams, 1);
    }
    if (!split)
        ICCompressorFree(&g_compVars);
    FreeDib(output->pCurrent);
    output->pCurrent = nullptr;
    bool wrote = output->pAviFile != nullptr;
    CloseMovieSource(output);
    if (wrote)
        RepairAviHeaders(path);
    return EndSave(window, pair, split != 0, done, true);
}
