#include "sources/movie_source.h"

#include <stdio.h>
#include <string.h>

char g_szFourcc[5];

MovieSource *InitMovieSource(MovieSource *m)
{
    // The plug-in table and the two read requests keep their contents.
    void *funcs[sizeof m->pluginFuncs / sizeof(void *)];
    void *video[sizeof m->videoRequest / sizeof(void *)];
    void *audio[sizeof m->audioRequest / sizeof(void *)];
    memcpy(funcs, m->pluginFuncs, sizeof funcs);
    memcpy(video, m->videoRequest, sizeof video);
    memcpy(audio, m->audioRequest, sizeof audio);
    memset(m, 0, sizeof *m);
    memcpy(m->pluginFuncs, funcs, sizeof funcs);
    memcpy(m->videoRequest, video, sizeof video);
    memcpy(m->audioRequest, audio, sizeof audio);
    m->nStep = 1;
    m->hFile = -1;
    m->nDecodedFrame = -1;
    return m;
}

char *FourccToText(DWORD code, char *text)
{
    for (int i = 0; i < 4; i++)
        text[i] = (char)((code >> (8 * i)) & 0xFF);
    text[4] = '\0';
    return text;
}

int WriteAvisynthScript(const char *scriptPath, const char *moviePath, int kind)
{
    FILE *f = fopen(scriptPath, "w");
    if (!f)
        return 0;
    if (kind == 1)
        fprintf(f, "AviSource(\"%s\",pixel_type=\"RGB24\")\n", moviePath);
    else
        fprintf(f, "DirectShowSource(\"%s\",pixel_type=\"RGB24\")\n", moviePath);
    bool ok = !ferror(f);
    ok = fclose(f) == 0 && ok;
    return ok ? 1 : 0;
}

int SoundBytesPerFrame(unsigned blockAlign, unsigned samplesPerSec, uint64_t framesPerHundredSeconds)
{
    if (framesPerHundredSeconds == 0)
        return 0;
    uint64_t bytes = (uint64_t)blockAlign * samplesPerSec * 100 / framesPerHundredSeconds;
    bytes &= ~(uint64_t)7;
    return bytes > 0x7FFFFFF8u ? 0x7FFFFFF8 : (int)bytes;
}

int WaveDataSize(int budget, int bytesPerFrame, int frames)
{
    int64_t cap = (int64_t)budget + 192000;
    int64_t need = ((int64_t)bytesPerFrame + 8) * (frames > 0 ? frames : 0) + 1000;
    int64_t size = need < cap ? need : cap;
    return size > 0x7FFFFFFF - 100 ? 0x7FFFFFFF - 100 : (int)size;
}

static BYTE *PutDword(BYTE *p, DWORD v)
{
    for (int i = 0; i < 4; i++)
        *p++ = (BYTE)(v >> (8 * i));
    return p;
}

static BYTE *PutWord(BYTE *p, WORD v)
{
    *p++ = (BYTE)v;
    *p++ = (BYTE)(v >> 8);
    return p;
}

void FillWaveHeader(BYTE *header, int dataSize, WORD formatTag, WORD channels, DWORD samplesPerSec,
                    DWORD avgBytesPerSec, WORD blockAlign)
{
    BYTE *p = header;
    p = CopyBytes((const BYTE *)"RIFF", 4, p);
    // The players place the data behind the header and rely on this size.
    p = PutDword(p, (DWORD)dataSize + 44);
    p = CopyBytes((const BYTE *)"WAVEfmt ", 8, p);
    p = PutDword(p, 16);
    p = PutWord(p, formatTag);
    p = PutWord(p, channels);
    p = PutDword(p, samplesPerSec);
    p = PutDword(p, avgBytesPerSec);
    p = PutWord(p, blockAlign);
    p = PutWord(p, (WORD)(channels ? blockAlign * 8 / channels : 0));
    p = CopyBytes((const BYTE *)"data", 4, p);
    PutDword(p, (DWORD)dataSize);
}
