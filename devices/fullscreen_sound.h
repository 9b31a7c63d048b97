// The sound of the full-screen play loops for movies read by the own AVI
// reader (kind 1) or a plug-in (kind 2): an in-memory WAVE that PlaySound
// plays while the loop writes the sound of the frames ahead into it, and
// starts again from its beginning once it is full and played out. Movies
// of kind 0 play through the waveOut player instead.
//
// One stream per running loop; nothing survives the loop.
#ifndef TWR_DEVICES_FULLSCREEN_SOUND_H
#define TWR_DEVICES_FULLSCREEN_SOUND_H

#include <stddef.h>

struct MovieSource;
struct FullScreenSound;

// Starts the sound of record at its frame startFrame. partner: the other
// eye's record in a pair loop (its frame pairFrame + its nStart goes with
// the record's startFrame), null in a file loop. frameLimit: frames after
// startFrame the stream may load. Null when there is nothing to play (no
// sound, no chunk at the start, no memory); the loop then plays silently.
FullScreenSound *StartFullScreenSound(MovieSource *record, MovieSource *partner, int startFrame, int frameLimit,
                                      int pairFrame);
// Once per loop step after pacing: dueFrame the step's due frame (counted
// from the start), playMs the sound's play time now (file loops
// nMsPerFrame x due, pair loops the elapsed ticks x period). Null: nothing.
void KeepFullScreenSound(FullScreenSound *s, int dueFrame, double playMs);
// Stops the sound and frees the stream. Null: nothing.
void EndFullScreenSound(FullScreenSound *s);

// Sound bytes written behind the header since the image last started.
size_t FullScreenSoundBytes(const FullScreenSound *s);

// Called instead of PlaySound, when set, with the image and its size at
// each start or restart, and with null and 0 where the sound is stopped:
// lets tests see what would be played.
extern void (*g_pfnFullScreenSoundHook)(const unsigned char *image, size_t bytes);

#endif
