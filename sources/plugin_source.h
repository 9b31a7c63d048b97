// The plug-in side of the movie sources (kind 2): the opener of every
// extension that is neither AVI nor an AviSynth script, the frame read and
// the close, reached through the plug-in's function table.
#ifndef TWR_SOURCES_PLUGIN_SOURCE_H
#define TWR_SOURCES_PLUGIN_SOURCE_H

#include "shared/wintypes.h"
#include "sources/movie_source.h"

// 0 on success, 1 on failure (errorText may stay empty).
int OpenPluginMovie(HWND owner, const char *path, MovieSource *m, char *errorText);
// Reads frame index into the record's pDecoded; 0 on success.
int ReadPluginFrame(MovieSource *m, int index);
// Reads count sound samples from the first one on into buffer; 0 on
// success, 1 on failure.
int ReadPluginAudio(MovieSource *m, BYTE *buffer, int count, int first);
// Closes the record's plug-in file and opens it again (before a save reads
// its sound from the start).
void ReopenPluginFile(MovieSource *m);
// Closes the plug-in's file handle of the record.
void ClosePluginFile(MovieSource *m);

#endif
