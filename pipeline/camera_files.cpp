#include "pipeline/camera_files.h"

#include <stdio.h>
#include <string.h>

namespace {

const CameraKind kKinds[9] = {
    {640, 480, 30, 0, 640, 480},   {320, 240, 30, 1, 320, 240}, {1280, 720, 24, 19, 1280, 720},
    {400, 240, 20, 17, 0, 0},      {400, 240, 30, 18, 0, 0},    {480, 240, 20, 0, 640, 480},
    {480, 240, 30, 0, 640, 480},   {400, 240, 24, 0, 640, 480}, {480, 240, 24, 0, 640, 480},
};

uint32_t Le32(const BYTE *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
void PutLe32(BYTE *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (BYTE)(v >> 8 * i);
}
void PutLe16(BYTE *p, int v)
{
    p[0] = (BYTE)v;
    p[1] = (BYTE)(v >> 8);
}
void PutBe16(BYTE *p, int v)
{
    p[0] = (BYTE)(v >> 8);
    p[1] = (BYTE)v;
}
int Be16(const BYTE *p) { return p[0] << 8 | p[1]; }

bool MarkerAt(const BYTE *p, size_t size, size_t at, BYTE marker)
{
    return at + 1 < size && p[at] == 0xFF && p[at + 1] == marker;
}

// Header offsets of the template.
enum {
    kRiffSizeAt = 4,
    kHdrlAt = 20,
    kFrameTimeAt = 32,
    kTotalFramesAt = 48,
    kLeftStrlAt = 96,
    kLeftLengthAt = 140,
    kLeftCameraAt = 224,
    kSoundRateAt = 9234,
    kSoundFormatRateAt = 9278,
    kRightStrlAt = 9298,
    kRightCameraAt = 9426,
    kBlockWidthAt = 10060,
    kBlockHeightAt = 10068,
    kHdrlCopy = 68,
    kStrlCopy = 116,
    kSoundCameraCode = 6,
};

}  // namespace

const CameraKind &CameraKindFacts(int kind)
{
    return kKinds[kind >= 0 && kind <= 8 ? kind : 0];
}

TempChunks LocateTempChunks(const BYTE *head, size_t size)
{
    TempChunks c = {20, {96, 238, 356}};
    size_t end = size < 1024 ? size : 1024;
    bool hdrl = false;
    int strl = 0;
    for (size_t i = 0; i + 4 <= end; i++) {
        if (!hdrl && !memcmp(head + i, "hdrl", 4)) {
            c.hdrl = (int)i;
            hdrl = true;
        } else if (strl < 3 && !memcmp(head + i, "strl", 4)) {
            c.strl[strl++] = (int)i;
        }
    }
    return c;
}

void PatchCameraHeader(BYTE *header, const BYTE *tempHead, int kind)
{
    const CameraKind &k = CameraKindFacts(kind);
    TempChunks c = LocateTempChunks(tempHead, kTempHeaderBytes);
    memcpy(header + kHdrlAt, tempHead + c.hdrl, kHdrlCopy);
    memcpy(header + kLeftStrlAt, tempHead + c.strl[0], kStrlCopy);
    memcpy(header + kRightStrlAt, tempHead + c.strl[2], kStrlCopy);
    // Rate, start and length of the sound stream.
    memcpy(header + kSoundRateAt, tempHead + c.strl[1] + 36, 12);
    PutLe32(header + kRiffSizeAt, Le32(tempHead + 4) + (kCameraHeaderBytes - kTempHeaderBytes));
    PutLe32(header + kTotalFramesAt, 2 * Le32(header + kLeftLengthAt));
    // 41,666 microseconds at 24 frames a second, as the camera writes it.
    if (kind == 2)
        header[kFrameTimeAt] = 194;
    for (int at : {kLeftCameraAt, kRightCameraAt}) {
        if (k.kindByte) {
            header[at] = (BYTE)k.kindByte;
            header[at + 1] = (BYTE)k.fps;
        }
        header[at + 2] = kSoundCameraCode;
    }
    PutLe32(header + kSoundFormatRateAt, kCameraSoundRate);
    PutLe32(header + kSoundFormatRateAt + 4, kCameraSoundRate * 4);
    if (k.blockWidth) {
        PutLe16(header + kBlockWidthAt, k.blockWidth);
        PutLe16(header + kBlockHeightAt, k.blockHeight);
    }
}

bool PlaceCameraPreview(BYTE *header, bool right, const BYTE *jpeg, size_t size)
{
    size_t room = right ? kRightPreviewRoom : kLeftPreviewRoom;
    if (size > room)
        return false;
    memcpy(header + (right ? kRightPreviewAt : kLeftPreviewAt), jpeg, size);
    return true;
}

bool HasWriterLayout(const BYTE *p, size_t size)
{
    if (size < 613 || !MarkerAt(p, size, 0, 0xD8) || !MarkerAt(p, size, 2, 0xE0) || Be16(p + 4) != 16)
        return false;
    // Two DQT segments of one 8-bit table each: luma 0, chroma 1.
    if (!MarkerAt(p, size, 20, 0xDB) || Be16(p + 22) != 67 || p[24] != 0)
        return false;
    if (!MarkerAt(p, size, 89, 0xDB) || Be16(p + 91) != 67 || p[93] != 1)
        return false;
    if (!MarkerAt(p, size, 158, 0xC0) || Be16(p + 160) != 17)
        return false;
    size_t at = 177;
    for (int i = 0; i < 4; i++) {
        if (!MarkerAt(p, size, at, 0xC4))
            return false;
        at += 2 + Be16(p + at + 2);
    }
    return at == 609 && MarkerAt(p, size, 609, 0xDA);
}

bool RepackAvi1Frame(const BYTE *src, size_t size, std::vector<BYTE> *out)
{
    if (!HasWriterLayout(src, size))
        return false;
    size_t length = size - 430;
    size_t padded = (length + 31) / 32 * 32;
    out->assign(padded, 0);
    BYTE *f = out->data();
    static const BYTE kHead[30] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'A',  'V',  'I',  '1',  0,    0,    0, 0, 0,
                                   0,    0,    0,    0,    0,    0xFF, 0xDD, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x84};
    memcpy(f, kHead, sizeof kHead);
    PutLe32(f + 12, (uint32_t)padded);
    PutLe32(f + 16, (uint32_t)length);
    memcpy(f + 30, src + 24, 65);
    memcpy(f + 95, src + 93, 65);
    memcpy(f + 160, src + 158, 19);
    memcpy(f + 179, src + 609, size - 609);
    return true;
}

