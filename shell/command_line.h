// The program's command line: at most two movie paths, the left and the
// right one.
#ifndef TWR_SHELL_COMMAND_LINE_H
#define TWR_SHELL_COMMAND_LINE_H

enum { kCommandLineSlots = 2, kCommandLineSlotBytes = 260 };

// Splits the text after the program name into two slots (left, right).
// Blanks separate paths; a quoted path keeps its blanks. A third path
// overwrites the second; a blank before the first path puts it into the
// second slot. Paths longer than the slot are cut; the slots stay
// terminated.
void SplitCommandLine(const char *line, char slots[kCommandLineSlots][kCommandLineSlotBytes]);

// A name counts as given when its first byte, read as a signed 8-bit
// number, is above 30.
inline bool CommandLineNamePresent(const char *name) { return (signed char)name[0] > 30; }

#endif
