// Feeds the pictures of a video elementary stream (held in memory) through
// the picture decoder in coded order, with the stream side's bit reader
// and header parsers, and hands the decoded frames out in display order.
// The whole-stream object with its index and cache is the stream side's;
// this is the least the tests, the fuzzer and the benchmark need.
#ifndef TWR_TESTS_MPEG_ES_FEEDER_H
#define TWR_TESTS_MPEG_ES_FEEDER_H

#include "mpeg/decoder_state.h"
#include "mpeg/slice_decoder.h"
#include "mpeg/video_bit_reader.h"
#include "mpeg/video_headers.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <vector>

// The stream's bytes as a byte source.
struct MemorySource {
    const uint8_t *data;
    size_t size, pos;

    static int Read(void *h, BYTE *buf, int count)
    {
        MemorySource *m = (MemorySource *)h;
        size_t n = std::min((size_t)std::max(count, 0), m->size - m->pos);
        memcpy(buf, m->data + m->pos, n);
        m->pos += n;
        return (int)n;
    }
    static long long Seek(void *h, long long off, int whence)
    {
        MemorySource *m = (MemorySource *)h;
        long long base = whence == 0 ? 0 : whence == 1 ? (long long)m->pos : (long long)m->size;
        long long p = std::max(0LL, std::min(base + off, (long long)m->size));
        m->pos = (size_t)p;
        return p;
    }
    static long long Tell(void *h) { return (long long)((MemorySource *)h)->pos; }
    static void Close(void *) {}
    ByteSource AsSource() { return ByteSource{this, Close, Read, Seek, Tell}; }
};

struct EsFeederOptions {
    int simd = 0;
    int idctFunc = 2;
    int maxPictures = 1 << 30; // coded pictures to decode at most
    int maxWidth = 1 << 14, maxHeight = 1 << 14;
    IdctFunc idctOverride = nullptr; // a test's stand-in for the inverse DCT
};

// One output frame: the buffer (valid during the call), its sequence and
// the picture header of the frame's first (or only) picture.
typedef std::function<void(const FrameBuffer *, const SequenceRecord &, const PictureHeader &)> FrameSink;

class EsFeeder {
public:
    EsFeeder(const uint8_t *data, size_t size, const EsFeederOptions &opt) : opt_(opt)
    {
        mem_ = {data, size, 0};
        v_ = (VideoBitReader *)calloc(1, sizeof(VideoBitReader));
        st_ = NewDecoderState();
    }
    ~EsFeeder()
    {
        ReleaseFrameBuffer(fwd_);
        ReleaseFrameBuffer(bwd_);
        ReleaseFrameBuffer(pending_);
        FreeDecoderState(st_);
        if (v_ && opened_)
            CloseBlockSource(&v_->rd);
        free(v_);
    }

    // Decodes the whole stream; returns the number of frames handed out.
    int Run(const FrameSink &sink);
    int pictures = 0;      // coded pictures decoded
    int concealed = 0;     // pictures that ended with concealment

private:
    struct Bits {
        VideoBitReader *v;
        unsigned Peek(int n) { return PeekVideoBits(v, n); }
        void Skip(int n) { SkipVideoBits(v, n); }
        unsigned Read(int n) { return ReadVideoBits(v, n); }
        int NextStartCode()
        {
            if (!NextVideoStartCode(v))
                return -1;
            return (int)(ReadVideoBits(v, 32) & 0xFF);
        }
        void RewindToPreviousStartCode() { ::RewindToPreviousStartCode(v); }
    };

    void Emit(FrameBuffer *fb, const PictureHeader &ph, const FrameSink &sink)
    {
        if (fb) {
            sink(fb, seq_, ph);
            frames_++;
        }
    }
    void FinishPending(const FrameSink &sink);

    EsFeederOptions opt_;
    MemorySource mem_;
    VideoBitReader *v_ = nullptr;
    bool opened_ = false;
    DecoderState *st_ = nullptr;
    SequenceRecord seq_ = {};
    bool haveSeq_ = false;
    FrameBuffer *fwd_ = nullptr, *bwd_ = nullptr, *pending_ = nullptr;
    PictureHeader bwdHeader_ = {}, pendingHeader_ = {};
    int pendingStructure_ = 0;
    bool pendingDecodable_ = false;
    int frames_ = 0;
};

