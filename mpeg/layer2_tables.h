// The tables of ISO/IEC 11172-3 that the Layer II decoder uses, transcribed
// from the standard's annex B.
#ifndef TWR_MPEG_LAYER2_TABLES_H
#define TWR_MPEG_LAYER2_TABLES_H

#include "shared/wintypes.h"

// Table B.1: layer I and II scale factors, index 0-62 (63 is not a scale
// factor).
extern const double kLayer2ScaleFactors[63];

// Table B.4: classes of quantization.
struct Layer2QuantClass {
    int steps;
    double c;
    double d;
    int grouped;        // three samples in one codeword
    int codewordBits;   // bits per codeword
    int sampleBits;     // bits of one (ungrouped) sample value
};
extern const Layer2QuantClass kLayer2QuantClasses[17];

// Tables B.2a-d: possible quantization per subband. steps[sb][index] is the
// number of steps of allocation index (0: no allocation).
struct Layer2AllocTable {
    int sblimit;
    BYTE nbal[32];
    unsigned short steps[32][16];
};
extern const Layer2AllocTable kLayer2AllocA;  // sblimit 27
extern const Layer2AllocTable kLayer2AllocB;  // sblimit 30
extern const Layer2AllocTable kLayer2AllocC;  // sblimit 8
extern const Layer2AllocTable kLayer2AllocD;  // sblimit 12

// Table B.3: the synthesis window D[i], i = 0-511. Its entries are
// multiples of 2^-16; they are kept here as those multiples.
extern const int kLayer2SynthesisWindow[512];

#endif
