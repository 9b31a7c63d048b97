#include "sources/movie_open.h"

#include "resources/resource_ids.h"
#include "shared/global_memory.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "sources/avi_headers.h"
#include "sources/avi_index.h"
#include "sources/own_avi_reader.h"
#include "sources/plugin_source.h"
#include "state/app_state.h"

#include <stdlib.h>
#include <string.h>
#include <vfw.h>

#include <vector>

namespace {

const DWORD kIavs = mmioFOURCC('i', 'a', 'v', 's');
const DWORD kDvsd = mmioFOURCC('d', 'v', 's', 'd');
const DWORD kDvis = mmioFOURCC('d', 'v', 'i', 's');
// A frame needs at least a chunk header and an index entry: 16 bytes.
const uint64_t kMinBytesPerFrame = 16;
// Stream formats larger than this are lies.
const LONG kMaxFormatBytes = 0x10000;

// The frames a file of this size can hold at most: no table is made for
// more, whatever its header says.
int FramesTheFileCanHold(int frames, uint64_t fileSize)
{
    uint64_t most = fileSize / kMinBytesPerFrame;
    return (uint64_t)frames > most ? (int)most : frames;
}

int UsableEntries(const AviChunkEntry *entries, int count)
{
    int usable = 0;
    for (int i = 0; i < count; i++)
        usable += entries[i].size > 0;
    return usable;
}

int Fail(char *errorText, int id)
{
    lstrcpynA(errorText, LoadStr(id), kOpenErrorBytes);
    return 1;
}

DWORD LowerFourcc(DWORD code)
{
    DWORD out = 0;
    for (int i = 0; i < 4; i++) {
        BYTE c = (BYTE)(code >> (8 * i));
        if (c >= 'A' && c <= 'Z')
            c = (BYTE)(c + 'a' - 'A');
        out |= (DWORD)c << (8 * i);
    }
    return out;
}

bool QueryDecompressor(DWORD handler)
{
    HIC h = ICOpen(ICTYPE_VIDEO, handler, ICMODE_QUERY);
    if (!h)
        return false;
    ICClose(h);
    return true;
}

PGETFRAME OpenGetter(PAVISTREAM video)
{
    PGETFRAME g = AVIStreamGetFrameOpen(video, nullptr);
    if (!g)
        g = AVIStreamGetFrameOpen(video, (LPBITMAPINFOHEADER)AVIGETFRAMEF_BESTDISPLAYFMT);
    return g;
}

bool MakeEyeFrames(MovieSource *m)
{
    m->pView = CreateDib(m->nWidth, m->nHeight, 24, 0);
    m->pFrame24 = CreateDib(m->nWidth, m->nHeight, 24, 0);
    return m->pView && m->pFrame24;
}

void SetFrameSize(MovieSource *m, int width, int height)
{
    m->nWidth = width;
    m->nHeight = abs(height);
    if (g_bDeinterlaceOpt * g_nFieldMode == 1)
        m->nHeight /= 2;
}

// A stream of the file: through AVIFile, or read from the file's headers
// where AVIFile cannot be asked (handle null, format kept).
struct StreamEntry {
    PAVISTREAM handle;
    AVISTREAMINFOA info;
    std::vector<BYTE> format;
};

// The stream's format: AVIStreamReadFormat, or the bytes read from the
// header. Empty when it cannot be read or is larger than any real one.
std::vector<BYTE> ReadFormat(const StreamEntry &e)
{
    if (!e.handle)
        return e.format;
    LONG size = 0;
    if (AVIStreamReadFormat(e.handle, 0, nullptr, &size) != 0 || size <= 0 || size > kMaxFormatBytes)
        return std::vector<BYTE>();
    std::vector<BYTE> bytes((size_t)size);
    if (AVIStreamReadFormat(e.handle, 0, bytes.data(), &size) != 0)
        return std::vector<BYTE>();
    bytes.resize((size_t)size);
    return bytes;
}

// What the opener learnt of the file on its way.
struct OpenState {
    HWND owner;
    const char *file;       // the file opened (the script for an AviSynth open)
    uint64_t fileSize;
    bool large;             // 2 GB or more
    int dvFlag;             // 1 'iavs', 2 own reader, 3 only a 'dvis' decompressor
    int videoStream, audioStream;
    DWORD handler;
    AVISTREAMINFOA videoInfo;
    AVIFILEINFOA fileInfo;
    uint64_t framesPerHundredSeconds;
    bool withoutAviFile;     // headers read by the opener itself
    DWORD headerWidth, headerHeight;  // the main header's frame size
    StreamEntry video, audio;
    bool haveVideo, haveAudio;
    bool rawVideo;           // uncompressed frames, read without a decompressor
    bool firstFrameUnread;   // the own reader's decompressor failed on the first frame
};

// The video chunks the file's own index lists (dropped ones included), at
// most capacity; 0 when it has none.
int CountIndexedFrames(const OpenState &s, bool rawVideo, int capacity)
{
    ChunkTable video;
    if (!InitChunkTable(&video, capacity, false))
        return 0;
    AviIndexTotals totals = {};
    AviStreamChoice streams = {s.videoStream, -1, rawVideo};
    int found = g_bTwoStreamAvi ? ReadAviIndex(s.file, streams, &video, nullptr, &totals)
                                : ReadOpenDmlIndex(s.file, streams, &video, nullptr, &totals);
    FreeChunkTable(&video);
    return found;
}

// Releases what the own reader (or a failed set-up of it) acquired. The
// caller clears pDecoded first when it is not the record's own.
void ReleaseOwnReader(MovieSource *m)
{
    if (m->hic) {
        ICDecompressEnd((HIC)m->hic);
        ICClose((HIC)m->hic);
        m->hic = nullptr;
    }
    FreeGlobalBlock(m->pChunk);
    m->pChunk = nullptr;
    FreeGlobalBlock(m->pDecoded);
    m->pDecoded = nullptr;
    m->pCurrent = nullptr;
    free(m->pVideoIndex);
    free(m->pAudioIndex);
    m->pVideoIndex = m->pAudioIndex = nullptr;
    m->nVideoEntries = m->nAudioChunks = m->nAudioCapacity = 0;
    m->nAudioBytes = 0;
    m->nMaxAudioChunk = 0;
    if (m->hFile != -1) {
        CloseHandle((HANDLE)(INT_PTR)m->hFile);
        m->hFile = -1;
    }
    FreeDib(m->pView);
    FreeDib(m->pFrame24);
    m->pView = m->pFrame24 = nullptr;
}

// The input format of the own reader: a DV header for 'iavs' streams,
// else the stream's own format. Null (with the error id) when unusable.
BITMAPINFOHEADER *ReadInputFormat(OpenState &s, LONG *bytes)
{
    if (s.dvFlag == 1) {
        // Type-1 DV carries no picture format; the size is the stream's
        // (720 x 576 for PAL), else the file's, else NTSC's.
        const RECT &rc = s.videoInfo.rcFrame;
        int w = rc.right - rc.left, h = rc.bottom - rc.top;
        if (w <= 0 || h <= 0) {
            w = (int)s.headerWidth;
            h = (int)s.headerHeight;
        }
        if (w <= 0 || h <= 0 || w > kDibMaxSide || h > kDibMaxSide) {
            w = 720;
            h = 480;
        }
        BITMAPINFOHEADER *in = NewBitmapInfoHeader(w, h, 24);
        if (in)
            in->biCompression = kDvis;
        *bytes = sizeof(BITMAPINFOHEADER);
        return in;
    }
    std::vector<BYTE> format = ReadFormat(s.video);
    LONG size = (LONG)format.size();
    if (size < (LONG)sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPINFOHEADER *in = (BITMAPINFOHEADER *)AllocGlobalBlock((size_t)size, 1);
    if (!in)
        return nullptr;
    memcpy(in, format.data(), (size_t)size);
    if (in->biSize < sizeof(BITMAPINFOHEADER) || in->biSize > (DWORD)size || in->biWidth <= 0 ||
        in->biWidth > kDibMaxSide || in->biHeight == 0 || abs(in->biHeight) > kDibMaxSide) {
        FreeGlobalBlock(in);
        return nullptr;
    }
    *bytes = size;
    return in;
}

// The decompressor's own output format for the input, as the AVIFile
// getter asks for it: RGB of 16, 24 or 32 bits at the input's size, else
// false.
bool DecoderOwnFormat(HIC hic, const BITMAPINFOHEADER *in, BITMAPINFOHEADER *out)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } format = {};
    LRESULT size = ICDecompressGetFormatSize(hic, in);
    if (size < (LRESULT)sizeof(BITMAPINFOHEADER) || size > (LRESULT)sizeof format ||
        ICDecompressGetFormat(hic, in, &format) != ICERR_OK)
        return false;
    const BITMAPINFOHEADER &f = format.header;
    if (f.biCompression != BI_RGB || (f.biBitCount != 16 && f.biBitCount != 24 && f.biBitCount != 32) ||
        f.biWidth != in->biWidth || abs(f.biHeight) != abs(in->biHeight))
        return false;
    *out = f;
    out->biSize = sizeof(BITMAPINFOHEADER);
    out->biPlanes = 1;
    out->biClrUsed = out->biClrImportant = 0;
    DWORD rowBytes = ((DWORD)out->biWidth * out->biBitCount + 31) / 32 * 4;
    out->biSizeImage = rowBytes * (DWORD)abs(out->biHeight);
    return true;
}

