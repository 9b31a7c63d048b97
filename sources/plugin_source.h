// The plug-in side of the movie sources (kind 2): the opener of every
// extension that is neither AVI nor an AviSynth script, the frame read and
// the close, reached through the plug-in's function table.
#ifndef TWR_SOURCES_PLUGIN_SOURCE_H
#define TWR_SOURCES_PLUGIN_SOURCE_H

#include "shared/wintypes.h"
#include "sources/movie_source.h"

// Writes the placeholder movie (the resource "MPGAVI") to g_szTempAvi; at
// start-up, before AVIFileInit.
void WritePlaceholderAvi();
// Loads the outside plug-in "QTReader.vfp" from folder (with its trailing
// backslash) and asks its export "vfGetPluginInfo" for its information
// block: g_hPlugins, g_nPlugins, g_pluginInfo and g_bPluginFound tell the
// result. Returns the plug-in's file-type filter text, or null when no
// plug-in loaded.
const char *LoadOutsidePlugin(const char *folder);
// 0 on success, 1 on failure (errorText may stay empty).
int OpenPluginMovie(HWND owner, const char *path, MovieSource *m, char *errorText);
// Reads count sample frames from sample first into buffer (asking the
// plug-in for no more than the record's sound holds); 0 on success.
int ReadPluginAudio(MovieSource *m, BYTE *buffer, int count, int first);
// Reads frame index into the record's pDecoded; 0 on success.
int ReadPluginFrame(MovieSource *m, int index);
// Closes the record's plug-in file and opens it again (before a save reads
// its sound from the start).
void ReopenPluginFile(MovieSource *m);
// Closes the plug-in's file handle of the record.
void ClosePluginFile(MovieSource *m);

#endif
