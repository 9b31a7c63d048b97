#include "sources/avi_index.h"

#include "mpeg/raw_file.h"
#include "state/app_state.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD Fcc(char a, char b, char c, char d)
{
    return (DWORD)(BYTE)a | ((DWORD)(BYTE)b << 8) | ((DWORD)(BYTE)c << 16) | ((DWORD)(BYTE)d << 24);
}

constexpr DWORD kRiff = Fcc('R', 'I', 'F', 'F');
constexpr DWORD kList = Fcc('L', 'I', 'S', 'T');
constexpr DWORD kAvi = Fcc('A', 'V', 'I', ' ');
constexpr DWORD kAvix = Fcc('A', 'V', 'I', 'X');
constexpr DWORD kHdrl = Fcc('h', 'd', 'r', 'l');
constexpr DWORD kStrl = Fcc('s', 't', 'r', 'l');
constexpr DWORD kOdml = Fcc('o', 'd', 'm', 'l');
constexpr DWORD kMovi = Fcc('m', 'o', 'v', 'i');
constexpr DWORD kIdx1 = Fcc('i', 'd', 'x', '1');
constexpr DWORD kIndx = Fcc('i', 'n', 'd', 'x');

constexpr DWORD kAviifKeyframe = 0x10;
// Chunks above these sizes are lies: no video frame or sound block is that
// large, and the buffers are sized by the largest chunk.
constexpr DWORD kMaxVideoChunk = 0x10000000;
constexpr DWORD kMaxAudioChunk = 0x1000000;
// Entries read from an index per block.
constexpr size_t kBlockEntries = 4096;

DWORD Get32(const BYTE *p) { return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24); }
WORD Get16(const BYTE *p) { return (WORD)(p[0] | (p[1] << 8)); }

bool ReadAt(const AviByteSource &src, uint64_t pos, void *buffer, size_t n)
{
    if (pos > src.size || src.size - pos < n)
        return false;
    return src.read(src.context, pos, buffer, n) == n;
}

// Two decimal digits of a stream number, as they appear in chunk ids.
WORD StreamDigits(int stream)
{
    return (WORD)(('0' + stream / 10 % 10) | (('0' + stream % 10) << 8));
}

DWORD StreamChunkId(int stream, char c1, char c2)
{
    return (DWORD)StreamDigits(stream) | ((DWORD)(BYTE)c1 << 16) | ((DWORD)(BYTE)c2 << 24);
}

bool AddEntry(ChunkTable *t, uint64_t offset, DWORD size, DWORD flags)
{
    if (t->count >= t->capacity) {
        if (!t->growable)
            return false;
        int grown = t->capacity < 1024 ? 1024 : t->capacity * 2;
        if (grown < t->capacity)  // overflow
            return false;
        AviChunkEntry *e = (AviChunkEntry *)realloc(t->entries, (size_t)grown * sizeof(AviChunkEntry));
        if (!e)
            return false;
        t->entries = e;
        t->capacity = grown;
    }
    AviChunkEntry &e = t->entries[t->count++];
    e.offsetLow = (DWORD)offset;
    e.offsetHigh = (DWORD)(offset >> 32);
    e.size = size;
    e.flags = flags;
    return true;
}

struct Collector {
    const AviByteSource *src;
    ChunkTable *video, *audio;
    AviIndexTotals *totals;
    int videoFound;
    int keyFrames;

    void Video(uint64_t offset, DWORD size, bool key)
    {
        if (!video || video->count >= video->capacity)
            return;
        // A chunk that does not lie inside the file, or cannot be a frame,
        // is read as a dropped frame.
        if (size > kMaxVideoChunk || offset > src->size || src->size - offset < size)
            size = 0;
        if (AddEntry(video, offset, size, key ? kChunkKeyFrame : 0)) {
            videoFound++;
            keyFrames += key;
            if ((int)size > totals->maxVideoChunk)
                totals->maxVideoChunk = (int)size;
        }
    }

