// Sound for the camera 3D-AVI: the movie's sound, whatever it is, turned
// into one block of 16-bit stereo PCM at g_nOutRate, by the outside
// program "ffmpeg.exe" or by the system's audio compression manager
// reached through AVIFile. Progress goes to the main window's title.
//
// Every road returns a locked global block (freed with FreeGlobalBlock),
// zero-filled beyond the sound, whose size (*size) is the sound's bytes
// plus 192,000; null on failure, with nothing shown.
#ifndef TWR_PIPELINE_AUDIO_PREPARE_H
#define TWR_PIPELINE_AUDIO_PREPARE_H

#include "shared/wintypes.h"
#include "sources/movie_source.h"

// The output rate, set by the 3D-AVI saver before it prepares the sound.
extern int g_nOutRate;

enum { kAudioTailBytes = 192000, kWaveSlackBytes = 48000 };

// The one-line batch file that runs ffmpeg: 0, or 1 when the file cannot
// be created.
int WriteFfmpegBatch(const char *batchPath, const char *wavePath, const char *moviePath, const char *ffmpegPath);

// Runs "stffmpg.bat" in the temporary folder, which has ffmpeg write the
// sound of the movie to "outffmpg.wav" there, waits for it and reads the
// samples (wherever the file's chunks put them); both files are deleted.
BYTE *PrepareAudioWithFfmpeg(const char *moviePath, const char *ffmpegPath, int *size);

// Reads an AVIFile sound stream; converts it unless it already is 16-bit
// stereo PCM at the output rate.
BYTE *PrepareAudioFromAviStream(IAVIStream *stream, int *size);

// Converts raw PCM in the record's sound format (*size bytes at raw).
BYTE *ConvertPcmForSave(const MovieSource *m, const BYTE *raw, int *size);

#endif