// Set-up of the own AVI reader (kind 1). Returns 0, 1 with a text, or -1
// when the frames are to be read through the AVIFile getter after all.
// inGetterPlace: the getter could read the file, but the own reader reads
// it faster; the decompressor then decodes to its own format, as for the
// getter, and -1 is returned without a box when it has none fit for that.
int SetUpOwnReader(MovieSource *m, OpenState &s, char *errorText, bool inGetterPlace = false)
{
    LONG inBytes = 0;
    BITMAPINFOHEADER *in = ReadInputFormat(s, &inBytes);
    if (!in)
        return Fail(errorText, IDS_STREAM_INFO_FAILED);
    BITMAPINFOHEADER out = *in;
    out.biSize = sizeof(BITMAPINFOHEADER);
    out.biCompression = BI_RGB;
    out.biBitCount = 24;
    out.biHeight = abs(in->biHeight);
    out.biClrUsed = out.biClrImportant = 0;
    out.biSizeImage = (DWORD)DibRowBytes(out.biWidth, 24) * (DWORD)out.biHeight;

    HIC hic = nullptr;
    DWORD handler = s.handler;
    // Uncompressed frames need no decompressor: they are converted as they
    // are read, whichever way up they are stored.
    s.rawVideo = s.dvFlag != 1 && in->biCompression == BI_RGB;
    if (inGetterPlace) {
        if (!s.rawVideo)
            hic = ICLocate(ICTYPE_VIDEO, handler, in, nullptr, ICMODE_DECOMPRESS);
        if (!hic || !DecoderOwnFormat(hic, in, &out)) {
            if (hic)
                ICClose(hic);
            FreeGlobalBlock(in);
            return -1;
        }
    } else if (s.dvFlag != 3 && !s.rawVideo) {
        hic = ICLocate(ICTYPE_VIDEO, handler, in, &out, ICMODE_DECOMPRESS);
    }
    SetFrameSize(m, out.biWidth, out.biHeight);
    m->nBitCount = out.biBitCount;
    if (!hic && !s.rawVideo) {
        // DV decoders may know the stream only as 'dvis'.
        handler = kDvis;
        in->biCompression = kDvis;
        hic = ICLocate(ICTYPE_VIDEO, handler, in, &out, ICMODE_DECOMPRESS);
    }
    if (!hic && !s.rawVideo) {
        FreeGlobalBlock(in);
        if (LowerFourcc(s.handler) != kDvsd)
            return Fail(errorText, IDS_NO_DECODER);
        AppMessageBox(s.owner, LoadStr(IDS_FIRST_HALF_ONLY), LoadStr(IDS_CONFIRM_CAPTION), MB_ICONWARNING);
        return -1;
    }
    m->hic = (HIC__ *)hic;

    // The index first: the chunk buffer is sized by the largest chunk.
    bool ok = true;
    ChunkTable video, audio;
    ok = InitChunkTable(&video, FramesTheFileCanHold(m->nFrames, s.fileSize), false) &&
         InitChunkTable(&audio, 0, true);
    AviIndexTotals totals = {};
    AviStreamChoice streams = {s.videoStream, s.haveAudio ? s.audioStream : -1, s.rawVideo};
    int found = 0;
    if (ok)
        found = g_bTwoStreamAvi ? ReadAviIndex(s.file, streams, &video, &audio, &totals)
                                : ReadOpenDmlIndex(s.file, streams, &video, &audio, &totals);
    m->pVideoIndex = video.entries;
    m->pAudioIndex = audio.entries;
    m->nAudioCapacity = audio.capacity;
    // An index whose every chunk lies outside the file names no frame.
    if (!ok || UsableEntries(video.entries, found) == 0) {
        FreeGlobalBlock(in);
        ReleaseOwnReader(m);
        return inGetterPlace ? -1 : Fail(errorText, IDS_NO_FRAME_INDEX);
    }
    // In the getter's place only with every frame the getter would show.
    if (inGetterPlace && found < m->nFrames) {
        FreeGlobalBlock(in);
        ReleaseOwnReader(m);
        return -1;
    }
    m->nVideoEntries = found;
    if (found < m->nFrames)
        m->nFrames = found;
    m->nAudioChunks = audio.count;
    m->nAudioBytes = totals.audioBytes;
    m->nMaxAudioChunk = totals.maxAudioChunk;

    m->nMaxFrameBytes = (int)out.biSizeImage;
    // Uncompressed chunks are read where the format's own pixels begin, so
    // that the format and the chunk make one packed DIB.
    m->nFormatBytes = s.rawVideo ? (int)DibBitsOffset((const PackedDib *)in) : inBytes;
    m->nChunkBytes = totals.maxVideoChunk > m->nMaxFrameBytes ? totals.maxVideoChunk : m->nMaxFrameBytes;
    m->pChunk = (BYTE *)AllocGlobalBlock((size_t)m->nChunkBytes + (size_t)m->nFormatBytes, 1);
    m->pDecoded = (PackedDib *)AllocGlobalBlock((size_t)out.biSizeImage + sizeof out, 0);
    if (!m->pChunk || !m->pDecoded || !MakeEyeFrames(m)) {
        FreeGlobalBlock(in);
        ReleaseOwnReader(m);
        return Fail(errorText, IDS_NO_DECODER);
    }
    memcpy(m->pChunk, in, (size_t)(inBytes < m->nFormatBytes ? inBytes : m->nFormatBytes));
    memcpy(m->pDecoded, &out, sizeof out);
    FreeGlobalBlock(in);
    if (hic && ICDecompressBegin(hic, m->pChunk, m->pDecoded) != ICERR_OK) {
        ReleaseOwnReader(m);
        return Fail(errorText, IDS_NO_DECODER);
    }

    HANDLE raw = CreateFileA(s.file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        ReleaseOwnReader(m);
        return Fail(errorText, IDS_RAW_OPEN_FAILED);
    }
    m->hFile = (intptr_t)raw;
    m->nDecodedFrame = -1;
    // A format that lies about the frames, or frames no decoder can read,
    // are told now rather than shown as a blank picture.
    int first = 0;
    while (m->pVideoIndex[first].size == 0)
        first++;
    if (ReadOwnAviFrame(m, first) != 0) {
        ReleaseOwnReader(m);
        s.firstFrameUnread = true;
        return Fail(errorText, IDS_NO_CODEC);
    }
    m->nKind = kSourceOwnReader;
    return 0;
}