    void Audio(uint64_t offset, DWORD size)
    {
        if (!audio || size > kMaxAudioChunk || offset > src->size || src->size - offset < size)
            return;
        // Every chunk takes at least its 8-byte header in the file: an index
        // naming more is repeating itself.
        if ((uint64_t)audio->count >= src->size / 8 + 1)
            return;
        if (!AddEntry(audio, offset, size, kChunkKeyFrame))
            return;
        totals->audioBytes += size;
        if ((int)size > totals->maxAudioChunk)
            totals->maxAudioChunk = (int)size;
    }

    // Writers that flag no frame as a key frame mean every frame is one.
    void FinishKeyFlags()
    {
        if (video && videoFound > 0 && keyFrames == 0)
            for (int i = 0; i < video->count; i++)
                video->entries[i].flags |= kChunkKeyFrame;
    }
};

void ResetTables(ChunkTable *video, ChunkTable *audio, AviIndexTotals *totals)
{
    if (video)
        video->count = 0;
    if (audio)
        audio->count = 0;
    *totals = AviIndexTotals();
}

// ---- AVI 1.0 ('idx1') ----

void ReadIdx1Entries(Collector &c, uint64_t pos, uint64_t end, uint64_t moviFourcc, bool haveMovi, AviStreamChoice s)
{
    DWORD videoId = StreamChunkId(s.video, 'd', 'c');
    DWORD rawId = s.rawVideo ? StreamChunkId(s.video, 'd', 'b') : 0;
    DWORD audioId = s.audio >= 0 ? StreamChunkId(s.audio, 'w', 'b') : 0;
    int mode = -1;  // 0: offsets from the 'movi' fourcc, 1: from the file's start
    BYTE block[kBlockEntries * 16];
    while (pos + 16 <= end) {
        size_t n = (size_t)((end - pos) / 16);
        if (n > kBlockEntries)
            n = kBlockEntries;
        if (!ReadAt(*c.src, pos, block, n * 16))
            return;
        for (size_t i = 0; i < n; i++) {
            const BYTE *e = block + i * 16;
            DWORD id = Get32(e);
            bool isVideo = id == videoId || (rawId && id == rawId);
            bool isAudio = audioId && id == audioId;
            if (!isVideo && !isAudio)
                continue;
            DWORD flags = Get32(e + 4), offset = Get32(e + 8), size = Get32(e + 12);
            if (mode < 0) {
                // Most writers count from the 'movi' fourcc; a few from the
                // file's start. The first entry's chunk header tells which.
                BYTE head[4];
                mode = 0;
                if (!(haveMovi && ReadAt(*c.src, moviFourcc + offset, head, 4) && Get32(head) == id) &&
                    ReadAt(*c.src, offset, head, 4) && Get32(head) == id)
                    mode = 1;
            }
            uint64_t data = (mode == 1 ? 0 : moviFourcc) + (uint64_t)offset + 8;
            if (isVideo)
                c.Video(data, size, (flags & kAviifKeyframe) != 0);
            else
                c.Audio(data, size);
        }
        pos += (uint64_t)n * 16;
    }
}

// ---- OpenDML ('indx', 'ix##') ----

bool IsStandardIndexId(DWORD id)
{
    BYTE a = (BYTE)id, b = (BYTE)(id >> 8), c = (BYTE)(id >> 16), d = (BYTE)(id >> 24);
    return (a == 'i' && b == 'x') || (c == 'i' && d == 'x');
}

void ReadStandardIndex(Collector &c, uint64_t pos, bool isVideo)
{
    BYTE head[32];
    if (!ReadAt(*c.src, pos, head, sizeof head))
        return;
    DWORD chunkSize = Get32(head + 4);
    int longs = Get16(head + 8);
    DWORD inUse = Get32(head + 12);
    uint64_t base = (uint64_t)Get32(head + 20) | ((uint64_t)Get32(head + 24) << 32);
    // Entries of two words, or three for field indexes; anything else is
    // not an index this reader knows.
    if (longs < 2 || longs > 3 || chunkSize < 24)
        return;
    size_t stride = (size_t)longs * 4;
    uint64_t room = (chunkSize - 24) / stride;
    uint64_t count = inUse < room ? inUse : room;
    uint64_t at = pos + 32;
    BYTE block[kBlockEntries * 8];
    size_t perBlock = sizeof block / stride;
    while (count > 0) {
        size_t n = count < perBlock ? (size_t)count : perBlock;
        if (!ReadAt(*c.src, at, block, n * stride))
            return;
        for (size_t i = 0; i < n; i++) {
            const BYTE *e = block + i * stride;
            DWORD size = Get32(e + 4);
            // Offsets are relative to the base and may cross 4 GB: the sum
            // is taken in 64 bits.
            uint64_t offset = base + Get32(e);
            if (isVideo)
                c.Video(offset, size & 0x7FFFFFFF, (size & 0x80000000) == 0);
            else
                c.Audio(offset, size & 0x7FFFFFFF);
        }
        count -= n;
        at += (uint64_t)n * stride;
    }
}