bool RepackPreviewJpeg(const BYTE *src, size_t size, std::vector<BYTE> *out)
{
    if (!HasWriterLayout(src, size))
        return false;
    out->clear();
    out->reserve(size - 34);
    auto add = [out](const BYTE *p, size_t n) { out->insert(out->end(), p, p + n); };
    static const BYTE kSoiDqt[6] = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x84};
    add(kSoiDqt, 6);
    add(src + 24, 65);
    add(src + 93, 65);
    add(src + 158, 19);
    BYTE dht[4] = {0xFF, 0xC4, 0, 0};
    PutBe16(dht + 2, 609 - 177 - 4 * 4 + 2);
    add(dht, 4);
    for (size_t at = 177; at < 609; at += 2 + Be16(src + at + 2))
        add(src + at + 4, Be16(src + at + 2) - 2);
    add(src + 609, size - 609);
    return true;
}

void FormatExifDate(char *out, int year, int month, int day, int hour, int minute, int second)
{
    auto clip = [](int v, int top) { return v < 0 ? 0 : v > top ? top : v; };
    snprintf(out, 20, "%04d:%02d:%02d %02d:%02d:%02d", clip(year, 9999), clip(month, 99), clip(day, 99),
             clip(hour, 99), clip(minute, 99), clip(second, 99));
}

