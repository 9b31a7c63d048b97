// Variable-length code tables of the picture layer (ISO/IEC 13818-2 annex
// B, tables B-1 to B-4 and B-8 to B-15). Each table is looked up by a
// fixed-width peek.
#ifndef TWR_MPEG_VLC_TABLES_H
#define TWR_MPEG_VLC_TABLES_H

#include <stdint.h>

// One entry: a value and the code length in bits; length 0 marks a code
// the table does not hold.
struct Vlc {
    int16_t value;
    uint8_t len;
};

// macroblock_type flags.
enum {
    kMbQuant = 1,
    kMbForward = 2,
    kMbBackward = 4,
    kMbPattern = 8,
    kMbIntra = 16,
};

// Special values of the address increment table (peek 11 bits).
enum { kMbaEscape = -1, kMbaStuffing = -2 };

// Coefficient entries: run (0-31) and level (1-40), or one of these.
enum { kCoefEob = 64, kCoefEscape = 65 };
struct CoefVlc {
    uint8_t run;   // or kCoefEob / kCoefEscape
    uint8_t level;
    uint8_t len;   // without the sign bit; 0: no such code
};

struct VlcTables {
    Vlc mbAddressIncrement[2048]; // 11 bits
    Vlc mbTypeI[4];               // 2 bits
    Vlc mbTypeP[64];              // 6 bits
    Vlc mbTypeB[64];              // 6 bits
    Vlc mbTypeSnr[8];             // 3 bits
    Vlc codedBlockPattern[512];   // 9 bits
    Vlc motionCode[2048];         // 11 bits, sign included
    Vlc dcSizeLuma[512];          // 9 bits
    Vlc dcSizeChroma[1024];       // 10 bits
    // Coefficients: codes whose first six bits are not all 0 by their top
    // 8 bits, the others (9 to 16 bits) by the 10 bits after those six.
    // The tables differ in the codes beginning 0000 001.
    CoefVlc coefShortB14[256], coefShortB15[256], coefLongB14[1024], coefLongB15[1024];
    VlcTables();
};
extern const VlcTables g_vlc;

#endif
