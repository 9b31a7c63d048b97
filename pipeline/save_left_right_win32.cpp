// Saving the two eyes of the pair as two AVI files compressed with the
// chosen codec.
#include "pipeline/save_movie.h"

#include "alignment/frame_adjustment.h"
#include "pipeline/compose_gdi.h"
#include "pipeline/pair_position.h"
#include "pipeline/save_loop.h"
#include "resources/resource_ids.h"
#include "shared/dib_gdi.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "sources/stereo_layouts.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>

namespace {

// One output file: the file, its video stream, the compressed stream the
// frames go to and its sound stream.
struct EyeFile {
    const char *path;
    PAVIFILE file;
    PAVISTREAM video, compressed, audio;
    uint32_t bytes;
};

// Makes the file and its streams; 0, or the failure's string id.
int CreateEyeFile(EyeFile *e, AVISTREAMINFOA info, AVICOMPRESSOPTIONS options, const PackedDib *half,
                  const SaveSound &sound)
{
    if (AVIFileOpenA(&e->file, e->path, OF_CREATE | OF_SHARE_DENY_NONE | OF_WRITE, nullptr) != 0) {
        e->file = nullptr;
        return IDS_NO_SAVE_FILE;
    }
    if (AVIFileCreateStreamA(e->file, &e->video, &info) != 0) {
        e->video = nullptr;
        return IDS_NO_SAVE_STREAM;
    }
    if (AVIMakeCompressedStream(&e->compressed, e->video, &options, nullptr) != 0) {
        e->compressed = nullptr;
        return IDS_NO_COMPRESSED_STREAM;
    }
    if (AVIStreamSetFormat(e->compressed, 0, (LPVOID)half, (LONG)DibBitsOffset(half)) != 0)
        return IDS_NO_SAVE_FORMAT;
    int errorId = 0;
    if (!CreateSoundStream(e->file, sound, &e->audio, &errorId))
        return errorId;
    return 0;
}

// Releases the streams and the file (which AVIFile then writes out).
void CloseEyeFile(EyeFile *e)
{
    PAVISTREAM *streams[] = {&e->audio, &e->compressed, &e->video};
    for (PAVISTREAM *s : streams) {
        if (*s)
            AVIStreamRelease(*s);
        *s = nullptr;
    }
    if (e->file) {
        AVIFileRelease(e->file);
        e->file = nullptr;
        RepairAviHeaders(e->path);
    }
}

}  // namespace

