// The movie plug-in interface (modelled on VFAPI) through which every movie
// that is neither an AVI file nor an AviSynth script is read: by the
// built-in MPEG-1/2 decoder and by outside plug-in modules such as
// "QTReader.vfp". A plug-in describes itself in an information block and
// offers five operations (open file, close file, file information, stream
// information, read data); every record that crosses the interface begins
// with its own size in bytes, which the called side checks exactly.
//
// The records are little-endian structures of 32-bit fields and pointers,
// exchanged with modules built by others: in the 32-bit program (the
// product) their layout is fixed and checked below. A 64-bit build (and the
// stand-in modules built with it) uses the natural layout of the same
// records, so the sizes of the records holding pointers are their sizeof. Every operation uses the Windows API calling
// convention and returns 0 for success and E_FAIL for every failure.
#ifndef TWR_MPEG_VFAPI_H
#define TWR_MPEG_VFAPI_H

#include "shared/wintypes.h"

#include <stddef.h>

#ifndef _WIN32
#define WINAPI
typedef int32_t HRESULT;
typedef void *HMODULE;
#define E_FAIL ((HRESULT)0x80004005L)
#endif

enum {
    kVfPluginInfoSize = 528,
    kVfFileInfoSize = 8,
    kVfVideoStreamInfoSize = 32,
    kVfAudioStreamInfoSize = 32,
    kVfFrameTypeRequestSize = 16,
};

// Stream kinds and stream numbers.
enum { kVfVideo = 1, kVfAudio = 2 };

struct VfPluginInfo {
    DWORD size;              // 528, set by the caller before the query
    DWORD interfaceVersion;
    DWORD pluginVersion;
    DWORD streamKinds;       // bit 0 video, bit 1 audio
    char name[256];          // NUL-terminated
    char fileTypes[256];     // "description|patterns", NUL-terminated
};

// A plug-in's handle of one open file.
typedef void *VfFileHandle;

struct VfFileInfo {
    DWORD size;              // 8
    DWORD streamFlags;       // out: bit 0 video, bit 1 audio
};

struct VfVideoStreamInfo {
    DWORD size;              // 32
    DWORD framesLo, framesHi;
    DWORD rate, scale;       // rate / scale frames per second
    DWORD width, height;
    DWORD bitCount;          // of the frames read data delivers
};

struct VfAudioStreamInfo {
    DWORD size;              // 32
    DWORD samplesLo, samplesHi;
    DWORD rate, scale;       // rate / scale samples per second
    DWORD channels;
    DWORD bitsPerSample;
    DWORD blockAlign;        // bytes per sample frame
};

struct VfVideoReadRequest {
    DWORD size;              // 20
    DWORD frameLo, frameHi;
    BYTE *buffer;            // the first byte of the picture's top row
    LONG pitch;              // from one row to the row below it (negative: bottom-up)
};

struct VfAudioReadRequest {
    DWORD size;              // 28
    DWORD positionLo, positionHi;
    DWORD wanted;            // sample frames
    DWORD read;              // out
    DWORD bufferBytes;       // not read by the built-in plug-in
    BYTE *buffer;
};

struct VfFrameTypeRequest {
    DWORD size;              // 16
    DWORD frameLo, frameHi;
    DWORD frameType;         // out: 3 I, 2 P, 1 B of a closed GOP's leading pictures, 0 other B or none
};

// Progress of a cut: the output path and the per cent done; non-zero
// abandons the cut.
typedef LONG(WINAPI *VfCutProgress)(const char *outputPath, LONG percent);

struct VfCutRequest {
    DWORD size;              // 28
    const char *outputPath;
    DWORD firstLo, firstHi;
    DWORD endLo, endHi;
    VfCutProgress progress;  // or null
};

typedef HRESULT(WINAPI *VfOpenFileFunc)(const char *path, VfFileHandle *file);
typedef HRESULT(WINAPI *VfCloseFileFunc)(VfFileHandle file);
typedef HRESULT(WINAPI *VfGetFileInfoFunc)(VfFileHandle file, VfFileInfo *info);
// info is a VfVideoStreamInfo (stream 1) or a VfAudioStreamInfo (stream 2).
typedef HRESULT(WINAPI *VfGetStreamInfoFunc)(VfFileHandle file, DWORD stream, void *info);
// request is a VfVideoReadRequest (stream 1) or a VfAudioReadRequest (stream 2).
typedef HRESULT(WINAPI *VfReadDataFunc)(VfFileHandle file, DWORD stream, void *request);
typedef HRESULT(WINAPI *VfGetFrameTypeFunc)(VfFileHandle file, VfFrameTypeRequest *request);
typedef HRESULT(WINAPI *VfCutToFileFunc)(VfFileHandle file, VfCutRequest *request);

struct VfPluginFunctions {
    DWORD size;              // 24, set by the caller before the query
    VfOpenFileFunc openFile;
    VfCloseFileFunc closeFile;
    VfGetFileInfoFunc getFileInfo;
    VfGetStreamInfoFunc getStreamInfo;
    VfReadDataFunc readData;
};

struct VfPluginExtFunctions {
    DWORD size;              // 12, set by the caller before the query
    VfGetFrameTypeFunc getFrameType;
    VfCutToFileFunc cutToFile;
};

struct VfPlugin {
    HMODULE module;          // the plug-in's library; 0 for the built-in one
    VfPluginInfo info;
    VfPluginFunctions funcs;
    VfPluginExtFunctions ext;
};

// The two exports of an outside module ("vfGetPluginInfo", "vfGetPluginFunc").
typedef HRESULT(WINAPI *VfGetPluginInfoFunc)(VfPluginInfo *info);
typedef HRESULT(WINAPI *VfGetPluginFuncFunc)(VfPluginFunctions *funcs);

