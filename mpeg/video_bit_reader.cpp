#include "mpeg/video_bit_reader.h"

#include "mpeg/file_layer.h"
#include "mpeg/pes_packet.h"
#include "mpeg/program_stream_source.h"
#include "mpeg/transport_stream_source.h"

#include <string.h>

bool OpenVideoSource(VideoBitReader *v, const char *path, const VideoSourceOptions *options)
{
    if (!path || strlen(path) >= sizeof(v->path))
        return false;
    strcpy(v->path, path);
    ByteSource src;
    if (OpenTransportStreamSource(path, kPesVideo, options->limit, options->joinNumbered, &src)) {
        v->sourceKind = kVideoSourceTransport;
    } else if (OpenProgramStreamSource(path, kPesVideo, options->limit, options->joinNumbered, &src)) {
        v->sourceKind = kVideoSourceProgram;
    } else {
        FileLayer *layer = OpenFileLayer(path, options->joinNumbered);
        if (!layer)
            return false;
        src = FileLayerByteSource(layer);
        v->sourceKind = kVideoSourceFile;
    }
    v->streamSize = src.seek(src.handle, 0, 2);
    src.seek(src.handle, 0, 0);
    v->prevStartCode = 0;
    v->curStartCode = 0;
    if (!InitBlockReader(&v->rd, src)) {
        CloseBlockSource(&v->rd);
        return false;
    }
    return true;
}

void CloseVideoSource(VideoBitReader *v)
{
    CloseBlockSource(&v->rd);
}

bool NextVideoStartCode(VideoBitReader *v)
{
    if (!NextReaderStartCode(&v->rd))
        return false;
    v->prevStartCode = v->curStartCode;
    v->curStartCode = TellBlockReader(&v->rd);
    return true;
}

bool RewindToPreviousStartCode(VideoBitReader *v)
{
    if (v->curStartCode < 0)
        return false;
    long long at = v->curStartCode;
    v->curStartCode = v->prevStartCode;
    SeekBlockReader(&v->rd, at, 0);
    return true;
}

long long SeekVideo(VideoBitReader *v, long long offset, int whence)
{
    return SeekBlockReader(&v->rd, offset, whence);
}
