#include "mpeg/layer2_decoder.h"

#include "mpeg/layer2_tables.h"
#include "mpeg/mem_bit_reader.h"

#include <math.h>
#include <string.h>

int g_bMonoMpegAudio = 0;

int ParseLayer2Header(DWORD w, Layer2Header *h)
{
    static const int kbits[15] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
    static const int rates[4] = {44100, 48000, 32000, 0};
    memset(h, 0, sizeof(*h));
    if ((w >> 20) != 0xFFF || !((w >> 19) & 1) || ((w >> 17) & 3) != 2)
        return 0;
    int bitrateIndex = (w >> 12) & 15;
    int rate = rates[(w >> 10) & 3];
    if (bitrateIndex == 0 || bitrateIndex == 15 || rate == 0)
        return 0;
    int mode = (w >> 6) & 3;
    g_bMonoMpegAudio = mode == 3 ? 1 : 2;
    int kbps = kbits[bitrateIndex];
    if (mode == 3 ? kbps > 192 : kbps < 64)
        return 0;
    int channels = mode == 3 ? 1 : 2;
    int perChannel = kbps * 1000 / channels;
    int sblimit;
    if (perChannel >= 56000)
        sblimit = perChannel < 96000 || rate == 48000 ? 27 : 30;
    else
        sblimit = rate == 32000 ? 12 : 8;
    int bound = mode == 1 ? 4 * ((w >> 4) & 3) + 4 : 32;
    h->mpeg1 = 1;
    h->layer = 2;
    h->crc = !((w >> 16) & 1);
    h->bitRate = kbps * 1000;
    h->samplingRate = rate;
    h->padding = (w >> 9) & 1;
    h->channels = channels;
    h->mode = mode;
    h->sblimit = sblimit;
    h->bound = bound < sblimit ? bound : sblimit;
    h->emphasis = w & 3;
    h->frameLength = 144 * h->bitRate / rate + h->padding;
    return 1;
}

void ResetLayer2Synthesis(Layer2Synthesis *s)
{
    memset(s, 0, sizeof(*s));
}

static const Layer2AllocTable *AllocTableFor(int sblimit)
{
    switch (sblimit) {
    case 27:
        return &kLayer2AllocA;
    case 30:
        return &kLayer2AllocB;
    case 8:
        return &kLayer2AllocC;
    default:
        return &kLayer2AllocD;
    }
}

static const Layer2QuantClass *ClassOf(int steps)
{
    for (const Layer2QuantClass &q : kLayer2QuantClasses)
        if (q.steps == steps)
            return &q;
    return nullptr;
}

// N[i][k] = cos((16 + i)(2k + 1) pi / 64) and the window as doubles.
struct SynthesisTables {
    double n[64][32];
    double d[512];
    SynthesisTables()
    {
        const double pi = 3.14159265358979323846;
        for (int i = 0; i < 64; i++)
            for (int k = 0; k < 32; k++)
                n[i][k] = cos((16 + i) * (2 * k + 1) * pi / 64);
        for (int i = 0; i < 512; i++)
            d[i] = kLayer2SynthesisWindow[i] / 65536.0;
    }
};

static const SynthesisTables &Tables()
{
    static const SynthesisTables t;
    return t;
}

// One time slot of 32 subband samples through the synthesis filterbank.
static void Synthesize(Layer2Synthesis *s, int ch, const double sample[32], double out[32])
{
    const SynthesisTables &t = Tables();
    double *v = s->v[ch];
    // V is kept as a ring: the newest 64 values at offset.
    int off = s->offset;
    for (int i = 0; i < 64; i++) {
        double sum = 0;
        const double *n = t.n[i];
        for (int k = 0; k < 32; k++)
            sum += n[k] * sample[k];
        v[(off + i) & 1023] = sum;
    }
    for (int j = 0; j < 32; j++) {
        double sum = 0;
        for (int i = 0; i < 8; i++) {
            // U[64i + j] = V[128i + j], U[64i + 32 + j] = V[128i + 96 + j]
            sum += v[(off + 128 * i + j) & 1023] * t.d[64 * i + j];
            sum += v[(off + 128 * i + 96 + j) & 1023] * t.d[64 * i + 32 + j];
        }
        out[j] = sum;
    }
}

static short ToSample(double x)
{
    double y = x * 32768.0;
    if (y >= 32767.0)
        return 32767;
    if (y <= -32768.0)
        return -32768;
    return (short)(int)y;  // toward zero
}

