#include "mpeg/file_layer.h"

#include "mpeg/name_chars.h"
#include "mpeg/raw_file.h"

#include <stdlib.h>
#include <string.h>

// A run longer than this is taken as the end of the run: nobody splits a
// movie into more parts, and each part costs an open.
static const int kMaxRunFiles = 4096;

int NextNumberedName(char *name)
{
    // The base name: after the last '\' (or '/'), up to its last '.'.
    char *base = name;
    char *lastDot = nullptr;
    for (char *p = name; *p; p = NextNameChar(p)) {
        if (*p == '\\' || *p == '/') {
            base = p + 1;
            lastDot = nullptr;
        } else if (*p == '.') {
            lastDot = p;
        }
    }
    char *end = lastDot ? lastDot : name + strlen(name);
    // The last run of decimal digits, each a character of its own (digits
    // are never trail bytes, but the walk keeps character boundaries).
    char *first = nullptr, *lastDigit = nullptr, *run = nullptr;
    for (char *p = base; p < end; p = NextNameChar(p)) {
        if (*p >= '0' && *p <= '9') {
            if (!run)
                run = p;
            first = run;
            lastDigit = p;
        } else {
            run = nullptr;
        }
    }
    if (!lastDigit)
        return 0;
    bool allNines = true;
    for (char *p = first; p <= lastDigit; p++)
        if (*p != '9')
            allNines = false;
    if (allNines)
        return 0;
    for (char *p = lastDigit;; p--) {
        if (*p == '9') {
            *p = '0';
        } else {
            (*p)++;
            break;
        }
    }
    return 1;
}

static long long MeasureFile(const char *path)
{
    int fd = RawFileOpenRead(path);
    if (fd < 0)
        return -1;
    long long size = RawFileSeek(fd, 0, 2);
    RawFileClose(fd);
    return size;
}

static bool AppendFile(FileLayer *layer, const char *path, long long size)
{
    FileLayerEntry *grown = (FileLayerEntry *)realloc(layer->files, (layer->count + 1) * sizeof(FileLayerEntry));
    if (!grown)
        return false;
    layer->files = grown;
    size_t n = strlen(path) + 1;
    char *copy = (char *)malloc(n);
    if (!copy)
        return false;
    memcpy(copy, path, n);
    FileLayerEntry &e = layer->files[layer->count++];
    e.size = size;
    e.start = layer->total;
    e.fd = -1;
    e.path = copy;
    layer->total += size;
    return true;
}

FileLayer *OpenFileLayer(const char *path, int joinNumbered)
{
    if (!path)
        return nullptr;
    long long size = MeasureFile(path);
    if (size < 0)
        return nullptr;
    FileLayer *layer = (FileLayer *)calloc(1, sizeof(FileLayer));
    if (!layer)
        return nullptr;
    if (!AppendFile(layer, path, size)) {
        CloseFileLayer(layer);
        return nullptr;
    }
    if (joinNumbered) {
        size_t n = strlen(path) + 1;
        char *name = (char *)malloc(n);
        if (name) {
            memcpy(name, path, n);
            while (layer->count < kMaxRunFiles && NextNumberedName(name)) {
                long long s = MeasureFile(name);
                if (s < 0 || !AppendFile(layer, name, s))
                    break;
            }
            free(name);
        }
    }
    layer->files[0].fd = RawFileOpenRead(layer->files[0].path);
    if (layer->files[0].fd < 0) {
        CloseFileLayer(layer);
        return nullptr;
    }
    layer->current = 0;
    return layer;
}

void CloseFileLayer(FileLayer *layer)
{
    if (!layer)
        return;
    for (int i = 0; i < layer->count; i++) {
        if (layer->files[i].fd >= 0)
            RawFileClose(layer->files[i].fd);
        free(layer->files[i].path);
    }
    free(layer->files);
    free(layer);
}

static void CloseEntry(FileLayerEntry &e)
{
    if (e.fd >= 0) {
        RawFileClose(e.fd);
        e.fd = -1;
    }
}

long long TellFileLayer(FileLayer *layer)
{
    if (layer->current >= layer->count)
        return layer->total;
    FileLayerEntry &e = layer->files[layer->current];
    if (e.fd < 0)
        return e.start;
    long long pos = RawFileSeek(e.fd, 0, 1);
    return e.start + (pos < 0 ? 0 : pos);
}

long long SeekFileLayer(FileLayer *layer, long long offset, int whence)
{
    long long target = offset;
    if (whence == 1)
        target += TellFileLayer(layer);
    else if (whence == 2)
        target += layer->total;
    if (target < 0)
        target = 0;
    if (target > layer->total)
        target = layer->total;
    int i = 0;
    while (i < layer->count && !(target < layer->files[i].start + layer->files[i].size))
        i++;
    if (layer->current < layer->count && layer->current != i)
        CloseEntry(layer->files[layer->current]);
    layer->current = i;
    if (i >= layer->count)
        return layer->total;
    FileLayerEntry &e = layer->files[i];
    if (e.fd < 0)
        e.fd = RawFileOpenRead(e.path);
    if (e.fd < 0)
        return e.start;
    if (RawFileSeek(e.fd, target - e.start, 0) < 0)
        return e.start;
    return target;
}

int ReadFileLayer(FileLayer *layer, BYTE *buf, int count)
{
    int done = 0;
    while (done < count && layer->current < layer->count) {
        FileLayerEntry &e = layer->files[layer->current];
        if (e.fd < 0)
            e.fd = RawFileOpenRead(e.path);
        int n = e.fd >= 0 ? RawFileRead(e.fd, buf + done, (unsigned)(count - done)) : -1;
        if (n > 0) {
            done += n;
            continue;
        }
        // This file is used up (or unreadable): go on with the next one,
        // from its start.
        CloseEntry(e);
        layer->current++;
    }
    return done;
}

int FileLayerFileCount(const FileLayer *layer)
{
    return layer->count;
}

long long FileLayerFileEnd(const FileLayer *layer, int i)
{
    if (i < 0)
        i = 0;
    if (i >= layer->count)
        i = layer->count - 1;
    return layer->files[i].start + layer->files[i].size;
}

static void LayerClose(void *h) { CloseFileLayer((FileLayer *)h); }
static int LayerRead(void *h, BYTE *buf, int count) { return ReadFileLayer((FileLayer *)h, buf, count); }
static long long LayerSeek(void *h, long long offset, int whence) { return SeekFileLayer((FileLayer *)h, offset, whence); }
static long long LayerTell(void *h) { return TellFileLayer((FileLayer *)h); }

ByteSource FileLayerByteSource(FileLayer *layer)
{
    ByteSource s = {layer, LayerClose, LayerRead, LayerSeek, LayerTell};
    return s;
}