// The sound of kinds 0 and 1: its format, the bytes of one frame and the
// in-memory WAVE header. A format that cannot be described drops the sound.
void SetUpSound(MovieSource *m, OpenState &s)
{
    std::vector<BYTE> format = ReadFormat(s.audio);
    WAVEFORMATEX wf = {};
    bool ok = format.size() >= sizeof(WAVEFORMAT);
    if (ok)
        memcpy(&wf, format.data(), format.size() < sizeof wf ? format.size() : sizeof wf);
    if (!ok || wf.nBlockAlign == 0 || wf.nChannels == 0 || wf.nSamplesPerSec == 0 || m->nAudioScale == 0 ||
        m->nAudioRate == 0) {
        if (m->pAudio)
            AVIStreamRelease((PAVISTREAM)m->pAudio);
        m->pAudio = nullptr;
        s.haveAudio = false;
        m->nAudioScale = m->nAudioRate = 0;
        return;
    }
    if (s.framesPerHundredSeconds > 0) {
        m->nAudioPerFrame = SoundBytesPerFrame(wf.nBlockAlign, wf.nSamplesPerSec, s.framesPerHundredSeconds);
    } else {
        // Below one frame in a hundred seconds: from the exact rate.
        uint64_t bytes = (uint64_t)wf.nBlockAlign * wf.nSamplesPerSec * m->nScale / m->nRate;
        m->nAudioPerFrame = (int)((bytes > 0x7FFFFFF8u ? 0x7FFFFFF8u : bytes) & ~(uint64_t)7);
    }
    m->nBlockAlign = wf.nBlockAlign;
    m->nChannels = wf.nChannels;
    int dataSize = WaveDataSize(g_nCacheBudget, m->nAudioPerFrame, m->nFrames);
    m->nWaveBufSize = dataSize + 100;
    m->pWaveHeader = (BYTE *)AllocGlobalBlock(44, 1);
    if (m->pWaveHeader)
        FillWaveHeader(m->pWaveHeader, dataSize, wf.wFormatTag, wf.nChannels, wf.nSamplesPerSec, wf.nAvgBytesPerSec,
                       wf.nBlockAlign);
}

}  // namespace