bool BuildExifBlock(const BYTE *tmpl, const char *date, int width, int height, const BYTE *thumbnail,
                    size_t thumbnailSize, std::vector<BYTE> *out)
{
    size_t total = kExifTemplateBytes + thumbnailSize;
    size_t even = (total + 1) & ~(size_t)1;
    if (thumbnailSize > 0xFFFF || even - 2 > 0xFFFF)
        return false;
    out->assign(even, 0);
    BYTE *b = out->data();
    memcpy(b, tmpl, kExifTemplateBytes);
    if (thumbnailSize)
        memcpy(b + kExifTemplateBytes, thumbnail, thumbnailSize);
    PutBe16(b + 2, (int)(even - 2));
    for (int at : {178, 324, 344})
        memcpy(b + at, date, 19);
    PutBe16(b + 294, width);
    PutBe16(b + 306, height);
    PutBe16(b + 670, (int)thumbnailSize);
    return true;
}

int RewriteSegments(const BYTE *in, size_t size, int mode, const BYTE *block, size_t blockSize,
                    std::vector<BYTE> *out)
{
    out->clear();
    if (size < 1 || in[0] != 0xFF)
        return 2;
    if (size < 2 || in[1] != 0xD8)
        return 3;
    out->reserve(size + blockSize);
    out->push_back(0xFF);
    out->push_back(0xD8);
    bool blockWritten = false;
    size_t at = 2;
    for (;;) {
        if (at + 2 > size || in[at] != 0xFF)
            return 9;
        BYTE marker = in[at + 1];
        if (marker == 0xFF) {  // a fill byte
            at++;
            continue;
        }
        if (mode == 2 && !blockWritten && marker != 0xE1) {
            out->insert(out->end(), block, block + blockSize);
            blockWritten = true;
        }
        if (marker == 0xDA || marker == 0xD9) {
            // The scan and what follows it, or an image that ends here.
            out->insert(out->end(), in + at, in + size);
            return 0;
        }
        size_t length = 2;
        if (!(marker >= 0xD0 && marker <= 0xD7) && marker != 0x01) {
            if (at + 4 > size || Be16(in + at + 2) < 2)
                return 9;
            length = 2 + (size_t)Be16(in + at + 2);
            if (at + length > size)
                return 9;
        }
        bool drop = (mode == 3 && marker == 0xE0) || (mode == 2 && marker == 0xE1);
        if (!drop)
            out->insert(out->end(), in + at, in + at + length);
        at += length;
    }
}

int CameraOutputFrames(int sourceFrames, int fps, uint32_t rate, uint32_t scale)
{
    if (sourceFrames <= 0 || rate == 0)
        return 0;
    return (int)((int64_t)sourceFrames * fps * scale / rate);
}

int CameraTotalFrames(int outputFrames, int fps)
{
    return outputFrames <= 0 ? 0 : (outputFrames + fps - 1) / fps * fps;
}

int CameraSourceFrame(int k, int sourceFrames, int outputFrames)
{
    // A single output frame shows the first source frame.
    if (outputFrames <= 1)
        return 0;
    return (int)((int64_t)k * (sourceFrames - 1) / (outputFrames - 1));
}

int CameraTitleFrame(int k, int fps, uint32_t rate, uint32_t scale)
{
    uint64_t d = (uint64_t)fps * scale;
    return d ? (int)((uint64_t)k * rate / d) : 0;
}

int64_t CameraSoundSample(int k, int fps)
{
    return (int64_t)k * kCameraSoundRate / fps;
}

int64_t SourceSoundSample(int f, uint32_t rate, uint32_t scale)
{
    return rate ? ((int64_t)f * scale * kCameraSoundRate + rate / 2) / rate : 0;
}

bool RenameVideoChunkId(BYTE *id)
{
    if ((id[0] == '0' && (id[1] == '0' || id[1] == '2')) && id[2] == 'd' && id[3] == 'b') {
        id[3] = 'c';
        return true;
    }
    return false;
}
