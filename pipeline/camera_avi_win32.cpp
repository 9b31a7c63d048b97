#include "pipeline/camera_avi.h"

#include "alignment/frame_adjustment.h"
#include "pipeline/audio_prepare.h"
#include "pipeline/camera_files.h"
#include "pipeline/jpeg_file.h"
#include "pipeline/pair_position.h"
#include "pipeline/save_loop.h"
#include "pipeline/save_movie.h"
#include "pipeline/wave_image.h"
#include "resources/resource_ids.h"
#include "shared/dib_gdi.h"
#include "shared/file_at.h"
#include "shared/global_memory.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "sources/movie_open.h"
#include "sources/plugin_audio.h"
#include "sources/plugin_source.h"
#include "sources/stereo_layouts.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>

#include <vector>

int g_nOutFps = 30;

namespace {

const char kMaking[] = "Making 3D AVI file";

void StepTitle(const char *step)
{
    char title[64];
    snprintf(title, sizeof title, "3DAVI_ERROR_CHECK_%s", step);
    SetWindowTextA(g_hwndMain, title);
}

bool ReadWholeFile(const char *path, std::vector<BYTE> *bytes)
{
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart < 0x40000000;
    DWORD got = 0;
    if (ok) {
        bytes->resize((size_t)size.QuadPart);
        ok = bytes->empty() || (ReadFile(f, bytes->data(), (DWORD)bytes->size(), &got, nullptr) && got == bytes->size());
    }
    CloseHandle(f);
    return ok;
}

bool WriteWholeFile(HANDLE f, const BYTE *data, size_t size)
{
    DWORD put = 0;
    return WriteFile(f, data, (DWORD)size, &put, nullptr) && put == size;
}

BYTE *ToGlobalBlock(const std::vector<BYTE> &bytes, int *size)
{
    BYTE *block = (BYTE *)AllocGlobalBlock(bytes.size() ? bytes.size() : 1, 0);
    if (!block)
        return nullptr;
    memcpy(block, bytes.data(), bytes.size());
    *size = (int)bytes.size();
    return block;
}

// The picture as a JPEG file written by the writer, its bytes read back.
bool EncodeToFile(const PackedDib *dib, const char *path, int quality, std::vector<BYTE> *bytes)
{
    int w = DibWidth(dib), h = DibHeight(dib);
    BYTE *rows = DibToTopDownRgb(FindDibBits(dib), w, h);
    if (!rows)
        return false;
    int ok = WriteJpegFile(path, rows, w, h, quality);
    FreeGlobalBlock(rows);
    return ok && (!bytes || ReadWholeFile(path, bytes));
}

void TempFilePath(char *out, size_t size, const char *name)
{
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    snprintf(out, size, "%s%s", folder, name);
}

const BYTE *TemplateBytes(const char *name, DWORD expected)
{
    HRSRC res = FindResourceA(nullptr, name, "Binary");
    if (!res || SizeofResource(nullptr, res) != expected)
        return nullptr;
    HGLOBAL data = LoadResource(nullptr, res);
    return data ? (const BYTE *)LockResource(data) : nullptr;
}

// ---- sound ----

// The own reader's raw sound bytes of samples s0 .. s1 - 1.
void ReadOwnReaderRange(MovieSource *m, LONG s0, LONG s1, std::vector<BYTE> *raw)
{
    int64_t from = (int64_t)s0 * m->nBlockAlign, to = (int64_t)s1 * m->nBlockAlign, at = 0;
    HANDLE file = (HANDLE)(INT_PTR)m->hFile;
    for (int c = 0; c < m->nAudioChunks && at < to; c++) {
        const AviChunkEntry &e = m->pAudioIndex[c];
        int64_t end = at + e.size;
        if (end > from && e.size > 0) {
            int64_t first = (from > at ? from : at) - at, last = (to < end ? to : end) - at;
            size_t old = raw->size();
            raw->resize(old + (size_t)(last - first));
            if (!ReadFileAt(file, e.Offset() + first, raw->data() + old, (DWORD)(last - first))) {
                raw->resize(old);
                break;
            }
        }
        at = end;
    }
}

// The plug-in's sound of frames start .. start + frames - 1, with the
// partner's sound in the right channel when the option asks for it.
void ReadPluginRange(HWND window, MovieSource *m, MovieSource *other, int frames, std::vector<BYTE> *raw)
{
    int block = m->nBlockAlign;
    bool pairSound = block == 4 && g_bStereoSound == 1 && other && other->nKind == kSourcePlugin;
    std::vector<BYTE> partner;
    for (int k = 0; k < frames; k++) {
        int f = m->nStart + k, count = AudioSamplesInFrame(m, f);
        if (count <= 0)
            continue;
        size_t old = raw->size();
        raw->resize(old + (size_t)count * block);
        ReadPluginAudio(m, raw->data() + old, count, AudioSampleAtFrame(m, f));
        if (pairSound) {
            int g = other->nStart + k, c2 = AudioSamplesInFrame(other, g);
            partner.assign((size_t)(c2 > 0 ? c2 : 0) * 4, 0);
            if (c2 > 0)
                ReadPluginAudio(other, partner.data(), c2, AudioSampleAtFrame(other, g));
            TakePartnerChannel(raw->data() + old, partner.data(), count < c2 ? count : (c2 > 0 ? c2 : 0));
        }
        if (frames > 0 && k % 8 == 0) {
            char title[128];
            snprintf(title, sizeof title, "Preparing the Audio data (%d %%)", (int)((int64_t)k * 80 / frames));
            SetWindowTextA(window, title);
        }
    }
}

// The prepared sound: 16-bit stereo at 48 kHz, beginning at the movie's
// start (ffmpeg, AVIFile) or at the record's start frame (the raw roads).
struct PreparedSound {
    BYTE *block = nullptr;
    int size = 0;
    int64_t startSample = 0;  // the block's sample at the record's start frame
};

PreparedSound PrepareSound(HWND window, MovieSource *m, MovieSource *other, int frames)
{
    PreparedSound s;
    // The sound of the whole movie (ffmpeg, AVIFile) begins at frame 0.
    int64_t fromMovieStart = SourceSoundSample(m->nStart, m->nRate, m->nScale);
    DWORD attributes = GetFileAttributesA(g_szFfmpegPath);
    if (g_szFfmpegPath[0] && (attributes & ~0xFEFu) == 0) {
        s.block = PrepareAudioWithFfmpeg(m->szPath, g_szFfmpegPath, &s.size);
        s.startSample = fromMovieStart;
    } else if (m->nKind == kSourceAviFile && m->pAudio) {
        s.block = PrepareAudioFromAviStream((IAVIStream *)m->pAudio, &s.size);
        s.startSample = fromMovieStart;
    } else {
        std::vector<BYTE> raw;
        if (m->nKind == kSourcePlugin)
            ReadPluginRange(window, m, other, frames, &raw);
        else
            ReadOwnReaderRange(m, SoundSampleAtFrame(m, m->nStart), SoundSampleAtFrame(m, m->nStart + frames),
                               &raw);
        int size = (int)raw.size();
        if (size > 0)
            s.block = ConvertPcmForSave(m, raw.data(), &size);
        s.size = s.block ? size : 0;
    }
    if (!s.block)
        s.size = 0;
    return s;
}

// ---- the loop's pictures ----

// The pair composed side by side into the composite: directly when the
// region already has the composite's eye size, else each eye resized.
bool ComposeComposite(HWND window, PackedDib *composite, MovieSource *left, MovieSource *right)
{
    int w = g_rcTrim.right - g_rcTrim.left, h = g_rcTrim.bottom - g_rcTrim.top;
    int half = DibWidth(composite) / 2, height = DibHeight(composite);
    int resize = g_bSaveResize, smart = g_bSmartSize, keep = g_bKeepAspect, sw = g_nSaveWidth, sh = g_nSaveHeight;
    bool direct = height == h && half == w;
    g_bSaveResize = direct ? 0 : 1;
    g_bSmartSize = 1;
    g_bKeepAspect = 0;
    g_nSaveWidth = half;
    g_nSaveHeight = height;
    bool done = ComposeSaveFrame(window, composite, left, right, kSaveSideBySide, false);
    g_bSaveResize = resize;
    g_bSmartSize = smart;
    g_bKeepAspect = keep;
    g_nSaveWidth = sw;
    g_nSaveHeight = sh;
    return done;
}

// The two 160 x 120 thumbnails from the composite.
void MakeThumbnails(HWND window, const PackedDib *composite, PackedDib *leftThumb, PackedDib *rightThumb)
{
    SaveSize fit = FitAspect(DibWidth(composite) / 2, DibHeight(composite), 160, 120);
    int state = g_nTrimState;
    g_nTrimState = kTrimNone;
    const int zero[4] = {0, 0, 0, 0};
    PackedDib *small = ResizeFrameForSave(window, composite, 2 * fit.width, fit.height, zero, AppliedTrim(), 0);
    g_nTrimState = state;
    if (small) {
        SplitSideBySideCentred(leftThumb, rightThumb, small);
        FreeDib(small);
    }
}

// The stream information of an eye in the intermediate AVI.
void EyeStreamInfo(AVISTREAMINFOA *info, const CameraKind &k)
{
    lstrcpynA(info->szName, LoadStr(IDS_VIDEO_STREAM_NAME), sizeof info->szName);
    info->fccType = streamtypeVIDEO;
    info->fccHandler = mmioFOURCC('M', 'J', 'P', 'G');
    info->dwRate = (DWORD)k.fps;
    info->dwScale = 1;
    info->dwStart = info->dwLength = info->dwInitialFrames = info->dwSuggestedBufferSize = 0;
    SetRect(&info->rcFrame, 0, 0, k.eyeWidth, k.eyeHeight);
}

// Copies the intermediate AVI from offset from to end into out, chunk by
// chunk: the camera's ids ("00dc", "02dc") in the chunk headers and the
// index entries, every other byte as it is. False when reading or writing
// failed.
bool CopyMovieData(HANDLE in, HANDLE out, uint64_t from, uint64_t end)
{
    if (!SeekFileTo(in, from))
        return false;
    std::vector<BYTE> piece(1 << 20);
    uint64_t at = from, lastShown = 0;
    auto copy = [&](uint64_t bytes, bool index) {
        while (bytes > 0) {
            DWORD want = (DWORD)(bytes < piece.size() ? bytes : piece.size()), got = 0;
            if (!ReadFile(in, piece.data(), want, &got, nullptr) || got == 0)
                return false;
            if (index)
                for (DWORD e = 0; e + 16 <= got; e += 16)
                    RenameVideoChunkId(piece.data() + e);
            if (!WriteWholeFile(out, piece.data(), got))
                return false;
            bytes -= got;
            at += got;
            if (at - lastShown > 10000000) {
                lastShown = at;
                char title[64];
                snprintf(title, sizeof title, "%s (%d %%)", kMaking, (int)((at - from) * 100 / (end - from)));
                SetWindowTextA(g_hwndMain, title);
            }
        }
        return true;
    };
    while (at + 8 <= end) {
        BYTE head[12];
        DWORD got = 0;
        if (!ReadFile(in, head, 8, &got, nullptr) || got != 8)
            return false;
        at += 8;
        bool list = !memcmp(head, "LIST", 4) || !memcmp(head, "RIFF", 4);
        if (list) {
            // Its list type, then its chunks in turn.
            if (at + 4 > end || !ReadFile(in, head + 8, 4, &got, nullptr) || got != 4)
                return WriteWholeFile(out, head, 8);
            at += 4;
            if (!WriteWholeFile(out, head, 12))
                return false;
            continue;
        }
        bool index = !memcmp(head, "idx1", 4);
        RenameVideoChunkId(head);
        if (!WriteWholeFile(out, head, 8))
            return false;
        uint64_t size = head[4] | head[5] << 8 | head[6] << 16 | (uint64_t)head[7] << 24;
        size += size & 1;
        if (size > end - at)
            size = end - at;
        if (!copy(size, index))
            return false;
    }
    return copy(end - at, false);
}

}  // namespace

