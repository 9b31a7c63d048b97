#include "mpeg/gop_index.h"

#include "mpeg/file_layer.h"
#include "mpeg/name_chars.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char kMagic[32] = {'G', 'O', 'P', '_', 'L', 'I', 'S', 'T', 0, 0, 0, 0, 0, 0, 0, 0,
                                '0', '0', '0', '0', '0', '0', '0', '3', 0, 0, 0, 0, 0, 0, 0, 0};
// After the records: this tag, the stream size and the hash.
static const char kFingerprintTag[8] = {'T', 'W', 'R', 'F', 'P', '0', '0', '1'};
// Bytes hashed at each end of the stream.
static const int kFingerprintBytes = 0x10000;

// FNV-1a, 64 bits.
static void HashBytes(unsigned long long *h, const BYTE *p, int n)
{
    for (int i = 0; i < n; i++) {
        *h ^= p[i];
        *h *= 0x100000001B3ULL;
    }
}

bool ComputeStreamFingerprint(const char *path, int joinNumbered, StreamFingerprint *fp)
{
    FileLayer *fl = OpenFileLayer(path, joinNumbered);
    if (!fl)
        return false;
    BYTE *buf = (BYTE *)malloc(kFingerprintBytes);
    if (!buf) {
        CloseFileLayer(fl);
        return false;
    }
    unsigned long long h = 0xCBF29CE484222325ULL;
    fp->size = fl->total;
    long long tailStart = fl->total - kFingerprintBytes;
    if (tailStart < 0)
        tailStart = 0;
    long long starts[2] = {0, tailStart};
    bool ok = true;
    for (long long s : starts) {
        SeekFileLayer(fl, s, 0);
        int want = (int)(fl->total - s < kFingerprintBytes ? fl->total - s : kFingerprintBytes);
        int got = 0;
        while (got < want) {
            int n = ReadFileLayer(fl, buf + got, want - got);
            if (n <= 0)
                break;
            got += n;
        }
        ok &= got == want;
        HashBytes(&h, buf, got);
    }
    fp->hash = h;
    free(buf);
    CloseFileLayer(fl);
    return ok;
}

bool GopListFileName(const char *moviePath, char name[260])
{
    size_t n = strlen(moviePath);
    if (n >= 260)
        return false;
    char copy[260];
    memcpy(copy, moviePath, n + 1);
    char *dot = nullptr;
    for (char *p = copy; *p; p = NextNameChar(p)) {
        if (*p == '\\' || *p == '/')
            dot = nullptr;
        else if (*p == '.')
            dot = p;
    }
    if (dot)
        *dot = 0;
    if (strlen(copy) + 4 > 259)
        return false;
    strcpy(name, copy);
    strcat(name, ".gl");
    return true;
}