int SaveLeftRightMovies(HWND window, StereoPair *pair, const char *leftPath, const char *rightPath)
{
    g_nBusy = kBusySaving;
    g_bCancel = 0;
    int split = 0, done = 0, failure = 0;
    const char *failedPath = leftPath;
    MovieSource *left = pair->pLeft, *right = pair->pRight;
    EyeFile files[2] = {{leftPath, nullptr, nullptr, nullptr, nullptr, 0}, {rightPath, nullptr, nullptr, nullptr, nullptr, 0}};
    PackedDib *composite = nullptr, *halves[2] = {nullptr, nullptr};
    AVISTREAMINFOA info;
    SaveSound sound = FindSaveSound(pair);

    if (!LeftVideoInfo(left, &info)) {
        failure = IDS_NO_LEFT_STREAM_INFO;
    } else {
        ResetTrimToCommonRegion(left->nWidth, left->nHeight, g_nShiftX, g_nShiftY);
        int w = g_bSaveResize ? g_nSaveWidth : g_rcTrim.right - g_rcTrim.left;
        int h = g_bSaveResize ? g_nSaveHeight : g_rcTrim.bottom - g_rcTrim.top;
        composite = CreateDib(2 * w, h, 24, 0);
        halves[0] = CreateDib(w, h, 24, 0);
        halves[1] = CreateDib(w, h, 24, 0);
        if (!composite || !halves[0] || !halves[1])
            failure = IDS_NO_MEMORY;
        if (info.fccType == mmioFOURCC('i', 'a', 'v', 's'))
            info.fccType = streamtypeVIDEO;
        lstrcpynA(info.szName, LoadStr(IDS_VIDEO_STREAM_NAME), sizeof info.szName);
        info.dwStart = info.dwLength = info.dwInitialFrames = info.dwSuggestedBufferSize = 0;
        SetRect(&info.rcFrame, 0, 0, w, h);
        AVICOMPRESSOPTIONS options = SaveCompressOptions();
        for (EyeFile &e : files) {
            if (failure)
                break;
            failure = CreateEyeFile(&e, info, options, halves[0], sound);
            failedPath = e.path;
        }
    }

    if (failure) {
        // Nothing was written: the files made so far are removed and the
        // reason shown, instead of a title that says the save is done.
        for (EyeFile &e : files) {
            bool made = e.file != nullptr;
            CloseEyeFile(&e);
            if (made)
                DeleteFileA(e.path);
        }
        AppMessageBox(g_hwndMain, LoadStr(failure), failedPath, MB_OK | MB_ICONWARNING);
    } else {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        int count = PairFrameCount(left, right, g_nEndOffset);
        g_nFrameCount = count;
        sound = BeginSaveSound(pair);
        int w = DibWidth(halves[0]), h = DibHeight(halves[0]);
        RECT client = {0, 0, 0, 0};
        if (g_hwndView)
            GetClientRect(g_hwndView, &client);
        SaveSize preview = {client.right, (int)((int64_t)client.right * h / (2 * w))};
        if (g_bSavePreview)
            ClearWindowBlack(g_hwndView);
        char name[540];
        snprintf(name, sizeof name, "%s/%s", left->szName, right->szName);
        for (int i = 0; i < count; i++) {
            uint32_t larger = files[0].bytes > files[1].bytes ? files[0].bytes : files[1].bytes;
            ShowSaveProgress(window, IDS_SAVE_LEFT_RIGHT_PROGRESS, left, right, i, count, name, larger);
            if (FetchSaveFrame(window, left, right, i) != 0)
                break;
            done = i + 1;
            if (!ComposeSaveFrame(window, composite, left, right, kSaveSideBySide, false))
                continue;
            if (g_bSavePreview)
                DrawSavePreview(composite, kSaveSideBySide, preview, i == 0, left->hDrawDib);
            SplitSideBySideFrame(halves[0], halves[1], composite, 2 * w, h, 24);
            bool written = true;
            for (int k = 0; k < 2 && written; k++) {
                LONG bytes = 0;
                written = AVIStreamWrite(files[k].compressed, i, 1, FindDibBits(halves[k]),
                                         (LONG)halves[k]->biSizeImage, AVIIF_KEYFRAME, nullptr, &bytes) == 0;
                files[k].bytes += (uint32_t)bytes + sound.bytesPerFrame;
            }
            if (!written) {
                done = i;
                AppMessageBox(g_hwndMain, LoadStr(IDS_SAVE_WRITE_FAILED), LoadStr(IDS_ERROR_CAPTION), MB_ICONWARNING);
                break;
            }
            // Either file may be the larger one (a codec compresses the two
            // eyes differently): the limit watches both.
            if (SaveLimitPassed(files[0].bytes) || SaveLimitPassed(files[1].bytes)) {
                split = 1;
                break;
            }
            if (PumpSaveLoopMessages())
                break;
        }
        PAVIFILE outFiles[2] = {files[0].file, files[1].file};
        PAVISTREAM outSound[2] = {files[0].audio, files[1].audio};
        WriteSaveSound(window, sound, done, outFiles, outSound, 2);
        for (EyeFile &e : files)
            CloseEyeFile(&e);
    }
    if (!split)
        ICCompressorFree(&g_compVars);
    FreeDib(composite);
    FreeDib(halves[0]);
    FreeDib(halves[1]);
    return EndSave(window, pair, split != 0, done, !failure);
}
