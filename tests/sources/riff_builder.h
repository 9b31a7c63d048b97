// Small AVI files built in memory for the index reader's tests: chunks and
// lists, the headers the readers walk, and a sparse source whose pieces
// lie at any 64-bit position (for files beyond 4 GB).
#ifndef TWR_TESTS_SOURCES_RIFF_BUILDER_H
#define TWR_TESTS_SOURCES_RIFF_BUILDER_H

#include "sources/avi_index.h"

#include <stdint.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void Put32(Bytes &b, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b.push_back((uint8_t)(v >> (8 * i)));
}
inline void Put16(Bytes &b, uint16_t v)
{
    b.push_back((uint8_t)v);
    b.push_back((uint8_t)(v >> 8));
}
inline void Put64(Bytes &b, uint64_t v)
{
    Put32(b, (uint32_t)v);
    Put32(b, (uint32_t)(v >> 32));
}
inline void PutId(Bytes &b, const char *id) { b.insert(b.end(), id, id + 4); }
inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Chunk(const char *id, const Bytes &data)
{
    Bytes b;
    PutId(b, id);
    Put32(b, (uint32_t)data.size());
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1)
        b.push_back(0);
    return b;
}

inline Bytes List(const char *kind, const char *type, const Bytes &body)
{
    Bytes b;
    PutId(b, kind);
    Put32(b, (uint32_t)body.size() + 4);
    PutId(b, type);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline Bytes StreamList(const char *type, const Bytes &extra = Bytes())
{
    Bytes strh;
    PutId(strh, type);
    strh.resize(56, 0);
    return List("LIST", "strl", Cat({Chunk("strh", strh), Chunk("strf", Bytes(40, 0)), extra}));
}

struct IndexEntry {
    const char *id;
    uint32_t flags, offset, size;
};

inline Bytes Idx1(const std::vector<IndexEntry> &entries)
{
    Bytes b;
    for (const IndexEntry &e : entries) {
        PutId(b, e.id);
        Put32(b, e.flags);
        Put32(b, e.offset);
        Put32(b, e.size);
    }
    return Chunk("idx1", b);
}

// An AVI 1.0 file: the header lists, a 'movi' list of the given chunks and
// an 'idx1' index of them (offsets from the 'movi' fourcc, key frames).
struct SimpleAvi {
    Bytes bytes;
    std::vector<uint64_t> dataPos;  // absolute position of each chunk's data
};

inline SimpleAvi BuildSimpleAvi(const std::vector<std::pair<std::string, Bytes>> &chunks, int videoStreams = 1,
                                bool absoluteOffsets = false, bool withIndex = true)
{
    Bytes strls;
    for (int i = 0; i < videoStreams; i++)
        strls = Cat({strls, StreamList("vids")});
    Bytes hdrl = List("LIST", "hdrl", Cat({Chunk("avih", Bytes(56, 0)), strls}));
    Bytes movi;
    std::vector<IndexEntry> entries;
    std::vector<uint32_t> rel;
    static std::vector<std::string> ids;
    ids.clear();
    for (auto &c : chunks)
        ids.push_back(c.first);
    for (size_t i = 0; i < chunks.size(); i++) {
        rel.push_back((uint32_t)movi.size() + 4);  // from the 'movi' fourcc to the chunk header
        movi = Cat({movi, Chunk(chunks[i].first.c_str(), chunks[i].second)});
    }
    Bytes moviList = List("LIST", "movi", movi);
    uint64_t moviFourcc = 12 + hdrl.size() + 8;
    SimpleAvi avi;
    for (size_t i = 0; i < chunks.size(); i++) {
        uint64_t header = moviFourcc + rel[i];
        avi.dataPos.push_back(header + 8);
        uint32_t off = absoluteOffsets ? (uint32_t)header : rel[i];
        entries.push_back({ids[i].c_str(), 0x10, off, (uint32_t)chunks[i].second.size()});
    }
    Bytes body = Cat({hdrl, moviList});
    if (withIndex)
        body = Cat({body, Idx1(entries)});
    avi.bytes = List("RIFF", "AVI ", body);
    return avi;
}

// A source made of pieces at any position, zeros between them.
struct SparseFile {
    std::map<uint64_t, Bytes> pieces;
    uint64_t size = 0;

    void Put(uint64_t at, const Bytes &b)
    {
        pieces[at] = b;
        if (at + b.size() > size)
            size = at + b.size();
    }
    static size_t Read(void *context, uint64_t pos, void *buffer, size_t n)
    {
        SparseFile *f = (SparseFile *)context;
        if (pos >= f->size)
            return 0;
        if (n > f->size - pos)
            n = (size_t)(f->size - pos);
        uint8_t *out = (uint8_t *)buffer;
        memset(out, 0, n);
        for (auto &p : f->pieces) {
            uint64_t a = p.first, b = p.first + p.second.size();
            uint64_t lo = a > pos ? a : pos, hi = b < pos + n ? b : pos + n;
            if (lo < hi)
                memcpy(out + (lo - pos), p.second.data() + (lo - a), (size_t)(hi - lo));
        }
        return n;
    }
    AviByteSource Source() { return AviByteSource{this, Read, size}; }
};

// An OpenDML super index of standard indexes at the given positions.
inline Bytes SuperIndex(const char *chunkId, const std::vector<std::pair<uint64_t, uint32_t>> &indexes,
                        uint32_t reserved0 = 0, uint32_t claimedEntries = ~0u)
{
    Bytes b;
    Put16(b, 4);
    b.push_back(0);
    b.push_back(0);
    Put32(b, claimedEntries == ~0u ? (uint32_t)indexes.size() : claimedEntries);
    PutId(b, chunkId);
    Put32(b, reserved0);
    Put32(b, 0);
    Put32(b, 0);
    for (auto &ix : indexes) {
        Put64(b, ix.first);
        Put32(b, ix.second);
        Put32(b, 0);
    }
    return Chunk("indx", b);
}

// A standard index: entries of (offset from base, size with bit 31 set for
// delta frames).
inline Bytes StandardIndex(const char *id, const char *chunkId, uint64_t base,
                           const std::vector<std::pair<uint32_t, uint32_t>> &entries, uint32_t claimedEntries = ~0u)
{
    Bytes b;
    Put16(b, 2);
    b.push_back(0);
    b.push_back(1);
    Put32(b, claimedEntries == ~0u ? (uint32_t)entries.size() : claimedEntries);
    PutId(b, chunkId);
    Put64(b, base);
    Put32(b, 0);
    for (auto &e : entries) {
        Put32(b, e.first);
        Put32(b, e.second);
    }
    return Chunk(id, b);
}

// The header of an OpenDML file whose streams carry the given 'indx'
// chunks (empty for none), followed by the start of a 'movi' list.
inline Bytes OdmlHeader(const std::vector<Bytes> &streamIndexes, const std::vector<const char *> &types)
{
    Bytes strls;
    for (size_t i = 0; i < types.size(); i++)
        strls = Cat({strls, StreamList(types[i], i < streamIndexes.size() ? streamIndexes[i] : Bytes())});
    Bytes hdrl = List("LIST", "hdrl", Cat({Chunk("avih", Bytes(56, 0)), strls}));
    Bytes movi = List("LIST", "movi", Chunk("00dc", Bytes(4, 0)));
    Bytes b = List("RIFF", "AVI ", Cat({hdrl, movi}));
    return b;
}

#endif
