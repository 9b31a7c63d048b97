#include "mpeg/mpeg_plugin.h"

#include "mpeg/decoder_settings.h"
#include "mpeg/mpeg_cutter.h"
#include "mpeg/name_chars.h"

#include <stdlib.h>
#include <string.h>

VfPlugin g_mpegPlugin;

namespace {

const char kPluginName[] = "MPEG-2 VIDEO Plug-In";
const char kPluginFilter[] =
    "MPEG-1/2 File |*.mpeg;*.mpg;*.m2p;*.mp2;*.vob;*.vro;*.m2v;*.m1v;*.mpv;*.ves;*.m2t;*.ssg;*.ts;*.bs";

MpegFileHandle *HandleOf(VfFileHandle file) { return (MpegFileHandle *)file; }

HRESULT MpegGetVideoInfo(MpegVideoStream *v, VfVideoStreamInfo *info)
{
    VfSplit(v->frameCount, &info->framesLo, &info->framesHi);
    info->rate = v->rate;
    info->scale = v->scale;
    info->width = (DWORD)v->outWidth;
    info->height = (DWORD)v->outHeight;
    info->bitCount = 24;
    return 0;
}

HRESULT MpegGetAudioInfo(MpegAudioStream *a, VfAudioStreamInfo *info)
{
    // Always 16-bit stereo: a single channel is delivered on both.
    VfSplit(a->sampleCount, &info->samplesLo, &info->samplesHi);
    info->rate = (DWORD)a->rate;
    info->scale = 1;
    info->channels = 2;
    info->bitsPerSample = 16;
    info->blockAlign = 4;
    return 0;
}

HRESULT MpegReadVideo(MpegVideoStream *v, VfVideoReadRequest *r)
{
    if (r->size != kVfVideoReadRequestSize || !r->buffer)
        return E_FAIL;
    return ReadVideoFrameRgb24(v, VfJoin(r->frameLo, r->frameHi), r->buffer, r->pitch) ? 0 : E_FAIL;
}

HRESULT MpegReadAudio(MpegAudioStream *a, VfAudioReadRequest *r)
{
    if (r->size != kVfAudioReadRequestSize || !r->buffer)
        return E_FAIL;
    // The buffer receives wanted x 4 bytes.
    if (r->wanted == 0 || r->wanted > 0x1FFFFFFF)
        return E_FAIL;
    int got = ReadAudioSamples(a, VfJoin(r->positionLo, r->positionHi), r->buffer, (int)r->wanted);
    r->read = (DWORD)(got > 0 ? got : 0);
    return got > 0 ? 0 : E_FAIL;
}

} // namespace

void SplitFilterList(char *filter)
{
    for (char *p = filter; *p;) {
        char *next = NextNameChar(p);
        if (*p == '|')
            *p = 0;
        p = next;
    }
}

void ClearPluginRecord(VfPlugin *plugin) { memset(plugin, 0, sizeof *plugin); }

int RegisterBuiltinMpegPlugin(VfPlugin *plugin)
{
    ClearPluginRecord(plugin);
    plugin->info.size = kVfPluginInfoSize;
    if (MpegGetPluginInfo(&plugin->info) == 0) {
        SplitFilterList(plugin->info.fileTypes);
        plugin->funcs.size = kVfPluginFunctionsSize;
        if (MpegGetPluginFunc(&plugin->funcs) == 0) {
            plugin->ext.size = kVfPluginExtFunctionsSize;
            if (MpegGetPluginExtFunc(&plugin->ext) == 0)
                return 1;
        }
    }
    ClearPluginRecord(plugin);
    return 0;
}

HRESULT WINAPI MpegGetPluginInfo(VfPluginInfo *info)
{
    if (!info || info->size != kVfPluginInfoSize)
        return E_FAIL;
    info->interfaceVersion = 1;
    info->pluginVersion = 1;
    info->streamKinds = kVfVideo | kVfAudio;
    memcpy(info->name, kPluginName, sizeof kPluginName);
    memcpy(info->fileTypes, kPluginFilter, sizeof kPluginFilter);
    return 0;
}

HRESULT WINAPI MpegGetPluginFunc(VfPluginFunctions *funcs)
{
    if (!funcs || funcs->size != kVfPluginFunctionsSize)
        return E_FAIL;
    funcs->openFile = MpegOpenFile;
    funcs->closeFile = MpegCloseFile;
    funcs->getFileInfo = MpegGetFileInfo;
    funcs->getStreamInfo = MpegGetStreamInfo;
    funcs->readData = MpegReadData;
    return 0;
}