void CloseMovieSource(MovieSource *m)
{
    if (m->pGetFrame) {
        AVIStreamGetFrameClose((PGETFRAME)m->pGetFrame);
        m->pGetFrame = nullptr;
    }
    if (m->nKind == kSourceAviFile) {
        // The getter's frame is its own memory.
        m->pDecoded = nullptr;
        m->pCurrent = nullptr;
    }
    if (m->nKind == kSourcePlugin && m->hFile != -1 && m->hFile != 0) {
        ClosePluginFile(m);
        m->hFile = -1;
    }
    // Whatever the kind reached, everything the own reader set up goes.
    ReleaseOwnReader(m);
    FreeDib(m->pAligned);
    FreeDib(m->pTurned);
    FreeGlobalBlock(m->pWaveHeader);
    m->pAligned = m->pTurned = nullptr;
    m->pWaveHeader = nullptr;
    if (m->pCompressed)
        AVIStreamRelease((PAVISTREAM)m->pCompressed);
    if (m->pVideo)
        AVIStreamRelease((PAVISTREAM)m->pVideo);
    if (m->pAudio)
        AVIStreamRelease((PAVISTREAM)m->pAudio);
    if (m->pAviFile)
        AVIFileRelease((PAVIFILE)m->pAviFile);
    if (m->hDrawDib)
        DrawDibClose((HDRAWDIB)m->hDrawDib);
    InitMovieSource(m);
}

