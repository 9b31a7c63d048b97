#include "mpeg/stream_reader.h"

#include <stdlib.h>
#include <string.h>

StreamReader *OpenStreamReader(const char *path, int joinNumbered)
{
    if (!path || strlen(path) >= sizeof(((StreamReader *)0)->path))
        return nullptr;
    StreamReader *sr = (StreamReader *)calloc(1, sizeof(StreamReader));
    if (!sr)
        return nullptr;
    strcpy(sr->path, path);
    sr->layer = OpenFileLayer(path, joinNumbered);
    if (!sr->layer) {
        free(sr);
        return nullptr;
    }
    if (!InitBlockReader(&sr->rd, FileLayerByteSource(sr->layer))) {
        CloseBlockSource(&sr->rd);
        free(sr);
        return nullptr;
    }
    return sr;
}

void CloseStreamReader(StreamReader *sr)
{
    if (!sr)
        return;
    CloseBlockSource(&sr->rd);
    free(sr);
}