void ReadSuperIndex(Collector &c, uint64_t pos, DWORD chunkSize, bool isVideo)
{
    BYTE head[24];
    if (chunkSize < 24 || !ReadAt(*c.src, pos + 8, head, sizeof head))
        return;
    int longs = Get16(head);
    DWORD inUse = Get32(head + 4);
    DWORD reserved0 = Get32(head + 12);
    size_t stride = longs >= 4 ? (size_t)longs * 4 : 16;
    uint64_t room = (chunkSize - 24) / stride;
    uint64_t count = inUse < room ? inUse : room;
    // The standard indexes, each located and sized; an index that overlaps
    // one already read is a lie and is skipped, so that no part of the file
    // is read twice however the entries repeat.
    struct Located {
        uint64_t offset;
        uint64_t end;
    };
    std::vector<Located> located;
    for (uint64_t i = 0; i < count; i++) {
        BYTE e[16];
        if (!ReadAt(*c.src, pos + 32 + i * stride, e, sizeof e))
            break;
        uint64_t offset = (uint64_t)Get32(e) | ((uint64_t)Get32(e + 4) << 32);
        BYTE id[8];
        // The first reserved word is taken by some writers as a bias of the
        // offsets; the index chunk's own id shows which reading holds.
        if (!(ReadAt(*c.src, offset, id, 8) && IsStandardIndexId(Get32(id)))) {
            if (!(reserved0 && ReadAt(*c.src, offset + reserved0, id, 8) && IsStandardIndexId(Get32(id))))
                continue;
            offset += reserved0;
        }
        located.push_back({offset, offset + 8 + Get32(id + 4)});
    }
    std::vector<Located> sorted = located;
    std::sort(sorted.begin(), sorted.end(), [](const Located &a, const Located &b) { return a.offset < b.offset; });
    for (size_t i = 1; i < sorted.size(); i++)
        if (sorted[i].offset < sorted[i - 1].end)
            sorted[i].end = 0;  // overlaps the one before: marked
    for (const Located &l : located) {
        auto it = std::lower_bound(sorted.begin(), sorted.end(), l.offset,
                                   [](const Located &a, uint64_t o) { return a.offset < o; });
        if (it == sorted.end() || it->end == 0)
            continue;
        it->end = 0;  // read once
        ReadStandardIndex(c, l.offset, isVideo);
    }
}

struct OdmlWalk {
    Collector &c;
    AviStreamChoice streams;
    int streamNumber = -1;  // ordinal of the 'strl' list being read
    bool done = false;
    bool videoDone = false, audioDone = false;

    void Walk(uint64_t pos, uint64_t end, int depth)
    {
        while (!done && pos + 8 <= end) {
            BYTE head[12];
            if (!ReadAt(*c.src, pos, head, 8))
                break;
            DWORD id = Get32(head), size = Get32(head + 4);
            uint64_t body = pos + 8;
            uint64_t next = body + size + (size & 1);
            if (id == kRiff || id == kList) {
                if (size < 4 || !ReadAt(*c.src, body, head + 8, 4))
                    break;
                DWORD type = Get32(head + 8);
                if (type == kMovi) {
                    // The movie data: every index of the header lies before.
                    done = true;
                    return;
                }
                if (type == kStrl)
                    streamNumber++;
                if (depth < 4 && (type == kAvi || type == kAvix || type == kHdrl || type == kStrl || type == kOdml))
                    Walk(body + 4, next < end ? next : end, depth + 1);
            } else if (id == kIndx && streamNumber >= 0) {
                // One super index a stream: a second one is a lie.
                if (streamNumber == streams.video && !videoDone) {
                    ReadSuperIndex(c, pos, size, true);
                    videoDone = true;
                } else if (streamNumber == streams.audio && !audioDone) {
                    ReadSuperIndex(c, pos, size, false);
                    audioDone = true;
                }
            }
            pos = next;
        }
    }
};

}  // namespace

