// Fuzzes the batch list reader with any text: every entry it finds has
// terminated names inside their buffers.
#include "shell/file_list.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FILE *f = fmemopen((void *)data, size, "r");
    if (!f)
        return 0;
    int count = CountListEntries(f);
    FileListEntry e;
    memset(&e, 0, sizeof e);
    for (int n = 0; n <= count; n++) {
        rewind(f);
        if (FindListEntry(f, n, &e)) {
            const char *names[] = {e.source1, e.source2, e.output1, e.output2};
            for (const char *name : names)
                if (memchr(name, 0, kListNameBytes) == nullptr)
                    __builtin_trap();
        }
    }
    fclose(f);
    return 0;
}
