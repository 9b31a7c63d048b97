#include "shell/open_filter.h"

#include "shared/path_helpers.h"

#include <string.h>

const char kVideoFilterEntry[] =
    "Video File(AVI MPEG1/2)|*.AVI;*.AVS;*.mp2;*.m2p;*.mpg;*.mpeg;*.m2v;*m1v;*.vob;*.m2t;*.ssg;*.ts;*.bs";

namespace {

// Appends while the text and the two closing NULs fit.
void Append(char *out, size_t size, const char *text)
{
    size_t used = strlen(out), n = strlen(text);
    if (used + n + 2 <= size)
        memcpy(out + used, text, n + 1);
}

}  // namespace

void BuildOpenFilter(char *out, size_t size, const char *pluginFilter, bool avisynth)
{
    memset(out, 0, size);
    Append(out, size, kVideoFilterEntry);
    if (pluginFilter) {
        // The plug-in's patterns join the first entry, then its own entry.
        Append(out, size, ";*.mov;*.mp4|");
        Append(out, size, pluginFilter);
        Append(out, size, "|");
    } else {
        Append(out, size, "|");
    }
    if (avisynth) {
        Append(out, size, "OpenDML via AVISynth|*.*|");
        Append(out, size, "DirectShow via AVISynth|*.*|");
    }
    // A second byte of a double-byte character in the plug-in's text is
    // never taken for a bar.
    for (size_t i = 0; i < size && out[i]; i++) {
        if (IsPathLeadByte((unsigned char)out[i]) && out[i + 1])
            i++;
        else if (out[i] == '|')
            out[i] = '\0';
    }
}
