#include "shell/open_names.h"

#include "shared/path_helpers.h"

#include <stdio.h>
#include <string.h>

namespace {

// Index of the last '.' that is a character of its own, and whether the
// character before it is a single byte; -1 when there is no such dot.
long LastDot(const char *s, bool *singleBefore)
{
    long dot = -1;
    bool previousSingle = false;
    *singleBefore = false;
    for (long i = 0; s[i]; i++) {
        if (IsPathLeadByte((unsigned char)s[i]) && s[i + 1]) {
            i++;
            previousSingle = false;
            continue;
        }
        if (s[i] == '.') {
            dot = i;
            *singleBefore = previousSingle;
        }
        previousSingle = true;
    }
    return dot;
}

}  // namespace

int MakePartnerFileName(const char *path, char *out, size_t outSize)
{
    CopyPathText(out, outSize, path);
    if (strlen(path) >= outSize)
        return 0;
    bool singleBefore;
    long dot = LastDot(path, &singleBefore);
    if (dot <= 0 || !path[dot + 1] || !singleBefore)
        return 0;
    static const char from[] = "LRlr", to[] = "RLrl";
    const char *hit = strchr(from, path[dot - 1]);
    if (!hit || !*hit)
        return 0;
    out[dot - 1] = to[hit - from];
    return 1;
}

bool SplitTwoSelectedNames(const char *answer, char *left, char *right, size_t size)
{
    // Pieces between the first five quotes: folder, first name, between,
    // second name, after.
    const char *quotes[5];
    int count = 0;
    for (const char *p = answer; *p && count < 5; p++)
        if (*p == '"')
            quotes[count++] = p;
    if (count < 4)
        return false;
    size_t folder = (size_t)(quotes[0] - answer);
    size_t first = (size_t)(quotes[1] - quotes[0] - 1);
    size_t second = (size_t)(quotes[3] - quotes[2] - 1);
    if (folder + first >= size || folder + second >= size)
        return false;
    memcpy(left, answer, folder);
    memcpy(left + folder, quotes[2] + 1, second);
    left[folder + second] = '\0';
    memcpy(right, answer, folder);
    memcpy(right + folder, quotes[0] + 1, first);
    right[folder + first] = '\0';
    return true;
}

bool IsMpegName(const char *name)
{
    size_t n = strlen(name);
    if (n < 3)
        return false;
    char tail[4];
    for (int i = 0; i < 3; i++) {
        char c = name[n - 3 + i];
        tail[i] = c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
    }
    tail[3] = '\0';
    return !strcmp(tail, "mpg") || !strcmp(tail, "peg");
}

void MakeClipboardName(const char *movieName, int frame, char *out, size_t outSize)
{
    char base[260];
    CopyPathText(base, sizeof base, movieName);
    bool singleBefore;
    long dot = LastDot(base, &singleBefore);
    if (dot >= 0)
        base[dot] = '\0';
    snprintf(out, outSize, "%s_%d.jpg", base, frame);
}