inline void EsFeeder::FinishPending(const FrameSink &sink)
{
    if (!pending_)
        return;
    FrameBuffer *cur = pending_;
    pending_ = nullptr;
    if (!pendingDecodable_) {
        ReleaseFrameBuffer(cur);
    } else if (pendingHeader_.picture_coding_type == kPictureB) {
        Emit(cur, pendingHeader_, sink);
        ReleaseFrameBuffer(cur);
    } else {
        ReleaseFrameBuffer(bwd_);
        bwd_ = cur;
        bwdHeader_ = pendingHeader_;
    }
}

inline int EsFeeder::Run(const FrameSink &sink)
{
    if (!v_ || !st_)
        return 0;
    if (!InitBlockReader(&v_->rd, mem_.AsSource()))
        return 0;
    opened_ = true;
    Bits bits{v_};
    while (NextVideoStartCode(v_)) {
        unsigned code = PeekVideoBits(v_, 32);
        if (code == kSequenceHeaderCode) {
            SequenceRecord s;
            if (!ParseSequenceHeader(v_, &s) || s.coded_width > opt_.maxWidth || s.coded_height > opt_.maxHeight) {
                haveSeq_ = false;
                continue;
            }
            if (haveSeq_ && (s.coded_width != seq_.coded_width || s.coded_height != seq_.coded_height)) {
                FinishPending(sink);
                Emit(bwd_, bwdHeader_, sink);
                ReleaseFrameBuffer(fwd_);
                ReleaseFrameBuffer(bwd_);
                fwd_ = bwd_ = nullptr;
            }
            seq_ = s;
            haveSeq_ = true;
            ApplySequenceToDecoder(&seq_, st_);
            SetDecoderRoutines(st_, SelectDecoderRoutines(opt_.simd, opt_.idctFunc, st_->chromaFormat));
            if (opt_.idctOverride)
                st_->idct = opt_.idctOverride;
            continue;
        }
        if (code != kPictureStartCode || !haveSeq_) {
            SkipVideoBits(v_, 32);
            continue;
        }
        if (pictures >= opt_.maxPictures)
            break;
        PictureHeader ph;
        if (!ParsePictureHeader(v_, &ph))
            continue;
        bool field = ph.has_coding_extension && ph.picture_structure != kFramePicture;
        bool second = field && pending_ && ph.picture_structure != pendingStructure_ &&
                      (ph.picture_coding_type == kPictureB) == (pendingHeader_.picture_coding_type == kPictureB);
        if (!second)
            FinishPending(sink);
        ApplyPictureToDecoder(&ph, st_);
        if (field)
            st_->pred.firstField = second ? 0 : 1; // a lone field must not shift the parity of later ones
        FrameBuffer *cur = second ? pending_ : NewFrameBuffer(seq_.coded_width, seq_.coded_height);
        if (!cur)
            return frames_;
        if (!second && ph.picture_coding_type != kPictureB) {
            Emit(bwd_, bwdHeader_, sink);
            ReleaseFrameBuffer(fwd_);
            fwd_ = bwd_;
            bwd_ = nullptr;
        }
        PictureBuffers pb = {fwd_, ph.picture_coding_type == kPictureB ? bwd_ : nullptr, cur};
        bool decodable = ph.picture_coding_type == kPictureI || (ph.picture_coding_type == kPictureP && fwd_) ||
                         (ph.picture_coding_type == kPictureB && fwd_ && bwd_);
        if (decodable) {
            if (!DecodeSlices(bits, st_, pb))
                concealed++;
            pictures++;
        }
        if (field && !second) {
            pending_ = cur;
            pendingHeader_ = ph;
            pendingStructure_ = ph.picture_structure;
            pendingDecodable_ = decodable;
            continue;
        }
        if (second) {
            pending_ = nullptr;
            ph = pendingHeader_; // the frame is described by its first field
            decodable = decodable && pendingDecodable_;
        }
        if (!decodable) {
            ReleaseFrameBuffer(cur);
            continue;
        }
        if (ph.picture_coding_type == kPictureB) {
            Emit(cur, ph, sink);
            ReleaseFrameBuffer(cur);
        } else {
            bwd_ = cur;
            bwdHeader_ = ph;
        }
    }
    FinishPending(sink);
    Emit(bwd_, bwdHeader_, sink);
    return frames_;
}

#endif