// The sizes of the records that hold pointers: 568, 24, 12, 20, 28 and 28
// bytes where pointers are 32 bits.
constexpr DWORD kVfPluginSize = sizeof(VfPlugin);
constexpr DWORD kVfPluginFunctionsSize = sizeof(VfPluginFunctions);
constexpr DWORD kVfPluginExtFunctionsSize = sizeof(VfPluginExtFunctions);
constexpr DWORD kVfVideoReadRequestSize = sizeof(VfVideoReadRequest);
constexpr DWORD kVfAudioReadRequestSize = sizeof(VfAudioReadRequest);
constexpr DWORD kVfCutRequestSize = sizeof(VfCutRequest);

// The layouts, as a 32-bit module exchanges them. Records without pointers
// have them in every build; the others where pointers are 32 bits (the
// 32-bit Windows program).
static_assert(sizeof(VfPluginInfo) == kVfPluginInfoSize && offsetof(VfPluginInfo, streamKinds) == 12 &&
                  offsetof(VfPluginInfo, name) == 16 && offsetof(VfPluginInfo, fileTypes) == 272,
              "VfPluginInfo layout");
static_assert(sizeof(VfFileInfo) == kVfFileInfoSize && offsetof(VfFileInfo, streamFlags) == 4, "VfFileInfo layout");
static_assert(sizeof(VfVideoStreamInfo) == kVfVideoStreamInfoSize && offsetof(VfVideoStreamInfo, framesLo) == 4 &&
                  offsetof(VfVideoStreamInfo, framesHi) == 8 && offsetof(VfVideoStreamInfo, rate) == 12 &&
                  offsetof(VfVideoStreamInfo, scale) == 16 && offsetof(VfVideoStreamInfo, width) == 20 &&
                  offsetof(VfVideoStreamInfo, height) == 24 && offsetof(VfVideoStreamInfo, bitCount) == 28,
              "VfVideoStreamInfo layout");
static_assert(sizeof(VfAudioStreamInfo) == kVfAudioStreamInfoSize && offsetof(VfAudioStreamInfo, samplesLo) == 4 &&
                  offsetof(VfAudioStreamInfo, samplesHi) == 8 && offsetof(VfAudioStreamInfo, rate) == 12 &&
                  offsetof(VfAudioStreamInfo, scale) == 16 && offsetof(VfAudioStreamInfo, channels) == 20 &&
                  offsetof(VfAudioStreamInfo, bitsPerSample) == 24 && offsetof(VfAudioStreamInfo, blockAlign) == 28,
              "VfAudioStreamInfo layout");
static_assert(sizeof(VfFrameTypeRequest) == kVfFrameTypeRequestSize && offsetof(VfFrameTypeRequest, frameLo) == 4 &&
                  offsetof(VfFrameTypeRequest, frameHi) == 8 && offsetof(VfFrameTypeRequest, frameType) == 12,
              "VfFrameTypeRequest layout");
#if defined(__i386__) || (defined(_WIN32) && !defined(_WIN64))
static_assert(sizeof(VfPlugin) == 568 && offsetof(VfPlugin, info) == 4 && offsetof(VfPlugin, funcs) == 532 &&
                  offsetof(VfPlugin, ext) == 556,
              "VfPlugin layout");
static_assert(sizeof(VfPluginFunctions) == 24 && offsetof(VfPluginFunctions, openFile) == 4 &&
                  offsetof(VfPluginFunctions, closeFile) == 8 && offsetof(VfPluginFunctions, getFileInfo) == 12 &&
                  offsetof(VfPluginFunctions, getStreamInfo) == 16 && offsetof(VfPluginFunctions, readData) == 20,
              "VfPluginFunctions layout");
static_assert(sizeof(VfPluginExtFunctions) == 12 &&
                  offsetof(VfPluginExtFunctions, getFrameType) == 4 && offsetof(VfPluginExtFunctions, cutToFile) == 8,
              "VfPluginExtFunctions layout");
static_assert(sizeof(VfVideoReadRequest) == 20 && offsetof(VfVideoReadRequest, frameLo) == 4 &&
                  offsetof(VfVideoReadRequest, frameHi) == 8 && offsetof(VfVideoReadRequest, buffer) == 12 &&
                  offsetof(VfVideoReadRequest, pitch) == 16,
              "VfVideoReadRequest layout");
static_assert(sizeof(VfAudioReadRequest) == 28 && offsetof(VfAudioReadRequest, wanted) == 12 &&
                  offsetof(VfAudioReadRequest, read) == 16 && offsetof(VfAudioReadRequest, bufferBytes) == 20 &&
                  offsetof(VfAudioReadRequest, buffer) == 24,
              "VfAudioReadRequest layout");
static_assert(sizeof(VfCutRequest) == 28 && offsetof(VfCutRequest, outputPath) == 4 &&
                  offsetof(VfCutRequest, firstLo) == 8 && offsetof(VfCutRequest, firstHi) == 12 &&
                  offsetof(VfCutRequest, endLo) == 16 && offsetof(VfCutRequest, endHi) == 20 &&
                  offsetof(VfCutRequest, progress) == 24,
              "VfCutRequest layout");
#endif

// 64-bit counts and positions from their two 32-bit halves, and back.
inline long long VfJoin(DWORD lo, DWORD hi) { return (long long)(((unsigned long long)hi << 32) | lo); }
inline void VfSplit(long long v, DWORD *lo, DWORD *hi)
{
    *lo = (DWORD)((unsigned long long)v & 0xFFFFFFFFu);
    *hi = (DWORD)((unsigned long long)v >> 32);
}

#endif