namespace {

// The streams of the file through AVIFile (the usual road), or from
// the file's own headers where Wine's AVIFile would not return. 0, or an
// error id.
int ListStreams(MovieSource *m, OpenState &s, std::vector<StreamEntry> *streams)
{
    AviHeaders headers;
    AviFile *raw = OpenAviFile(s.file);
    bool parsed = false;
    if (raw) {
        parsed = ReadAviHeaders(AviFileSource(raw), &headers);
        CloseAviFile(raw);
    }
    if (parsed) {
        s.headerWidth = headers.width;
        s.headerHeight = headers.height;
        switch (CheckAviHeaders(headers)) {
        case kAviStreamCountWrong:
            return IDS_AVI_INFO_FAILED;
        case kAviSoundWithoutRate:
            return IDS_STREAM_INFO_FAILED;
        case kAviHeadersFit:
            break;
        }
    }
    bool zeroRate = false;
    for (const AviStreamHeader &h : headers.streams)
        zeroRate = zeroRate || h.rate == 0 || h.scale == 0;
    s.withoutAviFile = parsed && AviFileOpenUnusable(headers.firstRiffEnd, zeroRate);
    if (s.withoutAviFile) {
        for (const AviStreamHeader &h : headers.streams) {
            StreamEntry e = {};
            e.info.fccType = h.fccType;
            e.info.fccHandler = h.fccHandler;
            e.info.dwScale = h.scale;
            e.info.dwRate = h.rate;
            e.info.dwStart = h.start;
            e.info.dwLength = h.length;
            e.info.dwSuggestedBufferSize = h.suggestedBufferSize;
            e.info.dwSampleSize = h.sampleSize;
            SetRect(&e.info.rcFrame, h.rcFrame[0], h.rcFrame[1], h.rcFrame[2], h.rcFrame[3]);
            e.format = h.format;
            streams->push_back(e);
        }
        return 0;
    }
    PAVIFILE file = nullptr;
    if (AVIFileOpenA(&file, s.file, OF_SHARE_DENY_NONE, nullptr) != 0)
        return IDS_AVI_OPEN_FAILED;
    m->pAviFile = (IAVIFile *)file;
    if (AVIFileInfoA(file, &s.fileInfo, sizeof s.fileInfo) != 0)
        return IDS_AVI_INFO_FAILED;
    for (DWORD j = 0; j < s.fileInfo.dwStreams; j++) {
        StreamEntry e = {};
        if (AVIFileGetStream(file, &e.handle, 0, (LONG)j) != 0) {
            for (StreamEntry &o : *streams)
                AVIStreamRelease(o.handle);
            return IDS_STREAM_FAILED;
        }
        streams->push_back(e);
        if (AVIStreamInfoA(e.handle, &streams->back().info, sizeof e.info) != 0) {
            for (StreamEntry &o : *streams)
                AVIStreamRelease(o.handle);
            return IDS_STREAM_INFO_FAILED;
        }
    }
    return 0;
}

void Release(StreamEntry &e)
{
    if (e.handle)
        AVIStreamRelease(e.handle);
    e.handle = nullptr;
}

}  // namespace