HRESULT WINAPI MpegGetPluginExtFunc(VfPluginExtFunctions *ext)
{
    if (!ext || ext->size != kVfPluginExtFunctionsSize)
        return E_FAIL;
    ext->getFrameType = MpegGetFrameType;
    ext->cutToFile = MpegCutToFile;
    return 0;
}

HRESULT WINAPI MpegOpenFile(const char *path, VfFileHandle *file)
{
    if (!file)
        return E_FAIL;
    *file = nullptr;
    if (!path)
        return E_FAIL;
    MpegFileHandle *h = (MpegFileHandle *)calloc(1, sizeof(MpegFileHandle));
    if (!h)
        return E_FAIL;
    h->video = OpenVideoStream(path);
    h->audio = OpenAudioStream(path, (int)ReadSettingFile());
    // The mono flag as the stream is, not as the last header met while
    // searching for it was (a false sync inside stereo data reads as mono).
    g_bMonoMpegAudio = h->audio ? (h->audio->channels == 1 ? 1 : 2) : 0;
    if (!h->video && !h->audio) {
        free(h);
        return E_FAIL;
    }
    *file = h;
    return 0;
}

HRESULT WINAPI MpegCloseFile(VfFileHandle file)
{
    MpegFileHandle *h = HandleOf(file);
    if (!h)
        return E_FAIL;
    CloseVideoStream(h->video);
    CloseAudioStream(h->audio);
    free(h);
    return 0;
}

HRESULT WINAPI MpegGetFileInfo(VfFileHandle file, VfFileInfo *info)
{
    MpegFileHandle *h = HandleOf(file);
    if (!h || !info || info->size != kVfFileInfoSize)
        return E_FAIL;
    info->streamFlags = (h->video ? kVfVideo : 0) | (h->audio ? kVfAudio : 0);
    return 0;
}

HRESULT WINAPI MpegGetStreamInfo(VfFileHandle file, DWORD stream, void *info)
{
    MpegFileHandle *h = HandleOf(file);
    if (!h || !info)
        return E_FAIL;
    if (stream == kVfVideo) {
        VfVideoStreamInfo *vi = (VfVideoStreamInfo *)info;
        if (vi->size != kVfVideoStreamInfoSize || !h->video)
            return E_FAIL;
        return MpegGetVideoInfo(h->video, vi);
    }
    if (stream == kVfAudio) {
        VfAudioStreamInfo *ai = (VfAudioStreamInfo *)info;
        if (ai->size != kVfAudioStreamInfoSize || !h->audio)
            return E_FAIL;
        return MpegGetAudioInfo(h->audio, ai);
    }
    return E_FAIL;
}

HRESULT WINAPI MpegReadData(VfFileHandle file, DWORD stream, void *request)
{
    MpegFileHandle *h = HandleOf(file);
    if (!h || !request)
        return E_FAIL;
    if (stream == kVfVideo)
        return h->video ? MpegReadVideo(h->video, (VfVideoReadRequest *)request) : E_FAIL;
    if (stream == kVfAudio)
        return h->audio ? MpegReadAudio(h->audio, (VfAudioReadRequest *)request) : E_FAIL;
    return E_FAIL;
}

HRESULT WINAPI MpegGetFrameType(VfFileHandle file, VfFrameTypeRequest *request)
{
    MpegFileHandle *h = HandleOf(file);
    if (!h || !request || request->size != kVfFrameTypeRequestSize || !h->video)
        return E_FAIL;
    // 1 I, 2 P, 3 B, 4 B of a closed GOP's leading pictures; 0 none.
    static const DWORD kTypes[5] = {0, 3, 2, 0, 1};
    int type = GetFrameCodingType(h->video, VfJoin(request->frameLo, request->frameHi));
    request->frameType = type >= 0 && type <= 4 ? kTypes[type] : 0;
    return type > 0 ? 0 : E_FAIL;
}

HRESULT WINAPI MpegCutToFile(VfFileHandle file, VfCutRequest *request)
{
    MpegFileHandle *h = HandleOf(file);
    if (!h || !request || request->size != kVfCutRequestSize || !h->video || !request->outputPath)
        return E_FAIL;
    MpegCutter *c = PrepareMpegCut(h->video->v->path, h->video->joinNumbered);
    if (!c)
        return E_FAIL;
    SetCutProgress(c, request->progress);
    CutResult r = RunMpegCut(c, request->outputPath, VfJoin(request->firstLo, request->firstHi),
                             VfJoin(request->endLo, request->endHi));
    CloseMpegCut(c);
    return r == kCutDone ? 0 : E_FAIL;
}
