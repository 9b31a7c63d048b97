// Fuzzes the walk through a WAVE file's chunks (the file an outside
// program wrote): the samples found always lie inside the file.
#include "pipeline/wave_image.h"

#include <stddef.h>
#include <stdint.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    WaveLayout w;
    if (FindWaveData(data, size, &w)) {
        if (w.dataOffset > size || w.dataBytes > size - w.dataOffset || w.blockAlign == 0 ||
            w.dataBytes % w.blockAlign != 0)
            __builtin_trap();
        if (w.dataBytes) {
            // Touched, so that the sanitizer sees a read outside the input.
            volatile uint8_t first = data[w.dataOffset], last = data[w.dataOffset + w.dataBytes - 1];
            (void)first;
            (void)last;
        }
    }
    return 0;
}
