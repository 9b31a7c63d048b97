#include "shared/dib_gdi.h"

#include "shared/message_box.h"
#include "shared/string_table.h"

#include <stdlib.h>

HPALETTE CreateDibPalette(HWND owner, const PackedDib *frame, BYTE entryFlags)
{
    if (!frame)
        return nullptr;
    bool core = frame->biSize == sizeof(BITMAPCOREHEADER);
    int bits = core ? ((const BITMAPCOREHEADER *)frame)->bcBitCount : frame->biBitCount;
    // Deeper frames carry no colour table to read.
    if (bits > 8)
        return nullptr;
    int entries = core ? 1 << bits : DibColourEntries(frame);
    if (entries <= 0 || entries > 256)
        entries = 1 << bits;

    LOGPALETTE *pal = (LOGPALETTE *)malloc(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
    if (!pal)
        return nullptr;
    pal->palVersion = 0x300;
    pal->palNumEntries = (WORD)entries;
    const BYTE *table = (const BYTE *)frame + frame->biSize;
    int stride = core ? 3 : 4;
    for (int i = 0; i < entries; i++) {
        const BYTE *e = table + i * stride;
        pal->palPalEntry[i].peBlue = e[0];
        pal->palPalEntry[i].peGreen = e[1];
        pal->palPalEntry[i].peRed = e[2];
        pal->palPalEntry[i].peFlags = entryFlags;
    }
    HPALETTE h = CreatePalette(pal);
    free(pal);
    if (!h)
        AppMessageBox(owner, LoadStr(2350), "PAL2", MB_ICONWARNING);
    return h;
}
