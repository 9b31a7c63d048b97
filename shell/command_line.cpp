#include "shell/command_line.h"

void SplitCommandLine(const char *line, char slots[kCommandLineSlots][kCommandLineSlotBytes])
{
    slots[0][0] = slots[1][0] = '\0';
    int slot = 0, pos = 0;
    bool quoted = false;
    for (const char *p = line; *p; p++) {
        char c = *p;
        if (c == '"' && !quoted) {
            quoted = true;
            pos = 0;
        } else if (c == '"') {
            quoted = false;
            // The character after the closing quote is the blank before the
            // next path; at the end of the line there is none to skip.
            if (p[1])
                p++;
            slot = 1;
            pos = 0;
        } else if (c == ' ' && !quoted) {
            slot = 1;
            pos = 0;
        } else if (pos < kCommandLineSlotBytes - 1) {
            slots[slot][pos++] = c;
            slots[slot][pos] = '\0';
        }
    }
}
