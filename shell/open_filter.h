// The open dialog's filter: the video entry, the outside plug-in's entry
// when one was loaded, and the two AviSynth entries when AviSynth is
// installed; in the OPENFILENAME form (NUL-separated, two NULs at the end).
#ifndef TWR_SHELL_OPEN_FILTER_H
#define TWR_SHELL_OPEN_FILTER_H

#include <stddef.h>

// The first entry, as stored ("*m1v" without its dot included).
extern const char kVideoFilterEntry[];

// Builds the filter into out (size bytes, cleared first). pluginFilter is
// the loaded plug-in's "description|patterns" text, or null when no plug-in
// was loaded (the first entry is then closed on its own); avisynth adds the
// two AviSynth entries. Entries that do not fit are left out.
void BuildOpenFilter(char *out, size_t size, const char *pluginFilter, bool avisynth);

#endif
