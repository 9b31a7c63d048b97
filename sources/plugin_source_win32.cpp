// Movies read through a plug-in (kind 2): the built-in MPEG-1/2 decoder
// for every extension but "mov" and "mp4", which go to the outside plug-in
// "QTReader.vfp". The record also holds the AVIFile streams of the
// placeholder movie, so that code written for AVI sources finds its
// handles.
#include "sources/plugin_source.h"

#include "mpeg/layer2_decoder.h"
#include "mpeg/mpeg_plugin.h"
#include "resources/resource_ids.h"
#include "shared/global_memory.h"
#include "shared/path_helpers.h"
#include "shared/string_table.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>
#include <vfw.h>

static_assert(sizeof(((MovieSource *)0)->pluginFuncs) == sizeof(VfPluginFunctions), "plug-in table in the record");
static_assert(sizeof(((MovieSource *)0)->videoRequest) == sizeof(VfVideoReadRequest), "video request in the record");
static_assert(sizeof(((MovieSource *)0)->audioRequest) == sizeof(VfAudioReadRequest), "sound request in the record");

namespace {

VfPluginFunctions *FuncsOf(MovieSource *m) { return (VfPluginFunctions *)m->pluginFuncs; }
VfVideoReadRequest *VideoRequestOf(MovieSource *m) { return (VfVideoReadRequest *)m->videoRequest; }
VfAudioReadRequest *AudioRequestOf(MovieSource *m) { return (VfAudioReadRequest *)m->audioRequest; }
VfFileHandle HandleOf(const MovieSource *m) { return (VfFileHandle)(INT_PTR)m->hFile; }

int Fail(char *errorText, int id)
{
    lstrcpynA(errorText, LoadStr(id), kOpenErrorBytes);
    return 1;
}

// The placeholder movie's streams into the record; 0, or an error id.
int OpenPlaceholder(MovieSource *m)
{
    PAVIFILE file = nullptr;
    if (AVIFileOpenA(&file, g_szTempAvi, OF_SHARE_DENY_NONE, nullptr) != 0)
        return IDS_AVI_OPEN_FAILED;
    m->pAviFile = (IAVIFile *)file;
    AVIFILEINFOA info;
    if (AVIFileInfoA(file, &info, sizeof info) != 0)
        return IDS_AVI_INFO_FAILED;
    for (DWORD i = 0; i < info.dwStreams; i++) {
        PAVISTREAM stream = nullptr;
        if (AVIFileGetStream(file, &stream, 0, (LONG)i) != 0)
            return IDS_STREAM_FAILED;
        AVISTREAMINFOA si;
        if (AVIStreamInfoA(stream, &si, sizeof si) != 0) {
            AVIStreamRelease(stream);
            return IDS_STREAM_INFO_FAILED;
        }
        if (si.fccType == streamtypeVIDEO && !m->pVideo)
            m->pVideo = (IAVIStream *)stream;
        else if (si.fccType == streamtypeAUDIO && !m->pAudio)
            m->pAudio = (IAVIStream *)stream;
        else
            AVIStreamRelease(stream);
    }
    return 0;
}

void DropPlaceholderSound(MovieSource *m)
{
    if (m->pAudio)
        AVIStreamRelease((PAVISTREAM)m->pAudio);
    m->pAudio = nullptr;
}

// Closes the plug-in's file of a record whose open failed half-way.
int CloseAndFail(MovieSource *m)
{
    ClosePluginFile(m);
    m->hFile = -1;
    return 1;
}

} // namespace

void WritePlaceholderAvi()
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, "MPGAVI", "Binary");
    HGLOBAL loaded = res ? LoadResource(module, res) : nullptr;
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    DWORD size = res ? SizeofResource(module, res) : 0;
    // Truncated (or made) first, then written whole.
    if (FILE *f = fopen(g_szTempAvi, "wb"))
        fclose(f);
    if (!bytes)
        return;
    HFILE h = _lopen(g_szTempAvi, OF_WRITE);
    if (h != HFILE_ERROR) {
        _lwrite(h, (LPCCH)bytes, size);
        _lclose(h);
    }
    FreeResource(loaded);
}