bool InitChunkTable(ChunkTable *table, int capacity, bool growable)
{
    table->count = 0;
    table->capacity = capacity > 0 ? capacity : 0;
    table->growable = growable;
    table->entries = nullptr;
    if (table->capacity == 0)
        return true;
    table->entries = (AviChunkEntry *)malloc((size_t)table->capacity * sizeof(AviChunkEntry));
    if (!table->entries) {
        table->capacity = 0;
        return false;
    }
    return true;
}

void FreeChunkTable(ChunkTable *table)
{
    free(table->entries);
    table->entries = nullptr;
    table->count = table->capacity = 0;
}

int ReadAviIndexFrom(const AviByteSource &src, AviStreamChoice streams, ChunkTable *video, ChunkTable *audio,
                     AviIndexTotals *totals)
{
    ResetTables(video, audio, totals);
    Collector c{&src, video, audio, totals, 0, 0};
    BYTE head[12];
    if (!ReadAt(src, 0, head, 12) || Get32(head) != kRiff || Get32(head + 8) != kAvi)
        return 0;
    // The first RIFF's top level: remember the 'movi' list, read 'idx1'.
    uint64_t end = 8 + (uint64_t)Get32(head + 4);
    if (end > src.size || end < 12)
        end = src.size;
    uint64_t pos = 12, moviFourcc = 0;
    bool haveMovi = false;
    while (pos + 8 <= end) {
        if (!ReadAt(src, pos, head, 12 <= end - pos ? 12 : 8))
            break;
        DWORD id = Get32(head), size = Get32(head + 4);
        if (id == kList && size >= 4 && end - pos >= 12 && Get32(head + 8) == kMovi) {
            moviFourcc = pos + 8;
            haveMovi = true;
        } else if (id == kIdx1) {
            uint64_t stop = pos + 8 + size;
            ReadIdx1Entries(c, pos + 8, stop < src.size ? stop : src.size, moviFourcc, haveMovi, streams);
        }
        pos += 8 + (uint64_t)size + (size & 1);
    }
    c.FinishKeyFlags();
    return c.videoFound;
}

int ReadOpenDmlIndexFrom(const AviByteSource &src, AviStreamChoice streams, ChunkTable *video, ChunkTable *audio,
                         AviIndexTotals *totals)
{
    ResetTables(video, audio, totals);
    Collector c{&src, video, audio, totals, 0, 0};
    OdmlWalk walk{c, streams};
    walk.Walk(0, src.size, 0);
    c.FinishKeyFlags();
    if (c.videoFound > 0)
        return c.videoFound;
    // A plain AVI 1.0 file has no OpenDML index.
    return ReadAviIndexFrom(src, streams, video, audio, totals);
}

// ---- sources ----

static size_t ReadMemory(void *context, uint64_t pos, void *buffer, size_t n)
{
    AviMemory *m = (AviMemory *)context;
    if (pos >= m->size)
        return 0;
    size_t left = (size_t)(m->size - pos);
    if (n > left)
        n = left;
    memcpy(buffer, m->data + pos, n);
    return n;
}

AviByteSource AviMemorySource(AviMemory *memory)
{
    return AviByteSource{memory, ReadMemory, memory->size};
}

struct AviFile {
    FILE *f;
    uint64_t size;
};


AviFile *OpenAviFile(const char *path)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return nullptr;
    bool ok = RawStreamSeek(f, 0, 2) == 0;
    int64_t size = ok ? (int64_t)RawStreamTell(f) : -1;
    if (size < 0) {
        fclose(f);
        return nullptr;
    }
    AviFile *file = (AviFile *)malloc(sizeof(AviFile));
    if (!file) {
        fclose(f);
        return nullptr;
    }
    file->f = f;
    file->size = (uint64_t)size;
    return file;
}