namespace {

struct Writer {
    FILE *f;
    bool ok = true;
    void Put(long long v, int bytes)
    {
        for (int i = 0; i < bytes && ok; i++)
            ok = fputc((int)((unsigned long long)v >> (8 * i)) & 0xFF, f) != EOF;
    }
    void I32(int v) { Put(v, 4); }
    void I64(long long v) { Put(v, 8); }
};

struct Reader {
    FILE *f;
    bool ok = true;
    long long Get(int bytes)
    {
        unsigned long long v = 0;
        for (int i = 0; i < bytes && ok; i++) {
            int c = fgetc(f);
            if (c == EOF)
                ok = false;
            else
                v |= (unsigned long long)c << (8 * i);
        }
        if (bytes == 4)
            return (long long)(int)(unsigned)v;
        return (long long)v;
    }
    int I32() { return (int)Get(4); }
    long long I64() { return Get(8); }
    // A field that must lie in [lo, hi].
    int Field(int lo, int hi)
    {
        int v = I32();
        if (v < lo || v > hi)
            ok = false;
        return v;
    }
};

void WriteRecord(Writer &w, const SequenceRecord &s)
{
    const int head[9] = {s.horizontal_size, s.vertical_size, s.coded_width, s.coded_height,
                         s.aspect_ratio_information, s.frame_rate_code, s.bit_rate, s.vbv_buffer_size,
                         s.constrained_parameters_flag};
    for (int v : head)
        w.I32(v);
    w.I32(s.load_intra_quantiser_matrix);
    for (int i = 0; s.load_intra_quantiser_matrix && i < 64; i++)
        w.Put(s.intra_quantiser_matrix[i], 1);
    w.I32(s.load_non_intra_quantiser_matrix);
    for (int i = 0; s.load_non_intra_quantiser_matrix && i < 64; i++)
        w.Put(s.non_intra_quantiser_matrix[i], 1);
    w.I32(s.has_sequence_extension);
    if (s.has_sequence_extension) {
        const int ext[6] = {s.profile_and_level_indication, s.progressive_sequence, s.chroma_format, s.low_delay,
                            s.frame_rate_extension_n, s.frame_rate_extension_d};
        for (int v : ext)
            w.I32(v);
    }
    w.I32(s.has_display_extension);
    if (s.has_display_extension) {
        const int ext[7] = {s.video_format, s.colour_description, s.colour_primaries, s.transfer_characteristics,
                            s.matrix_coefficients, s.display_horizontal_size, s.display_vertical_size};
        for (int v : ext)
            w.I32(v);
    }
    w.I32(s.has_scalable_extension);
    if (s.has_scalable_extension) {
        const int ext[12] = {s.scalable_mode, s.layer_id, s.lower_layer_prediction_horizontal_size,
                             s.lower_layer_prediction_vertical_size, s.horizontal_subsampling_factor_m,
                             s.horizontal_subsampling_factor_n, s.vertical_subsampling_factor_m,
                             s.vertical_subsampling_factor_n, s.picture_mux_enable, s.mux_to_progressive_sequence,
                             s.picture_mux_order, s.picture_mux_factor};
        for (int v : ext)
            w.I32(v);
    }
}

// Every field within the range its syntax element can hold.
void ReadRecord(Reader &r, SequenceRecord &s)
{
    memset(&s, 0, sizeof s);
    s.horizontal_size = r.Field(1, 0x3FFF);
    s.vertical_size = r.Field(1, 0x3FFF);
    r.I32();  // coded sizes: recomputed below
    r.I32();
    s.aspect_ratio_information = r.Field(0, 15);
    s.frame_rate_code = r.Field(0, 15);
    s.bit_rate = r.Field(0, 0x3FFFFFFF);
    s.vbv_buffer_size = r.Field(0, 0x3FFFF);
    s.constrained_parameters_flag = r.Field(0, 1);
    s.load_intra_quantiser_matrix = r.Field(0, 1);
    for (int i = 0; r.ok && s.load_intra_quantiser_matrix && i < 64; i++)
        s.intra_quantiser_matrix[i] = (unsigned short)r.Get(1);
    s.load_non_intra_quantiser_matrix = r.Field(0, 1);
    for (int i = 0; r.ok && s.load_non_intra_quantiser_matrix && i < 64; i++)
        s.non_intra_quantiser_matrix[i] = (unsigned short)r.Get(1);
    s.has_sequence_extension = r.Field(0, 1);
    if (r.ok && s.has_sequence_extension) {
        s.profile_and_level_indication = r.Field(0, 255);
        s.progressive_sequence = r.Field(0, 1);
        s.chroma_format = r.Field(1, 3);
        s.low_delay = r.Field(0, 1);
        s.frame_rate_extension_n = r.Field(0, 3);
        s.frame_rate_extension_d = r.Field(0, 31);
    }
    s.has_display_extension = r.Field(0, 1);
    if (r.ok && s.has_display_extension) {
        s.video_format = r.Field(0, 7);
        s.colour_description = r.Field(0, 1);
        s.colour_primaries = r.Field(0, 255);
        s.transfer_characteristics = r.Field(0, 255);
        s.matrix_coefficients = r.Field(0, 255);
        s.display_horizontal_size = r.Field(0, 0x3FFF);
        s.display_vertical_size = r.Field(0, 0x3FFF);
    }
    s.has_scalable_extension = r.Field(0, 1);
    if (r.ok && s.has_scalable_extension) {
        s.scalable_mode = r.Field(0, 3);
        s.layer_id = r.Field(0, 15);
        s.lower_layer_prediction_horizontal_size = r.Field(0, 0x3FFF);
        s.lower_layer_prediction_vertical_size = r.Field(0, 0x3FFF);
        s.horizontal_subsampling_factor_m = r.Field(0, 31);
        s.horizontal_subsampling_factor_n = r.Field(0, 31);
        s.vertical_subsampling_factor_m = r.Field(0, 31);
        s.vertical_subsampling_factor_n = r.Field(0, 31);
        s.picture_mux_enable = r.Field(0, 1);
        s.mux_to_progressive_sequence = r.Field(0, 1);
        s.picture_mux_order = r.Field(0, 7);
        s.picture_mux_factor = r.Field(0, 7);
    }
    s.coded_width = (s.horizontal_size + 15) & ~15;
    bool interlaced = s.has_sequence_extension && !s.progressive_sequence;
    s.coded_height = interlaced ? (s.vertical_size + 31) & ~31 : (s.vertical_size + 15) & ~15;
}

}  // namespace

int WriteGopListFile(const GopList *list, const char *fileName, const StreamFingerprint *fp)
{
    FILE *f = fopen(fileName, "wb");
    if (!f)
        return 0;
    Writer w{f};
    w.ok = fwrite(kMagic, 1, 32, f) == 32;
    w.I64(list->streamSize);
    w.I64(list->totalFrames);
    w.I32(list->gopCount);
    w.I32(list->recordCount);
    for (int i = 0; i < list->gopCount && w.ok; i++) {
        const GopEntry &e = list->entries[i];
        w.I64(e.offset);
        w.I64(e.first);
        w.I64(e.count);
        w.I32((int)(e.seq - list->records));
    }
    for (int i = 0; i < list->recordCount && w.ok; i++)
        WriteRecord(w, list->records[i]);
    if (w.ok)
        w.ok = fwrite(kFingerprintTag, 1, 8, f) == 8;
    w.I64(fp->size);
    w.I64((long long)fp->hash);
    bool closed = fclose(f) == 0;
    return w.ok && closed ? 1 : 0;
}

