#include "sources/frame_fetch.h"

#include "shared/wintypes.h"
#include "sources/own_avi_reader.h"
#include "sources/plugin_source.h"

#include <vfw.h>

int FetchMovieFrame(MovieSource *m, int index)
{
    switch (m->nKind) {
    case kSourceAviFile: {
        if (!m->pGetFrame || index < 0)
            return 1;
        BITMAPINFOHEADER *frame = (BITMAPINFOHEADER *)AVIStreamGetFrame((PGETFRAME)m->pGetFrame, index);
        if (!frame)
            return 1;
        // Some decoders leave the plane count unset, which GDI refuses.
        if (frame->biPlanes != 1)
            frame->biPlanes = 1;
        m->pDecoded = frame;
        return 0;
    }
    case kSourceOwnReader:
        return ReadOwnAviFrame(m, index);
    case kSourcePlugin:
        return ReadPluginFrame(m, index);
    default:
        return 1;
    }
}
