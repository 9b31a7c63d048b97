#include "mpeg/gop_index.h"

#include <stdlib.h>
#include <string.h>

#include <new>
#include <vector>

static bool NextPictureIsField(VideoBitReader *v)
{
    while (NextVideoStartCode(v)) {
        if (PeekVideoBits(v, 32) == kPictureStartCode) {
            PictureHeader pic;
            ParsePictureHeader(v, &pic);
            return pic.has_coding_extension && pic.picture_structure != kFramePicture;
        }
        SkipVideoBits(v, 32);
    }
    return false;
}

int ReadPictureWeight(VideoBitReader *v, int streamTopFieldFirst, int *type)
{
    PictureHeader pic;
    if (!ParsePictureHeader(v, &pic))
        return 0;
    *type = pic.picture_coding_type;
    if (!pic.has_coding_extension)
        return 1;
    if (pic.picture_structure != kFramePicture)
        return NextPictureIsField(v) ? 1 : -1;
    return pic.repeat_first_field && pic.top_field_first == streamTopFieldFirst ? 2 : 1;
}

namespace {

struct ScanGop {
    long long offset, first, count;
    int record;
};

}  // namespace

static GopList *MakeList(long long streamSize, const std::vector<ScanGop> &gops,
                         const std::vector<SequenceRecord> &records)
{
    GopList *list = (GopList *)calloc(1, sizeof(GopList));
    if (!list)
        return nullptr;
    list->entries = (GopEntry *)calloc(gops.size(), sizeof(GopEntry));
    list->records = (SequenceRecord *)calloc(records.size(), sizeof(SequenceRecord));
    if (!list->entries || !list->records) {
        FreeGopList(list);
        return nullptr;
    }
    list->streamSize = streamSize;
    list->gopCount = (int)gops.size();
    list->recordCount = (int)records.size();
    memcpy(list->records, records.data(), records.size() * sizeof(SequenceRecord));
    for (size_t i = 0; i < gops.size(); i++) {
        list->entries[i].offset = gops[i].offset;
        list->entries[i].first = gops[i].first;
        list->entries[i].count = gops[i].count;
        list->entries[i].seq = &list->records[gops[i].record];
    }
    if (list->entries[0].first != 0) {
        list->entries[0].count += list->entries[0].first;
        list->entries[0].first = 0;
    }
    const GopEntry &last = list->entries[list->gopCount - 1];
    list->totalFrames = last.first + last.count;
    return list;
}

GopList *BuildGopList(VideoBitReader *v, int streamTff, GopProgressHook hook, void *context)
{
    try {
        std::vector<SequenceRecord> records;
        std::vector<ScanGop> gops;
        SequenceRecord seq;
        long long pendingGop = -1;
        int closedGop = 0, skip = 0;
        bool haveSeq = false, pAfterI = false;
        unsigned lastCode = 0;
        long long size = v->streamSize;
        SeekVideo(v, 0, 0);
        while (NextVideoStartCode(v)) {
            if (hook) {
                long long tell = TellVideo(v);
                int percent = size > 0 ? (int)(tell * 100 / size) : 0;
                if (!hook(context, percent))
                    return nullptr;
            }
            long long pos = TellVideo(v);
            unsigned code = PeekVideoBits(v, 32);
            lastCode = code;
            if (code == kSequenceHeaderCode) {
                if (!ParseSequenceHeader(v, &seq))
                    return nullptr;
                if (gops.empty()) {
                    records.assign(1, seq);
                } else if (memcmp(&records.back(), &seq, sizeof seq) != 0) {
                    records.push_back(seq);
                }
                haveSeq = true;
            } else if (code == kGopStartCode) {
                SkipVideoBits(v, 32 + 25);
                closedGop = ReadVideoBits(v, 1);
                int brokenLink = ReadVideoBits(v, 1);
                pendingGop = pos;
                if (!gops.empty())
                    skip = closedGop ? 0 : brokenLink;
            } else if (code == kPictureStartCode) {
                if (!haveSeq) {
                    SkipVideoBits(v, 32);
                    continue;
                }
                int type = 0;
                int w = ReadPictureWeight(v, streamTff, &type);
                if (w < 0)
                    return nullptr;
                if (w == 0) {
                    pendingGop = -1;
                    continue;  // a picture no decoder can use is not counted
                }
                if (gops.empty()) {
                    if (type == kPictureI) {
                        gops.push_back({pendingGop >= 0 ? pendingGop : pos, 0, w, 0});
                        skip = closedGop == 0;
                        pAfterI = false;
                    } else {
                        closedGop = 0;
                    }
                    pendingGop = -1;
                    continue;
                }
                ScanGop *cur = &gops.back();
                ScanGop *prev = gops.size() >= 2 ? &gops[gops.size() - 2] : nullptr;
                if (type == kPictureI) {
                    if (!pAfterI && prev)
                        prev->count = cur->first - prev->first;
                    ScanGop next = {pendingGop >= 0 ? pendingGop : pos, cur->first + cur->count, w,
                                    (int)records.size() - 1};
                    gops.push_back(next);
                    pAfterI = false;
                } else if (type == kPictureP) {
                    if (!pAfterI && prev)
                        prev->count = cur->first - prev->first;
                    cur->count += w;
                    skip = 0;
                    pAfterI = true;
                } else if (!pAfterI) {
                    if (skip) {
                        // undecodable leading B pictures
                    } else if (closedGop == 0) {
                        cur->first += w;  // displayed before this GOP's I picture
                    } else {
                        cur->count += w;
                    }
                } else {
                    cur->count += w;
                }
                pendingGop = -1;
            } else {
                SkipVideoBits(v, 32);
            }
        }
        if (gops.empty())
            return nullptr;
        ScanGop &cur = gops.back();
        // The decoder holds the last two pictures of a stream that does not
        // end with a sequence end code; never below nothing.
        if (lastCode != kSequenceEndCode)
            cur.count = cur.count > 2 ? cur.count - 2 : 0;
        if (gops.size() >= 2) {
            ScanGop &prev = gops[gops.size() - 2];
            prev.count = cur.first - prev.first;
        }
        return MakeList(size, gops, records);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

GopEntry FindGopInList(const GopList *list, long long n)
{
    GopEntry none = {0, 0, 0, nullptr};
    if (!list || list->gopCount <= 0 || n < list->entries[0].first || n >= list->totalFrames)
        return none;
    const GopEntry *e = list->entries;
    int lo = 0, hi = list->gopCount - 1;
    if (n >= e[hi].first)
        return e[hi];
    // e[lo].first <= n < e[hi].first
    while (hi - lo > 1) {
        int mid = lo + (hi - lo) / 2;
        if (e[mid].first <= n)
            lo = mid;
        else
            hi = mid;
    }
    return e[lo];
}

void FreeGopList(GopList *list)
{
    if (!list)
        return;
    free(list->entries);
    free(list->records);
    free(list);
}