GopList *ReadGopListFile(const char *fileName, long long streamSize, const StreamFingerprint *fp)
{
    FILE *f = fopen(fileName, "rb");
    if (!f)
        return nullptr;
    long long fileLength = -1;
    if (fseek(f, 0, SEEK_END) == 0)
        fileLength = ftell(f);
    rewind(f);
    Reader r{f};
    GopList *list = (GopList *)calloc(1, sizeof(GopList));
    char magic[32];
    r.ok = list && fileLength > 56 && fread(magic, 1, 32, f) == 32 && memcmp(magic, kMagic, 32) == 0;
    if (r.ok) {
        list->streamSize = r.I64();
        list->totalFrames = r.I64();
        list->gopCount = r.I32();
        list->recordCount = r.I32();
        // Counts bounded by what the file can hold: 28 bytes per GOP, at
        // least 56 per record.
        long long room = fileLength - 56;
        r.ok = r.ok && list->streamSize == streamSize && list->totalFrames >= 0 && list->gopCount > 0 &&
               list->recordCount > 0 && list->gopCount <= room / 28 && list->recordCount <= room / 56 &&
               (long long)list->gopCount * 28 + (long long)list->recordCount * 56 <= room;
    }
    if (r.ok) {
        list->entries = (GopEntry *)calloc(list->gopCount, sizeof(GopEntry));
        list->records = (SequenceRecord *)calloc(list->recordCount, sizeof(SequenceRecord));
        r.ok = list->entries && list->records;
    }
    for (int i = 0; r.ok && i < list->gopCount; i++) {
        GopEntry &e = list->entries[i];
        e.offset = r.I64();
        e.first = r.I64();
        e.count = r.I64();
        int index = r.I32();
        // In range, in order, and each GOP beginning where the one before ends.
        r.ok = r.ok && e.offset >= 0 && e.offset < streamSize && e.count >= 0 && e.first >= 0 &&
               e.count <= list->totalFrames && index >= 0 && index < list->recordCount &&
               (i == 0 ? e.first == 0
                       : e.offset > list->entries[i - 1].offset &&
                             e.first == list->entries[i - 1].first + list->entries[i - 1].count);
        if (r.ok)
            e.seq = &list->records[index];
    }
    if (r.ok) {
        const GopEntry &last = list->entries[list->gopCount - 1];
        r.ok = last.first + last.count == list->totalFrames;
    }
    for (int i = 0; r.ok && i < list->recordCount; i++)
        ReadRecord(r, list->records[i]);
    if (r.ok) {
        char tag[8];
        r.ok = fread(tag, 1, 8, f) == 8 && memcmp(tag, kFingerprintTag, 8) == 0;
        long long size = r.I64();
        unsigned long long hash = (unsigned long long)r.I64();
        r.ok = r.ok && size == fp->size && hash == fp->hash && fgetc(f) == EOF;
    }
    fclose(f);
    if (!r.ok) {
        FreeGopList(list);
        return nullptr;
    }
    return list;
}

bool IsGopEntryStartCode(unsigned code, int pictureCodingType)
{
    return code == kSequenceHeaderCode || code == kGopStartCode ||
           (code == kPictureStartCode && pictureCodingType == kPictureI);
}

// The first bytes at a position, read straight from the source: a whole
// block through the reader for each entry would read most of the stream.
static bool EntryHoldsStartCode(ByteSource &src, long long offset)
{
    BYTE b[6];
    if (src.seek(src.handle, offset, 0) != offset)
        return false;
    int got = 0;
    while (got < (int)sizeof b) {
        int n = src.read(src.handle, b + got, (int)sizeof b - got);
        if (n <= 0)
            break;
        got += n;
    }
    if (got < 4)
        return false;
    unsigned code = (unsigned)b[0] << 24 | (unsigned)b[1] << 16 | (unsigned)b[2] << 8 | b[3];
    int type = got == 6 ? (b[5] >> 3) & 7 : 0;
    return IsGopEntryStartCode(code, type);
}

bool GopListMatchesStream(const GopList *list, VideoBitReader *v)
{
    ByteSource &src = v->rd.src;
    int n = list->gopCount;
    int checks = n < kCheckedGopEntries ? n : kCheckedGopEntries;
    bool ok = true;
    for (int k = 0; ok && k < checks; k++) {
        // k = 0 and k = checks - 1 give the first and the last entry.
        long long i = checks == 1 ? 0 : (long long)k * (n - 1) / (checks - 1);
        ok = EntryHoldsStartCode(src, list->entries[i].offset);
    }
    SeekVideo(v, 0, 0);
    return ok;
}
