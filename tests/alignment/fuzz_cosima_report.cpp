// The report reader and the storing formula on arbitrary text.
#include "alignment/cosima_report.h"

#include <stdint.h>
#include <stdio.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 16384)
        return 0;
    FILE *f = fmemopen((void *)data, size, "r");
    if (!f)
        return 0;
    int values[kCosimaValueCount];
    ReadCosimaReport(f, values);
    fclose(f);
    CosimaAlignmentFromReport(values);
    return 0;
}