int DecodeLayer2Frame(const Layer2Header *h, const BYTE *data, int n, Layer2Synthesis *s, short *out)
{
    MemBitReader m;
    InitMemBitReader(&m, data, n > 0 ? n : 0);
    if (h->crc)
        SkipMemBits(&m, 16);
    const Layer2AllocTable *table = AllocTableFor(h->sblimit);
    int channels = h->channels, sblimit = h->sblimit, bound = h->bound;
    const Layer2QuantClass *cls[2][32] = {};
    for (int sb = 0; sb < sblimit; sb++) {
        int bits = table->nbal[sb];
        for (int ch = 0; ch < channels; ch++) {
            if (sb >= bound && ch == 1) {
                cls[1][sb] = cls[0][sb];
                continue;
            }
            int index = (int)ReadMemBits(&m, bits);
            cls[ch][sb] = index ? ClassOf(table->steps[sb][index]) : nullptr;
        }
    }
    int scfsi[2][32] = {};
    for (int sb = 0; sb < sblimit; sb++)
        for (int ch = 0; ch < channels; ch++)
            if (cls[ch][sb])
                scfsi[ch][sb] = (int)ReadMemBits(&m, 2);
    // Scale factors; index 63 is none and mutes its part.
    double scale[2][32][3] = {};
    for (int sb = 0; sb < sblimit; sb++) {
        for (int ch = 0; ch < channels; ch++) {
            if (!cls[ch][sb])
                continue;
            int f[3];
            switch (scfsi[ch][sb]) {
            case 0:
                f[0] = ReadMemBits(&m, 6);
                f[1] = ReadMemBits(&m, 6);
                f[2] = ReadMemBits(&m, 6);
                break;
            case 1:
                f[0] = f[1] = ReadMemBits(&m, 6);
                f[2] = ReadMemBits(&m, 6);
                break;
            case 2:
                f[0] = f[1] = f[2] = ReadMemBits(&m, 6);
                break;
            default:
                f[0] = ReadMemBits(&m, 6);
                f[1] = f[2] = ReadMemBits(&m, 6);
                break;
            }
            for (int p = 0; p < 3; p++)
                scale[ch][sb][p] = f[p] < 63 ? kLayer2ScaleFactors[f[p]] : 0.0;
        }
    }
    for (int gr = 0; gr < 12; gr++) {
        double sample[2][3][32] = {};
        for (int sb = 0; sb < sblimit; sb++) {
            // Below the bound each channel has its codewords; from it on one
            // set serves both channels, each with its own scale factors.
            int coded = sb < bound ? channels : 1;
            for (int ch = 0; ch < coded; ch++) {
                const Layer2QuantClass *q = cls[ch][sb];
                if (!q)
                    continue;
                int v[3];
                if (q->grouped) {
                    unsigned code = ReadMemBits(&m, q->codewordBits);
                    // A codeword beyond the levels it can group is damaged:
                    // its samples are silent.
                    if (code >= (unsigned)(q->steps * q->steps * q->steps)) {
                        v[0] = v[1] = v[2] = q->steps / 2;
                    } else {
                        for (int k = 0; k < 3; k++) {
                            v[k] = code % q->steps;
                            code /= q->steps;
                        }
                    }
                } else {
                    for (int k = 0; k < 3; k++)
                        v[k] = ReadMemBits(&m, q->codewordBits);
                }
                double half = (double)(1 << (q->sampleBits - 1));
                for (int k = 0; k < 3; k++) {
                    // MSB inverted: a two's complement fraction
                    double fraction = v[k] / half - 1.0;
                    double requantized = q->c * (fraction + q->d);
                    sample[ch][k][sb] = requantized * scale[ch][sb][gr / 4];
                    if (coded == 1 && channels == 2)
                        sample[1][k][sb] = requantized * scale[1][sb][gr / 4];
                }
            }
        }
        for (int k = 0; k < 3; k++) {
            double pcm[2][32];
            for (int ch = 0; ch < channels; ch++)
                Synthesize(s, ch, sample[ch][k], pcm[ch]);
            s->offset = (s->offset - 64) & 1023;
            short *o = out + 2 * 32 * (gr * 3 + k);
            for (int j = 0; j < 32; j++) {
                short l = ToSample(pcm[0][j]);
                o[2 * j] = l;
                o[2 * j + 1] = channels == 2 ? ToSample(pcm[1][j]) : l;
            }
        }
    }
    size_t used = MemBytesConsumed(&m);
    return (int)(used < (size_t)n ? used : (size_t)(n > 0 ? n : 0));
}

int CountLayer2Frames(const BYTE *data, int n)
{
    int frames = 0;
    int i = 0;
    while (i + 4 <= n) {
        if (data[i] == 0xFF && data[i + 1] >= 0xF0) {
            DWORD w = (DWORD)data[i] << 24 | data[i + 1] << 16 | data[i + 2] << 8 | data[i + 3];
            Layer2Header h;
            if (ParseLayer2Header(w, &h)) {
                frames++;
                i += h.frameLength;
                continue;
            }
        }
        i++;
    }
    return frames;
}

long long PtsToSamples(long long ticks, int rate)
{
    return (ticks % 90000) * rate / 90000 + (ticks / 90000) * rate;
}

long long SamplesToPts(long long samples, int rate)
{
    return rate ? (samples % rate) * 90000 / rate + (samples / rate) * 90000 : 0;
}