// ---- JPEG pieces ----

BYTE *MakeAvi1FrameJpeg(const PackedDib *eye, const char *workPath, int *size)
{
    std::vector<BYTE> jpeg, frame;
    if (!EncodeToFile(eye, workPath, g_nJpegQuality, &jpeg) || !RepackAvi1Frame(jpeg.data(), jpeg.size(), &frame))
        return nullptr;
    return ToGlobalBlock(frame, size);
}

BYTE *MakeExifFrameJpeg(const PackedDib *eye, const char *workPath, int *size)
{
    std::vector<BYTE> jpeg;
    if (!EncodeToFile(eye, workPath, g_nJpegQuality, nullptr) || !AddExif3ds(workPath) ||
        !ReadWholeFile(workPath, &jpeg))
        return nullptr;
    return ToGlobalBlock(jpeg, size);
}

BYTE *MakeCameraPreviewJpeg(const PackedDib *image, const char *workPath, int quality, int *size)
{
    std::vector<BYTE> jpeg, preview;
    if (!EncodeToFile(image, workPath, quality, &jpeg) || !RepackPreviewJpeg(jpeg.data(), jpeg.size(), &preview))
        return nullptr;
    return ToGlobalBlock(preview, size);
}

int AddExif3ds(const char *jpegPath)
{
    FILETIME written = {};
    HANDLE f = CreateFileA(jpegPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 0;
    GetFileTime(f, nullptr, nullptr, &written);
    CloseHandle(f);
    int width = 0, height = 0;
    PackedDib *small = ReadJpegFile(jpegPath, &width, &height);
    if (!small)
        return 0;
    int sw = DibWidth(small), sh = DibHeight(small);
    int tw = sw > sh ? 160 : sw * 160 / sh, th = sw > sh ? sh * 160 / sw : 160;
    int state = g_nTrimState;
    g_nTrimState = kTrimNone;
    const int zero[4] = {0, 0, 0, 0};
    PackedDib *thumb = ResizeFrameForSave(nullptr, small, tw > 0 ? tw : 1, th > 0 ? th : 1, zero, AppliedTrim(), 0);
    g_nTrimState = state;
    FreeDib(small);
    if (!thumb)
        return 0;
    char thumbPath[MAX_PATH + 16];
    TempFilePath(thumbPath, sizeof thumbPath, "AE200.TMP");
    std::vector<BYTE> thumbBytes, block;
    bool ok = EncodeToFile(thumb, thumbPath, 60, nullptr) && RewriteJpegSegments(thumbPath, 3) == 0 &&
              ReadWholeFile(thumbPath, &thumbBytes);
    FreeDib(thumb);
    DeleteFileA(thumbPath);
    if (!ok)
        return 0;
    char date[20];
    if (g_bRecDateSet) {
        FormatExifDate(date, g_nRecYear, g_nRecMonth, g_nRecDay, g_nRecHour, g_nRecMinute, g_nRecSecond);
    } else {
        FILETIME local;
        SYSTEMTIME t = {};
        FileTimeToLocalFileTime(&written, &local);
        FileTimeToSystemTime(&local, &t);
        FormatExifDate(date, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    }
    const BYTE *tmpl = TemplateBytes("EXIF3DS", kExifTemplateBytes);
    if (!tmpl || !BuildExifBlock(tmpl, date, width, height, thumbBytes.data(), thumbBytes.size(), &block))
        return 0;
    return RewriteJpegSegments(jpegPath, 2, block.data(), block.size()) == 0 ? 1 : 0;
}

int RewriteJpegSegments(const char *jpegPath, int mode, const BYTE *block, size_t blockSize)
{
    HANDLE f = CreateFileA(jpegPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        Sleep(300);
        f = CreateFileA(jpegPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE)
            return 1;
    }
    CloseHandle(f);
    std::vector<BYTE> in, out;
    if (!ReadWholeFile(jpegPath, &in))
        return 4;
    // The new bytes are made before the old file is touched: a damaged
    // file is left as it was.
    int error = RewriteSegments(in.data(), in.size(), mode, block, blockSize, &out);
    if (error)
        return error;
    char saved[MAX_PATH + 2];
    snprintf(saved, sizeof saved, "%s$", jpegPath);
    if (!MoveFileExA(jpegPath, saved, MOVEFILE_REPLACE_EXISTING))
        return 6;
    auto restore = [&](int code) {
        DeleteFileA(jpegPath);
        MoveFileExA(saved, jpegPath, MOVEFILE_REPLACE_EXISTING);
        return code;
    };
    f = CreateFileA(jpegPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return restore(7);
    bool ok = WriteWholeFile(f, out.data(), out.size());
    ok = CloseHandle(f) && ok;
    if (!ok)
        return restore(8);
    DeleteFileA(saved);
    f = CreateFileA(jpegPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 10;
    CloseHandle(f);
    return 0;
}

// ---- the final file ----

int WriteCamera3dAvi(const char *outputPath, const char *workJpegPath, const PackedDib *leftThumb,
                     const PackedDib *rightThumb)
{
    SetWindowTextA(g_hwndMain, outputPath);
    AppMessageBox(nullptr, kMaking, "Start", MB_ICONWARNING);
    const BYTE *tmpl = TemplateBytes("FUJI", kCameraHeaderBytes);
    if (!tmpl)
        return 5;
    std::vector<BYTE> header(tmpl, tmpl + kCameraHeaderBytes);
    StepTitle("005");
    char tempPath[MAX_PATH + 16];
    snprintf(tempPath, sizeof tempPath, "%stmp.avi", outputPath);
    // The writer may still hold the file for a moment: retried for ten
    // seconds while it is in use, not when it is missing.
    HANDLE in = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 100 && in == INVALID_HANDLE_VALUE; i++) {
        in = CreateFileA(tempPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD why = GetLastError();
        if (in == INVALID_HANDLE_VALUE && why != ERROR_SHARING_VIOLATION && why != ERROR_LOCK_VIOLATION &&
            why != ERROR_ACCESS_DENIED)
            break;
        if (in == INVALID_HANDLE_VALUE)
            Sleep(100);
    }
    if (in == INVALID_HANDLE_VALUE)
        return 6;
    StepTitle("006");
    BYTE head[kTempHeaderBytes];
    DWORD got = 0;
    LARGE_INTEGER fileSize;
    if (!ReadFile(in, head, sizeof head, &got, nullptr) || got != sizeof head || !GetFileSizeEx(in, &fileSize) ||
        memcmp(head, "RIFF", 4) != 0) {
        CloseHandle(in);
        return 7;
    }
    StepTitle("007");
    PatchCameraHeader(header.data(), head, g_n3dAviKind);
    StepTitle("008_001");
    StepTitle("008_002");
    StepTitle("008_003");
    StepTitle("008_004");
    StepTitle("008_005");
    // Each preview at the best quality that fits its room; one that does
    // not fit even at quality 10 is left out.
    const PackedDib *thumbs[2] = {leftThumb, rightThumb};
    for (int side = 0; side < 2; side++) {
        size_t room = side ? kRightPreviewRoom : kLeftPreviewRoom;
        BYTE *preview = nullptr;
        int size = 0;
        for (int q = 80; q >= 10 && thumbs[side]; q -= 10) {
            FreeGlobalBlock(preview);
            preview = MakeCameraPreviewJpeg(thumbs[side], workJpegPath, q, &size);
            if (!preview || (size_t)size <= room)
                break;
        }
        if (preview)
            PlaceCameraPreview(header.data(), side == 1, preview, (size_t)size);
        FreeGlobalBlock(preview);
        StepTitle(side ? "008_008" : "008_007");
    }
    StepTitle("009");
    HANDLE out = CreateFileA(outputPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE || !WriteWholeFile(out, header.data(), header.size())) {
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
        CloseHandle(in);
        return 9;
    }
    StepTitle("010");
    uint64_t riffEnd = (uint64_t)(head[4] | head[5] << 8 | head[6] << 16 | (uint32_t)head[7] << 24) + 8;
    uint64_t end = riffEnd < (uint64_t)fileSize.QuadPart ? riffEnd : (uint64_t)fileSize.QuadPart;
    bool copied = CopyMovieData(in, out, kTempHeaderBytes, end);
    bool closed = CloseHandle(out);
    CloseHandle(in);
    if (!copied || !closed)
        return 10;
    DeleteFileA(tempPath);
    AppMessageBox(nullptr, kMaking, "End", MB_ICONWARNING);
    char title[64];
    snprintf(title, sizeof title, "%s (End)", kMaking);
    SetWindowTextA(g_hwndMain, title);
    return 0;
}

// ---- the save loop ----

int Save3dAvi(HWND window, StereoPair *pair, const char *outputPath)
{
    g_nBusy = kBusySaving;
    g_nJpegSampling = 2;
    g_bCancel = 0;
    bool split = false;
    int written = 0;
    char work[MAX_PATH + 16], tempPath[MAX_PATH + 16];
    TempFilePath(work, sizeof work, "twr.jpg");
    snprintf(tempPath, sizeof tempPath, "%stmp.avi", outputPath);
    MovieSource *left = pair->pLeft, *right = pair->pRight;
    SaveSound sound = FindSaveSound(pair);
    const CameraKind &kind = CameraKindFacts(g_n3dAviKind);
    g_nOutFps = kind.fps;
    g_nOutRate = kCameraSoundRate;
    const int E = kind.eyeWidth, F = kind.eyeHeight, fps = kind.fps;
    PackedDib *composite = nullptr, *canvasL = nullptr, *canvasR = nullptr, *thumbL = nullptr, *thumbR = nullptr;
    PAVIFILE file = nullptr;
    PAVISTREAM streams[3] = {nullptr, nullptr, nullptr};
    PreparedSound prepared;
    AVISTREAMINFOA info;
    if (LeftVideoInfo(left, &info)) {
        ResetTrimToCommonRegion(left->nWidth, left->nHeight, g_nShiftX, g_nShiftY);
        int w = g_rcTrim.right - g_rcTrim.left, h = g_rcTrim.bottom - g_rcTrim.top;
        int sw, sh;
        if ((int64_t)w * F < (int64_t)h * E) {
            sh = F;
            sw = h > 0 ? (int)((int64_t)w * F / h) : 0;
        } else {
            sw = E;
            sh = w > 0 ? (int)((int64_t)h * E / w) : 0;
        }
        uint32_t rate = info.dwRate, scale = info.dwScale;
        if (left->nKind == kSourcePlugin) {
            rate = left->nRate;
            scale = left->nScale;
        }
        if (sw > 0 && sh > 0) {
            composite = CreateDib(2 * sw, sh, 24, 0);
            canvasL = CreateDib(E, F, 24, 1);
            canvasR = CreateDib(E, F, 24, 1);
            thumbL = CreateDib(160, 120, 24, 1);
            thumbR = CreateDib(160, 120, 24, 1);
        }
        bool made = composite && canvasL && canvasR && thumbL && thumbR &&
                    AVIFileOpenA(&file, tempPath, OF_CREATE | OF_SHARE_DENY_NONE | OF_WRITE, nullptr) == 0;
        BITMAPINFOHEADER format = {sizeof format, E, F, 1, 24, mmioFOURCC('M', 'J', 'P', 'G'), (DWORD)(E * F * 3), 0, 0, 0, 0};
        EyeStreamInfo(&info, kind);
        made = made && AVIFileCreateStreamA(file, &streams[0], &info) == 0 &&
               AVIStreamSetFormat(streams[0], 0, &format, sizeof format) == 0;
        AVISTREAMINFOA soundInfo = {};
        soundInfo.fccType = streamtypeAUDIO;
        soundInfo.dwScale = 1;
        soundInfo.dwRate = kCameraSoundRate;
        soundInfo.dwQuality = 10000;
        soundInfo.dwSampleSize = 4;
        lstrcpynA(soundInfo.szName, LoadStr(IDS_AUDIO_STREAM_NAME), sizeof soundInfo.szName);
        PCMWAVEFORMAT pcm = {{WAVE_FORMAT_PCM, 2, kCameraSoundRate, kCameraSoundRate * 4, 4}, 16};
        made = made && AVIFileCreateStreamA(file, &streams[1], &soundInfo) == 0 &&
               AVIStreamSetFormat(streams[1], 0, &pcm, sizeof pcm) == 0;
        int N = PairFrameCount(left, right, g_nEndOffset);
        if (made && HasSaveSound(sound.record)) {
            prepared = PrepareSound(window, sound.record, sound.other, N > 0 ? N : 0);
            if (!prepared.block) {
                // The file gets silence.
                AppMessageBox(g_hwndMain, LoadStr(IDS_NO_3DAVI_SOUND), LoadStr(IDS_WARNING_CAPTION), MB_ICONWARNING);
            }
        }
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        g_nFrameCount = N;
        if (sound.record && sound.record->nKind == kSourcePlugin)
            BeginSaveSound(pair);
        made = made && AVIFileCreateStreamA(file, &streams[2], &info) == 0 &&
               AVIStreamSetFormat(streams[2], 0, &format, sizeof format) == 0;
        if (made && N > 0) {
            if (g_bSavePreview)
                ClearWindowBlack(g_hwndView);
            RECT client = {0, 0, 0, 0};
            if (g_hwndView)
                GetClientRect(g_hwndView, &client);
            SaveSize preview = SavePreviewSize(kSaveSideBySide, client.right, client.bottom, 2 * sw, sh);
            int n = CameraOutputFrames(N, fps, rate, scale), T = CameraTotalFrames(n, fps);
            int thumbAt = N > 1 ? (int)((int64_t)(n - 1) * g_nFrame / (N - 1)) : 0;
            if (thumbAt >= T)
                thumbAt = T - 1;
            char name[260];
            GetFileNameFromPath(name, outputPath);
            uint32_t bytes = 0;
            std::vector<BYTE> second;
            for (int k = 0; k < T; k++) {
                ShowSaveProgress(window, IDS_SAVE_LEFT_RIGHT_PROGRESS, left, right, CameraTitleFrame(k, fps, rate, scale),
                                 N, name, bytes);
                if (k % fps == 0) {
                    // One second of sound, silent where the prepared sound
                    // has ended or there is none.
                    int64_t sa = CameraSoundSample(k, fps), sb = CameraSoundSample(k + fps, fps);
                    second.assign((size_t)(sb - sa) * 4, 0);
                    int64_t from = (prepared.startSample + sa) * 4;
                    if (prepared.block && from >= 0 && from < prepared.size) {
                        int64_t take = prepared.size - from < (int64_t)second.size() ? prepared.size - from
                                                                                      : (int64_t)second.size();
                        memcpy(second.data(), prepared.block + from, (size_t)take);
                    }
                    LONG put = 0;
                    if (WriteSoundBlocks(streams[1], (LONG)sa, (LONG)(sb - sa), second.data(), (LONG)second.size(),
                                         nullptr, &put) == 0)
                        bytes += (uint32_t)(put ? put : (LONG)second.size());
                }
                if (k < n && FetchSaveFrame(window, left, right, CameraSourceFrame(k, N, n)) != 0)
                    break;
                ComposeComposite(window, composite, left, right);
                if (g_bSavePreview)
                    DrawSavePreview(composite, kSaveSideBySide, preview, k == 0, left->hDrawDib);
                SplitSideBySideCentred(canvasL, canvasR, composite);
                if (k == thumbAt)
                    MakeThumbnails(window, composite, thumbL, thumbR);
                bool exif = k == 0 && IsNintendoKind(g_n3dAviKind);
                int sizeL = 0, sizeR = 0;
                BYTE *jl = exif ? MakeExifFrameJpeg(canvasL, work, &sizeL) : MakeAvi1FrameJpeg(canvasL, work, &sizeL);
                BYTE *jr = exif ? MakeExifFrameJpeg(canvasR, work, &sizeR) : MakeAvi1FrameJpeg(canvasR, work, &sizeR);
                bool ok = jl && jr && AVIStreamWrite(streams[0], k, 1, jl, sizeL, AVIIF_KEYFRAME, nullptr, nullptr) == 0 &&
                          AVIStreamWrite(streams[2], k, 1, jr, sizeR, AVIIF_KEYFRAME, nullptr, nullptr) == 0;
                FreeGlobalBlock(jl);
                FreeGlobalBlock(jr);
                if (!ok) {
                    AppMessageBox(g_hwndMain, LoadStr(IDS_SAVE_WRITE_FAILED), LoadStr(IDS_ERROR_CAPTION), MB_ICONWARNING);
                    break;
                }
                written = k + 1;
                bytes += (uint32_t)sizeL + (uint32_t)sizeR;
                if (SaveLimitPassed(bytes)) {
                    split = true;
                    break;
                }
                // A cancel takes effect at the end of a second: the file
                // holds whole seconds.
                PumpSaveLoopMessages();
                if (g_bCancel && k % fps == fps - 1)
                    break;
            }
        }
    }
    StepTitle("001");
    if (!split)
        ICCompressorFree(&g_compVars);
    StepTitle("002");
    FreeDib(composite);
    FreeDib(canvasL);
    FreeDib(canvasR);
    FreeGlobalBlock(prepared.block);
    for (PAVISTREAM s : streams)
        if (s)
            AVIStreamRelease(s);
    StepTitle("003");
    if (file) {
        AVIFileRelease(file);
        RepairAviHeaders(tempPath);
        OrderAviIndex(tempPath);
        if (written > 0)
            WriteCamera3dAvi(outputPath, work, thumbL, thumbR);
    }
    StepTitle("012");
    FreeDib(thumbL);
    FreeDib(thumbR);
    DeleteFileA(tempPath);
    DeleteFileA(work);
    g_nJpegSampling = 0;
    return EndSave(window, pair, split, written, true);
}