int OpenMovieSource(HWND owner, const char *path, MovieSource *m, char *errorText, int aviSynthKind)
{
    g_szFourcc[0] = '\0';
    errorText[0] = '\0';
    bool takeLast = m->nWidth != 0;
    CopyPathText(m->szPath, sizeof m->szPath, path);
    GetFileNameFromPath(m->szName, path);

    if (aviSynthKind < 0)
        aviSynthKind = 0;
    if (aviSynthKind > 2)
        aviSynthKind = 2;
    OpenState s = {};
    s.owner = owner;
    s.file = path;
    if (aviSynthKind != 0) {
        WriteAvisynthScript(g_szTempAvs, path, aviSynthKind);
        s.file = g_szTempAvs;
    }
    char ext[260];
    GetFileExtension(ext, s.file);
    if (lstrcmpiA(ext, "avs") != 0 && lstrcmpiA(ext, "avi") != 0)
        return OpenPluginMovie(owner, path, m, errorText);

    HANDLE probe = CreateFileA(s.file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return Fail(errorText, IDS_AVI_OPEN_FAILED);
    LARGE_INTEGER fileSize;
    bool sized = GetFileSizeEx(probe, &fileSize) != 0;
    CloseHandle(probe);
    if (!sized)
        return Fail(errorText, IDS_AVI_OPEN_FAILED);
    s.fileSize = (uint64_t)fileSize.QuadPart;
    s.large = s.fileSize > 0x7FFFFFFFu;

    std::vector<StreamEntry> streams;
    if (int id = ListStreams(m, s, &streams))
        return Fail(errorText, id);

    s.videoStream = s.audioStream = -1;
    int failure = 0;
    for (size_t j = 0; j < streams.size(); j++) {
        StreamEntry &e = streams[j];
        const AVISTREAMINFOA &info = e.info;
        if (failure) {
            Release(e);
            continue;
        }
        if (info.fccType == streamtypeAUDIO) {
            // A later sound stream replaces an earlier one.
            Release(s.audio);
            s.audio = e;
            s.haveAudio = true;
            m->nAudioScale = info.dwScale;
            m->nAudioRate = info.dwRate;
            s.audioStream = (int)j;
            continue;
        }
        bool isDv1 = info.fccType == kIavs;
        // The first video stream, or the last one when asked (the second
        // eye of a two-stream 3D-AVI).
        if ((info.fccType != streamtypeVIDEO && !isDv1) || (s.haveVideo && !takeLast)) {
            Release(e);
            continue;
        }
        // A rate or scale of 0 makes every timing a division by zero.
        if (info.dwRate == 0 || info.dwScale == 0) {
            Release(e);
            failure = IDS_STREAM_INFO_FAILED;
            continue;
        }
        Release(s.video);
        s.video = e;
        s.haveVideo = true;
        s.dvFlag = isDv1 ? 1 : 0;
        s.videoStream = (int)j;
        s.videoInfo = info;
        s.handler = info.fccHandler;
        m->nScale = info.dwScale;
        m->nRate = info.dwRate;
        m->nStep = 1;
        m->nPluginMode = 0;
        m->nMsPerFrame = (int)((uint64_t)info.dwScale * 1000 / info.dwRate);
        s.framesPerHundredSeconds = (uint64_t)info.dwRate * 100 / info.dwScale;
        FourccToText(info.fccHandler, g_szFourcc);
    }
    m->pVideo = (IAVIStream *)s.video.handle;
    m->pAudio = (IAVIStream *)s.audio.handle;
    if (failure)
        return Fail(errorText, failure);
    if (!s.haveVideo)
        return Fail(errorText, IDS_NOT_AVI);
    LONG length = s.withoutAviFile ? (LONG)s.videoInfo.dwLength : AVIStreamLength((PAVISTREAM)m->pVideo);
    if (length < 0)
        return Fail(errorText, IDS_STREAM_INFO_FAILED);
    // Pixels that cannot be laid out as the format says are refused before
    // any road reads them.
    std::vector<BYTE> videoFormat = ReadFormat(s.video);
    if (s.dvFlag != 1 && videoFormat.size() >= sizeof(BITMAPINFOHEADER) &&
        !UncompressedFormatUsable(videoFormat.data(), videoFormat.size()))
        return Fail(errorText, IDS_STREAM_INFO_FAILED);
    // A length the file cannot hold is a lie: the index says how many
    // frames there are (none listed: refused).
    if (FramesTheFileCanHold(length, s.fileSize) < length) {
        bool raw = videoFormat.size() >= sizeof(BITMAPINFOHEADER) &&
                   ((const BITMAPINFOHEADER *)videoFormat.data())->biCompression == BI_RGB;
        length = CountIndexedFrames(s, raw, FramesTheFileCanHold(length, s.fileSize));
        if (length == 0)
            return Fail(errorText, IDS_STREAM_INFO_FAILED);
    }
    m->nFrames = length;

    bool own = s.dvFlag == 1 || s.withoutAviFile;
    if (!own && AviGetterMisreadsRawFrames()) {
        std::vector<BYTE> format = ReadFormat(s.video);
        own = format.size() >= sizeof(BITMAPINFOHEADER) &&
              ((const BITMAPINFOHEADER *)format.data())->biCompression == BI_RGB;
    }
    if (own && s.dvFlag == 0)
        s.dvFlag = 2;
    if (!own && LowerFourcc(s.handler) == kDvsd) {
        if (!QueryDecompressor(kDvsd)) {
            if (!QueryDecompressor(kDvis))
                return Fail(errorText, IDS_NO_DV_CODEC);
            s.dvFlag = 3;
            own = true;
        } else {
            PGETFRAME getter = OpenGetter((PAVISTREAM)m->pVideo);
            if (!getter)
                return Fail(errorText, IDS_DV_NO_GETTER);
            if (!AVIStreamGetFrame(getter, m->nFrames - 1))
                s.dvFlag = 2;
            AVIStreamGetFrameClose(getter);
            own = s.dvFlag == 2;
        }
    }
    // Compressed frames under Wine: the own reader in the getter's place
    // (shared/platform_compat.h); the getter after all when the own reader
    // cannot read the file (no index of its own, no fit decompressor).
    bool ownInGetterPlace = false;
    if (!own && s.dvFlag == 0 && LowerFourcc(s.handler) != kDvsd && AviGetterRedecodesCompressedFrames()) {
        int frames = m->nFrames;
        int result = SetUpOwnReader(m, s, errorText, true);
        // The getter would use the same decompressor: no better luck there
        // (and Wine's getter would show its failure as a blank frame).
        if (s.firstFrameUnread)
            return result;
        ownInGetterPlace = result == 0;
        if (!ownInGetterPlace) {
            m->nFrames = frames;
            m->nMaxFrameBytes = m->nFormatBytes = m->nChunkBytes = 0;
            errorText[0] = '\0';
        }
    }
    if (!own && !ownInGetterPlace) {
        PGETFRAME getter = OpenGetter((PAVISTREAM)m->pVideo);
        if (!getter)
            return Fail(errorText, IDS_NO_GETTER);
        m->pGetFrame = (IGetFrame *)getter;
        BITMAPINFOHEADER *frame = (BITMAPINFOHEADER *)AVIStreamGetFrame(getter, 1);
        bool frameOne = frame != nullptr;
        if (!frame)
            frame = (BITMAPINFOHEADER *)AVIStreamGetFrame(getter, 0);
        if (!frame)
            return Fail(errorText, IDS_NO_CODEC);
        if (frame->biWidth <= 0 || frame->biWidth > kDibMaxSide || frame->biHeight == 0 ||
            abs(frame->biHeight) > kDibMaxSide)
            return Fail(errorText, IDS_STREAM_INFO_FAILED);
        SetFrameSize(m, frame->biWidth, frame->biHeight);
        m->nBitCount = frame->biBitCount;
        frame->biPlanes = 1;
        if (frameOne && !s.large) {
            if (!MakeEyeFrames(m))
                return Fail(errorText, IDS_NO_CODEC);
            m->nKind = kSourceAviFile;
        } else {
            s.dvFlag = 2;
            own = true;
        }
    }
    if (own) {
        int result = SetUpOwnReader(m, s, errorText);
        if (result > 0)
            return 1;
        if (result < 0) {
            // No decoder for the own reader: the AVIFile getter shows what
            // it can.
            if (!m->pGetFrame && m->pVideo)
                m->pGetFrame = (IGetFrame *)OpenGetter((PAVISTREAM)m->pVideo);
            if (!m->pGetFrame)
                return Fail(errorText, IDS_NO_GETTER);
            if (!MakeEyeFrames(m))
                return Fail(errorText, IDS_NO_CODEC);
            m->nKind = kSourceAviFile;
        }
    }

    if (s.haveAudio)
        SetUpSound(m, s);
    m->bOpen = 1;
    m->nLayout = 0;
    m->bDeinterlace = g_bDeinterlaceOpt;
    m->hDrawDib = DrawDibOpen();
    return 0;
}
