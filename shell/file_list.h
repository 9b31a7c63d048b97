// The batch file list: a text file whose lines name what to open and what
// to save, "type, all-frame flag, three numbers, source(s), output type,
// output(s)", fields separated by commas (runs of commas count as one),
// names relative to the list's folder. Lines are read in pieces of at most
// 511 characters; each piece counts as a line.
#ifndef TWR_SHELL_FILE_LIST_H
#define TWR_SHELL_FILE_LIST_H

#include <stdio.h>

enum { kListLineBytes = 512, kListNameBytes = 512 };

// Entry types that act: one stereo file, a pair (also as output types).
enum { kListStereoFile = 11, kListPair = 21 };

struct FileListEntry {
    int type;
    int allFrames;  // field 2: adjust every frame for this save
    int outputType;
    char source1[kListNameBytes], source2[kListNameBytes];
    char output1[kListNameBytes], output2[kListNameBytes];
};

// Lines whose first field reads (atoi) as 1-29.
int CountListEntries(FILE *list);

// Entry n (from 0): the n + 1-th line whose first field is only digits and
// blanks with a value of 1-29. A line with fewer than 5 commas is counted
// but holds nothing. Fills the entry (a name field that is missing leaves
// that name as it was) and returns true; false when entry n is not there
// or holds nothing, the entry then unchanged.
bool FindListEntry(FILE *list, int n, FileListEntry *entry);

// The same on one line (changed in place: the fields are cut out of it).
bool ParseListEntryLine(char *line, FileListEntry *entry);

#endif
