// Writes bit fields, most significant first: test streams made field by
// field from the standard's syntax.
#ifndef TWR_TESTS_MPEG_BIT_WRITER_H
#define TWR_TESTS_MPEG_BIT_WRITER_H

#include <stdint.h>

#include <vector>

struct BitWriter {
    std::vector<unsigned char> bytes;
    int bits = 0;  // bits used in the last byte (0 = byte aligned)

    void Put(uint32_t value, int n)
    {
        for (int i = n - 1; i >= 0; i--) {
            if (bits == 0)
                bytes.push_back(0);
            if ((value >> i) & 1)
                bytes.back() |= (unsigned char)(0x80 >> bits);
            bits = (bits + 1) & 7;
        }
    }
    void Align()
    {
        while (bits)
            Put(0, 1);
    }
    void StartCode(int code)
    {
        Align();
        Put(0x000001, 24);
        Put(code & 0xFF, 8);
    }
    void Bytes(const std::vector<unsigned char> &v)
    {
        Align();
        bytes.insert(bytes.end(), v.begin(), v.end());
    }
};

#endif