const char *LoadOutsidePlugin(const char *folder)
{
    g_nPlugins = 0;
    g_bPluginFound = 0;
    char pattern[MAX_PATH];
    if ((size_t)snprintf(pattern, sizeof pattern, "%sQTReader.vfp", folder) >= sizeof pattern)
        return nullptr;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return nullptr;
    const char *filter = nullptr;
    VfPluginInfo *block = (VfPluginInfo *)g_pluginInfo;
    do {
        char path[MAX_PATH];
        if (g_nPlugins >= (int)(sizeof g_hPlugins / sizeof g_hPlugins[0]) ||
            (size_t)snprintf(path, sizeof path, "%s%s", folder, found.cFileName) >= sizeof path)
            break;
        HMODULE module = LoadLibraryA(path);
        if (!module)
            continue;
        VfGetPluginInfoFunc info = (VfGetPluginInfoFunc)(void *)GetProcAddress(module, "vfGetPluginInfo");
        if (!info) {
            FreeLibrary(module);
            continue;
        }
        memset(block, 0, sizeof *block);
        block->size = kVfPluginInfoSize;
        if (info(block) != 0) {
            FreeLibrary(module);
            continue;
        }
        block->fileTypes[sizeof block->fileTypes - 1] = '\0';
        g_hPlugins[g_nPlugins++] = module;
        g_bPluginFound = 1;
        filter = block->fileTypes;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return filter;
}

int OpenPluginMovie(HWND, const char *path, MovieSource *m, char *errorText)
{
    errorText[0] = '\0';
    g_bMonoMpegAudio = 0;
    CopyPathText(m->szPath, sizeof m->szPath, path);
    GetFileNameFromPath(m->szName, path);
    if (int id = OpenPlaceholder(m))
        return Fail(errorText, id);

    // "mov" and "mp4" go to the outside plug-in, everything else to the
    // built-in decoder.
    char ext[MAX_PATH];
    GetFileExtension(ext, path);
    bool outside = lstrcmpiA(ext, "mov") == 0 || lstrcmpiA(ext, "mp4") == 0;
    VfPluginFunctions *funcs = FuncsOf(m);
    if (outside) {
        if (g_nPlugins < 1 || !g_hPlugins[0])
            return 1;
        VfGetPluginFuncFunc get = (VfGetPluginFuncFunc)(void *)GetProcAddress(g_hPlugins[0], "vfGetPluginFunc");
        if (!get)
            return 1;
        VfPluginFunctions table = {};
        table.size = kVfPluginFunctionsSize;
        if (get(&table) != 0)
            return 1;
        *funcs = table;
        m->nPluginMode = g_bOldQT ? 1 : 2;
    } else {
        *funcs = g_mpegPlugin.funcs;
        m->nPluginMode = 0;
    }
    if (!funcs->openFile || !funcs->closeFile || !funcs->getFileInfo || !funcs->getStreamInfo || !funcs->readData)
        return 1;

    VfFileHandle file = nullptr;
    if (funcs->openFile(path, &file) != 0)
        return 1;
    m->hFile = (intptr_t)file;
    VfFileInfo fileInfo = {kVfFileInfoSize, 0};
    if (funcs->getFileInfo(file, &fileInfo) != 0 || !(fileInfo.streamFlags & kVfVideo))
        return CloseAndFail(m);
    VfVideoStreamInfo video = {};
    video.size = kVfVideoStreamInfoSize;
    if (funcs->getStreamInfo(file, kVfVideo, &video) != 0)
        return CloseAndFail(m);

    // Timing. An outside plug-in counts frames in its own time units: every
    // nStep-th of them is shown at "nMovrate" frames per second.
    if (video.rate == 0 || video.scale == 0 || video.width == 0 || video.height == 0)
        return CloseAndFail(m);
    if (outside) {
        if (g_nMovrate <= 0 || video.rate / (unsigned)g_nMovrate == 0)
            return CloseAndFail(m);
        m->nStep = (int)(video.rate / (unsigned)g_nMovrate);
        m->nRate = (unsigned)g_nMovrate;
        m->nScale = video.scale;
    } else {
        m->nStep = 1;
        m->nRate = video.rate;
        m->nScale = video.scale;
    }
    m->nStart = 0;
    m->nMsPerFrame = (int)((unsigned long long)m->nScale * 1000 / m->nRate);
    m->nFrames = (int)(video.framesLo / (unsigned)m->nStep);
    m->nWidth = (int)video.width;
    m->nHeight = (int)video.height;
    if (g_bDeinterlaceOpt * g_nFieldMode == 1)
        m->nHeight /= 2;
    m->nBitCount = 24;

    // The frame the plug-in writes: its top row is the last row in memory,
    // so top-down rows land bottom-up.
    int rowBytes = DibRowBytes((int)video.width, 24);
    size_t imageBytes = (size_t)rowBytes * video.height;
    PackedDib *decoded = (PackedDib *)AllocGlobalBlock(40 + imageBytes, 0);
    if (!decoded)
        return CloseAndFail(m);
    memset(decoded, 0, 40);
    decoded->biSize = 40;
    decoded->biWidth = (LONG)video.width;
    decoded->biHeight = (LONG)video.height;
    decoded->biPlanes = 1;
    decoded->biBitCount = 24;
    decoded->biCompression = BI_RGB;
    decoded->biSizeImage = (DWORD)imageBytes;
    decoded->biXPelsPerMeter = decoded->biYPelsPerMeter = 2400;
    m->pDecoded = decoded;
    m->pView = CreateDib(m->nWidth, m->nHeight, 24, 0);
    m->pFrame24 = CreateDib(m->nWidth, m->nHeight, 24, 0);
    if (!m->pView || !m->pFrame24)
        return CloseAndFail(m);
    VfVideoReadRequest *vr = VideoRequestOf(m);
    memset(vr, 0, sizeof *vr);
    vr->size = kVfVideoReadRequestSize;
    vr->buffer = (BYTE *)(decoded + 1) + imageBytes - rowBytes;
    vr->pitch = -rowBytes;

    // Sound, unless the outside plug-in is told to give none.
    bool sound = false;
    if ((fileInfo.streamFlags & kVfAudio) && m->nPluginMode != 2) {
        VfAudioStreamInfo audio = {};
        audio.size = kVfAudioStreamInfoSize;
        if (funcs->getStreamInfo(file, kVfAudio, &audio) == 0 && audio.scale != 0 && audio.rate / audio.scale != 32 &&
            audio.rate / audio.scale != 0 && audio.blockAlign != 0 && audio.channels != 0) {
            unsigned long long perSecond = audio.rate / audio.scale;
            m->nAudioPerFrame = (int)(perSecond * m->nScale / m->nRate);
            m->nBlockAlign = (int)audio.blockAlign;
            m->nChannels = (int)audio.channels;
            m->nAudioRate = audio.rate;
            m->nAudioScale = audio.scale;
            unsigned long long budget =
                (unsigned long long)g_nCacheBudget + 3ULL * (unsigned long long)m->nAudioPerFrame * audio.blockAlign;
            unsigned long long whole = (unsigned long long)audio.samplesLo * audio.blockAlign;
            unsigned long long dataSize = budget < whole ? budget : whole;
            if (dataSize > 0x7FFFFF00ULL)
                dataSize = 0x7FFFFF00ULL;
            m->nWaveBufSize = (int)dataSize + 100;
            m->pWaveHeader = (BYTE *)AllocGlobalBlock(44, 1);
            if (m->pWaveHeader)
                FillWaveHeader(m->pWaveHeader, (int)dataSize, 1, (WORD)audio.channels, (DWORD)perSecond,
                               (DWORD)(perSecond * audio.blockAlign), (WORD)audio.blockAlign);
            VfAudioReadRequest *ar = AudioRequestOf(m);
            memset(ar, 0, sizeof *ar);
            ar->size = kVfAudioReadRequestSize;
            m->nPluginAudioSamples = audio.samplesLo;
            sound = true;
        }
    }
    if (!sound)
        DropPlaceholderSound(m);

    m->nKind = kSourcePlugin;
    m->bOpen = 1;
    m->nLayout = 0;
    m->bDeinterlace = g_bDeinterlaceOpt;
    m->hDrawDib = (void *)DrawDibOpen();
    m->nAudioBytes = g_bMonoMpegAudio;
    return 0;
}

int ReadPluginFrame(MovieSource *m, int index)
{
    VfPluginFunctions *funcs = FuncsOf(m);
    if (!funcs->readData || m->hFile == -1 || index < 0)
        return 1;
    VfVideoReadRequest *vr = VideoRequestOf(m);
    VfSplit((long long)index * m->nStep, &vr->frameLo, &vr->frameHi);
    return funcs->readData(HandleOf(m), kVfVideo, vr) != 0 ? 1 : 0;
}

int ReadPluginAudio(MovieSource *m, BYTE *buffer, int count, int first)
{
    VfPluginFunctions *funcs = FuncsOf(m);
    // The bound is this record's sound (the two movies of a pair differ).
    DWORD samples = m->nPluginAudioSamples;
    if ((DWORD)first > samples || count <= 0 || !funcs->readData || m->hFile == -1)
        return 1;
    DWORD wanted = (DWORD)count;
    if (wanted > samples - (DWORD)first)
        wanted = samples - (DWORD)first;
    VfAudioReadRequest *ar = AudioRequestOf(m);
    ar->size = kVfAudioReadRequestSize;
    ar->positionLo = (DWORD)first;
    ar->positionHi = 0;
    ar->wanted = wanted;
    ar->read = 0;
    ar->bufferBytes = 0;
    ar->buffer = buffer;
    if (funcs->readData(HandleOf(m), kVfAudio, ar) != 0)
        return 1;
    // A single channel is heard on both sides.
    if (m->nBlockAlign == 4 && m->nAudioBytes == 1) {
        for (DWORD i = 0; i < wanted; i++)
            memcpy(buffer + 4 * i + 2, buffer + 4 * i, 2);
    }
    return 0;
}

void ClosePluginFile(MovieSource *m)
{
    VfPluginFunctions *funcs = FuncsOf(m);
    if (m->hFile != -1 && funcs->closeFile)
        funcs->closeFile(HandleOf(m));
}

void ReopenPluginFile(MovieSource *m)
{
    VfPluginFunctions *funcs = FuncsOf(m);
    if (m->hFile == -1 || !funcs->closeFile || !funcs->openFile)
        return;
    funcs->closeFile(HandleOf(m));
    VfFileHandle file = nullptr;
    // A file that no longer opens reads no more: its reads then fail.
    m->hFile = funcs->openFile(m->szPath, &file) == 0 ? (intptr_t)file : -1;
}