static size_t ReadFile64(void *context, uint64_t pos, void *buffer, size_t n)
{
    AviFile *file = (AviFile *)context;
    if (RawStreamSeek(file->f, (long long)pos, 0) != 0)
        return 0;
    return fread(buffer, 1, n, file->f);
}

AviByteSource AviFileSource(AviFile *file)
{
    return AviByteSource{file, ReadFile64, file->size};
}

void CloseAviFile(AviFile *file)
{
    if (!file)
        return;
    fclose(file->f);
    free(file);
}

int ReadAviIndex(const char *path, AviStreamChoice streams, ChunkTable *video, ChunkTable *audio,
                 AviIndexTotals *totals)
{
    ResetTables(video, audio, totals);
    AviFile *file = OpenAviFile(path);
    if (!file)
        return 0;
    int n = ReadAviIndexFrom(AviFileSource(file), streams, video, audio, totals);
    CloseAviFile(file);
    return n;
}

int ReadOpenDmlIndex(const char *path, AviStreamChoice streams, ChunkTable *video, ChunkTable *audio,
                     AviIndexTotals *totals)
{
    ResetTables(video, audio, totals);
    AviFile *file = OpenAviFile(path);
    if (!file)
        return 0;
    int n = ReadOpenDmlIndexFrom(AviFileSource(file), streams, video, audio, totals);
    CloseAviFile(file);
    return n;
}

// ---- the 3D-AVI probe ----

int ProbeStereoAviBytes(const BYTE *data, size_t size, int *parallaxH, int *parallaxV)
{
    *parallaxH = *parallaxV = 0;
    static const BYTE kFilm[6] = {'F', 'I', 'L', 'M', 0x0C, 0x00};
    int streams = 0, filmSeen = 0;
    long noteBase = -1;
    for (size_t j = 0; j + 20 < size; j++) {
        if (memcmp(data + j, "strl", 4) == 0 && memcmp(data + j + 12, "vids", 4) == 0)
            streams++;
        // The second "FILM" 0C 00 ends the FUJIFILM maker note's signature;
        // its offsets count from 4 bytes before.
        if (memcmp(data + j, kFilm, 6) == 0 && ++filmSeen == 2)
            noteBase = (long)j - 4;
    }
    int result = streams >= 2 ? 1 : 0;
    if (noteBase < 1)
        return result;
    size_t a = (size_t)noteBase;
    for (size_t j = a; j < a + 400 && j + 24 <= size; j++) {
        if (!(data[j] == 0x11 && data[j + 1] == 0xB2 && data[j + 12] == 0x12 && data[j + 13] == 0xB2))
            continue;
        // Each tag's value is a rational (numerator, denominator) at the note
        // base plus its offset; the denominator tells the frame size it is
        // counted in, the numerator is hundredths of a pixel.
        DWORD offH = Get32(data + j + 8), offV = Get32(data + j + 20);
        if ((size_t)offH <= size - a - 8) {
            int num = (int)Get32(data + a + offH);
            DWORD den = Get32(data + a + offH + 4);
            if (den == 320 || den == 640 || den == 1280)
                *parallaxH = num / 100;
        }
        if ((size_t)offV <= size - a - 8) {
            int num = (int)Get32(data + a + offV);
            DWORD den = Get32(data + a + offV + 4);
            if (den == 240 || den == 480 || den == 720)
                *parallaxV = num / 100;
        }
        break;
    }
    return result;
}

int ProbeStereoAvi(const char *path)
{
    g_nParallaxH = g_nParallaxV = 0;
    AviFile *file = OpenAviFile(path);
    if (!file)
        return -1;
    BYTE *buffer = (BYTE *)malloc(kProbeBytes);
    if (!buffer) {
        CloseAviFile(file);
        return -1;
    }
    AviByteSource src = AviFileSource(file);
    size_t n = src.read(src.context, 0, buffer, kProbeBytes);
    CloseAviFile(file);
    int result = ProbeStereoAviBytes(buffer, n, &g_nParallaxH, &g_nParallaxV);
    free(buffer);
    return result;
}
