// The built-in MPEG-1/2 plug-in: the decoder presented through the movie
// plug-in interface (vfapi.h), registered at start-up into g_mpegPlugin.
// Its operations are thin adapters over the video stream object, the audio
// stream object and the cutter.
#ifndef TWR_MPEG_MPEG_PLUGIN_H
#define TWR_MPEG_MPEG_PLUGIN_H

#include "mpeg/audio_stream.h"
#include "mpeg/vfapi.h"
#include "mpeg/video_stream.h"

// The built-in plug-in's record, zero until registration.
extern VfPlugin g_mpegPlugin;

// Fills a plug-in record with the built-in plug-in's information block,
// function table and extension table; 1 on success, 0 (the record zeroed)
// on failure.
int RegisterBuiltinMpegPlugin(VfPlugin *plugin);
// Zeroes the whole record: null operations, no file opens through it.
void ClearPluginRecord(VfPlugin *plugin);
// Turns every '|' of a filter text into NUL, walking it character by
// character (a double-byte character is never split), so that it reads as
// the description and pattern strings a file dialog expects.
void SplitFilterList(char *filter);

// The three queries (a null pointer or a size field other than the exact
// one gives E_FAIL and leaves the block untouched).
HRESULT WINAPI MpegGetPluginInfo(VfPluginInfo *info);
HRESULT WINAPI MpegGetPluginFunc(VfPluginFunctions *funcs);
HRESULT WINAPI MpegGetPluginExtFunc(VfPluginExtFunctions *ext);

// The file handle: the file's video and audio streams (either may be null,
// not both).
struct MpegFileHandle {
    MpegVideoStream *video;
    MpegAudioStream *audio;
};

HRESULT WINAPI MpegOpenFile(const char *path, VfFileHandle *file);
HRESULT WINAPI MpegCloseFile(VfFileHandle file);
HRESULT WINAPI MpegGetFileInfo(VfFileHandle file, VfFileInfo *info);
HRESULT WINAPI MpegGetStreamInfo(VfFileHandle file, DWORD stream, void *info);
HRESULT WINAPI MpegReadData(VfFileHandle file, DWORD stream, void *request);
// Extensions: E_FAIL also for a frame that cannot be decoded (type 0) and
// for a cut that did not complete.
HRESULT WINAPI MpegGetFrameType(VfFileHandle file, VfFrameTypeRequest *request);
HRESULT WINAPI MpegCutToFile(VfFileHandle file, VfCutRequest *request);

#endif
