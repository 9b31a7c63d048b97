// The record of one open movie and its life: closed, open, closed again.
// AVI files and AviSynth scripts open through AVIFile; files that AVIFile
// can open but not deliver frames of (2 GB and more, DV, a missing frame
// 1, the second stream of a 3D-AVI) are read by the own AVI reader; every
// other extension goes to a plug-in.
//
// The record is plain data: the Video for Windows handles are opaque
// pointers here, so portable code (the stereo pair, the index reader) can
// use it.
#ifndef TWR_SOURCES_MOVIE_SOURCE_H
#define TWR_SOURCES_MOVIE_SOURCE_H

#include "shared/packed_dib.h"

#include <stdint.h>

struct IAVIFile;
struct IAVIStream;
struct IGetFrame;
struct HIC__;

enum MovieSourceKind {
    kSourceAviFile = 0,    // frames through the AVIFile frame getter
    kSourceOwnReader = 1,  // own AVI reader: chunk index, raw file, decompressor
    kSourcePlugin = 2,     // a plug-in's function table
};

// One chunk of the own reader's tables: the file offset of the chunk data
// (low and high words), its size, and whether it is a key frame.
struct AviChunkEntry {
    DWORD offsetLow;
    DWORD size;
    DWORD offsetHigh;
    DWORD flags;  // kChunkKeyFrame
    uint64_t Offset() const { return ((uint64_t)offsetHigh << 32) | offsetLow; }
};
enum { kChunkKeyFrame = 1 };

struct MovieSource {
    int bOpen;                  // 1 once an open has succeeded
    int nKind;                  // MovieSourceKind
    void *pluginFuncs[6];       // kind 2: the plug-in's function table (size, then five operations)
    int nLayout;                // StereoLayout code
    int bDeinterlace;           // deinterlace the fetched frames
    char szPath[260];           // the path as given (for an AviSynth open the movie, not the script)
    char szName[260];           // the bare file name
    int nWidth;                 // frame width as delivered; non-zero on entry to the opener: take the last video stream
    int nHeight;
    int nBitCount;
    IAVIFile *pAviFile;
    IAVIStream *pVideo;
    IAVIStream *pAudio;
    IAVIStream *pCompressed;    // the output record's compressed stream of a save
    int nStart;                 // synchronisation offset: pair position p reads frame p + nStart
    int nFrames;
    int nStep;                  // plug-in reads request frame i as i x nStep
    int nPluginMode;            // 0 built-in decoder, 1 outside plug-in with sound, 2 without
    int nMsPerFrame;
    unsigned nScale;
    unsigned nRate;
    // kind 2: room for the plug-in's video and sound read requests (20 and
    // 28 bytes with 32-bit pointers, 32 each in the 64-bit layout)
    void *videoRequest[sizeof(void *) == 4 ? 5 : 4];
    void *audioRequest[sizeof(void *) == 4 ? 7 : 4];
    IGetFrame *pGetFrame;
    PackedDib *pCurrent;        // the frame of the current time step: an alias of one frame below
    BYTE *pChunk;               // kind 1: input format, then room for the largest chunk
    PackedDib *pDecoded;        // kind 0: the getter's memory (not owned); kinds 1, 2 owned
    PackedDib *pFrame24;        // 24-bit frame of the frame size: target of the 24-bit conversion
    PackedDib *pView;           // the eye view cut out of a single-file stereo frame
    PackedDib *pAligned;        // the aligned frame (alignment subsystem)
    HIC__ *hic;                 // kind 1: the video decompressor
    intptr_t hFile;             // kind 1: the raw file; kind 2: the plug-in's file handle; -1 none
    AviChunkEntry *pVideoIndex; // kind 1: video chunks, one entry per frame
    AviChunkEntry *pAudioIndex; // kind 1: sound chunks
    BYTE *pWaveHeader;          // 44-byte WAVE header of the in-memory sound
    int nAudioPerFrame;         // kinds 0, 1: sound bytes of one frame (multiple of 8); kind 2: samples
    int nBlockAlign;
    int nChannels;
    unsigned nAudioScale;
    unsigned nAudioRate;
    int nAudioChunks;           // kind 1: sound chunks indexed
    int64_t nAudioBytes;        // kind 1: sound bytes indexed; kind 2: 1 for single-channel sound
    int nMaxAudioChunk;         // kind 1: the largest sound chunk
    void *hDrawDib;

    // Kept per record (a pair's two movies differ):
    int nWaveBufSize;           // WAVE data size + 100
    int nMaxFrameBytes;         // kind 1: size of the decoded frame
    int nFormatBytes;           // kind 1: size of the input format at the start of pChunk
    int nChunkBytes;            // kind 1: room for chunk data behind it
    int nVideoEntries;          // kind 1: video chunks indexed
    int nAudioCapacity;         // kind 1: entries pAudioIndex has room for
    int nDecodedFrame;          // kind 1: frame pDecoded holds, -1 none
    PackedDib *pTurned;         // the turned or mirrored eye image (owned)
    DWORD nPluginAudioSamples;  // kind 2: the sound's length in samples, the bound of its reads
};

enum { kOpenErrorBytes = 256 };  // room the opener's error text needs

// Process-wide: the four-character code of the last video stream taken
// (shown by the FOURCC dialog), or empty.
extern char g_szFourcc[5];

// Puts a record into its closed state (once per record, at start).
MovieSource *InitMovieSource(MovieSource *m);

// Writes the one-line AviSynth script; 1 on success, 0 when the file
// cannot be written.
int WriteAvisynthScript(const char *scriptPath, const char *moviePath, int kind);

// The four bytes of a FOURCC, low byte first, and a NUL.
char *FourccToText(DWORD code, char *text);

// Sound arithmetic of the opener, in 64 bits.
// Bytes of sound per frame, a multiple of 8: blockAlign x samplesPerSec x
// 100 / framesPerHundredSeconds.
int SoundBytesPerFrame(unsigned blockAlign, unsigned samplesPerSec, uint64_t framesPerHundredSeconds);
// The in-memory WAVE data size: the smaller of budget + 192,000 and
// (bytesPerFrame + 8) x frames + 1,000.
int WaveDataSize(int budget, int bytesPerFrame, int frames);
// The 44-byte header in front of the in-memory sound data.
void FillWaveHeader(BYTE *header, int dataSize, WORD formatTag, WORD channels, DWORD samplesPerSec,
                    DWORD avgBytesPerSec, WORD blockAlign);

#endif
