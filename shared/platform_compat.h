// Where Wine's implementation of a call the program makes is missing or
// wrong, the least fallback that gives the same result, kept here in one
// place. Each one says what it replaces and when.
#ifndef TWR_SHARED_PLATFORM_COMPAT_H
#define TWR_SHARED_PLATFORM_COMPAT_H

#include "shared/wintypes.h"

#include <stdint.h>

struct IAVIStream;

// True when the program runs under Wine.
bool IsRunningOnWine();

// Wine's AVIFileOpen walks the top level of the first RIFF with 32-bit
// signed positions: on a file whose first RIFF ends beyond 2 GB (an AVI 1.0
// file of more than 2 GB) it never returns. And reading the facts of a
// stream whose rate or scale is 0 stops the whole process with a failed
// assertion. True when, for a file of these facts, AVIFileOpen must not be
// called; the opener then reads the headers itself and the frames through
// its own reader, as AVIFile would have let it.
bool AviFileOpenUnusable(uint64_t firstRiffEnd, bool zeroTimeStream);

// Wine's AVIFile frame getter hands out a stale picture for uncompressed
// ('DIB ') streams when a frame is asked out of order (frame 3 right after
// frame 1 gives frame 1 again). True when uncompressed video must be read
// through the own reader to be frame-accurate.
bool AviGetterMisreadsRawFrames();

// Wine's frame getter keeps no note of the compressed frame it last
// decoded: every call decodes again from the key frame that its index
// names before the frame asked for. And its index takes every '##dc' chunk
// after the first for a delta frame when the main header carries
// AVIF_TRUSTCKTYPE, as every file ffmpeg writes does. Frame n of such a
// file then costs n + 1 decompressions, however the frames are stepped.
// True when compressed video is to be read through the own reader, which
// starts from the key frames of the file's own index and steps on from
// the frame it holds.
bool AviGetterRedecodesCompressedFrames();

// In Wine's virtual desktop an owned popup that was shown while its owner
// was still hidden stays under the owner on the screen once the owner is
// shown, although Wine's own window order (EnumWindows) has it above. The
// frame-position bar is such a popup. Putting it on top again after the
// owner has been shown gives what Windows shows; on Windows it changes
// nothing.
void RaiseOwnedPopup(HWND popup);

// AVIStreamTimeToSample under 64-bit Wine works in single-precision floats
// and rounds up across a whole number: 400 ms of 44,100 Hz sound gives
// sample 17,641 where Windows and 32-bit Wine give 17,640, so a saved
// sound track came out a sample long or short. StreamTimeToSample gives
// the call's result in whole numbers under Wine (samples = time x rate /
// (scale x 1000), rounded down for streams of under 1,000 samples a
// second and up otherwise, kept within the stream's start and end; -1 for
// no stream, a negative time or a stream without a rate) and is the call
// itself elsewhere.
long StreamTimeToSample(IAVIStream *stream, long ms);
long TimeToSampleOfRate(unsigned long rate, unsigned long scale, unsigned long start, unsigned long length, long ms);

// Wine's DirectShow filter graph cannot seek a movie with both sound and
// video while it runs or is paused: the seek is taken, but no end of
// stream comes afterwards and the next Stop never returns (nor does the
// graph's release). A stopped graph seeks well. True when the player is
// to stop the graph for a seek and then run or pause it again.
bool GraphSeeksOnlyWhenStopped();

// Wine's IMediaPosition::put_Rate is taken but plays on at the normal
// rate, and get_Rate reads 1.0 whatever was put. True when the rate the
// player last put is to stand for the one get_Rate should have read.
bool GraphRateNotReadBack();

// Wine's 32-bit DirectShow hands its times (IBasicVideo's frame time,
// IMediaPosition's position and duration) over in single precision
// (0.039999999105930328 for 0.04 s), so whole milliseconds taken from
// them come out one short. The graph keeps them as whole numbers of
// 100 ns units: a time read from it is rounded back to them there.
double GraphTimeExact(double seconds);

// Writing AVI files through Wine's AVIFile:
//
// EditStreamCopy "succeeds" with the wrong range (asked for frames 10-29
// it reports frames 0-29) and hands back a stream whose calls crash the
// process; AVISaveV of an edit stream decompresses its frames. CopyStreamRange makes the copy of frames start .. start +
// length - 1 of a stream: an editable stream and EditStreamCopy on
// Windows; under Wine a read-only stream over the range of the source,
// which AVISaveV and the sound copy read like the copy. *editable (null
// under Wine) and *copy are released with AVIStreamRelease.
long CopyStreamRange(IAVIStream *source, long start, long length, IAVIStream **editable, IAVIStream **copy);
bool EditStreamCopyUnusable();

// AVIMakeStreamFromClipboard (CF_WAVE) is a stub under Wine. The WAVE
// image (a locked global block: header and samples) then goes to a
// temporary file opened with AVIStreamOpenFromFile; ReleaseWaveStream
// releases the stream and deletes that file.
long MakeWaveStream(void *waveBlock, IAVIStream **stream);
void ReleaseWaveStream(IAVIStream *stream);

// A positioned AVIStreamWrite into a sound stream fails after the first
// block under Wine (AVIERR_UNSUPPORTED); appending (position -1) writes the
// same. The savers write sound in order, so the position each block is
// written at is always the stream's end.
long WriteSoundBlocks(IAVIStream *stream, long position, long samples, const void *data, long bytes,
                      long *samplesWritten, long *bytesWritten);

// A stream created after data was written to another one fails under Wine
// (AVIERR_UNSUPPORTED): a sound stream that Windows adds at the end of a
// save is made before the first frame instead.
bool AviStreamsMustPrecedeData();

// Wine's AVIFile writer stores a frame time 1,000 times too long in 'avih'
// (30,000,000 microseconds at 30 frames a second) and counts the writes,
// not the samples, in a sound stream's length. RepairAviHeaders puts
// there what Windows writes: the first video stream's frame time and each
// sound stream's samples as its index counts them. Nothing is changed
// outside Wine or in a file whose values are right. True when the file is
// as Windows would have written it.
bool RepairAviHeaders(const char *path);

// Wine's AVIFile writer groups the 'idx1' entries by stream (all of
// stream 0, then stream 1 ...) where Windows lists the chunks in the order
// they were written; ffmpeg then misreads a file whose first chunk is not
// stream 0's. OrderAviIndex puts the entries in file order (under Wine
// only). True when the index is in file order.
bool OrderAviIndex(const char *path);

#endif
