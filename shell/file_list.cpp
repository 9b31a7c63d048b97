#include "shell/file_list.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

namespace {

// The next field, as strtok cuts it: leading commas skipped, the field
// ended at the next comma, which is cleared. Null when none is left.
char *NextField(char **cursor)
{
    char *p = *cursor;
    while (*p == ',')
        p++;
    if (!*p) {
        *cursor = p;
        return nullptr;
    }
    char *field = p;
    while (*p && *p != ',')
        p++;
    if (*p)
        *p++ = '\0';
    *cursor = p;
    return field;
}

// A name field without up to two line ends (CR or LF) at its end.
void TakeName(char *dest, const char *field)
{
    if (!field)
        return;
    size_t n = strlen(field);
    for (int k = 0; k < 2 && n > 0 && (field[n - 1] == '\r' || field[n - 1] == '\n'); k++)
        n--;
    if (n >= kListNameBytes)
        n = kListNameBytes - 1;
    memcpy(dest, field, n);
    dest[n] = '\0';
}

// The first field of a copy of the line.
bool FirstField(const char *line, char *field, size_t size)
{
    char copy[kListLineBytes];
    strncpy(copy, line, sizeof copy - 1);
    copy[sizeof copy - 1] = '\0';
    char *cursor = copy;
    char *f = NextField(&cursor);
    if (!f)
        return false;
    strncpy(field, f, size - 1);
    field[size - 1] = '\0';
    return true;
}

bool OnlyDigitsAndBlanks(const char *s)
{
    for (; *s; s++)
        if (!isdigit((unsigned char)*s) && *s != ' ')
            return false;
    return true;
}

int Commas(const char *line)
{
    int n = 0;
    for (; *line; line++)
        n += *line == ',';
    return n;
}

}  // namespace

int CountListEntries(FILE *list)
{
    char line[kListLineBytes], field[kListLineBytes];
    int count = 0;
    while (fgets(line, sizeof line, list)) {
        if (!FirstField(line, field, sizeof field))
            continue;
        int v = atoi(field);
        count += v >= 1 && v <= 29;
    }
    return count;
}

bool ParseListEntryLine(char *line, FileListEntry *e)
{
    if (Commas(line) < 5)
        return false;
    char *cursor = line;
    char *type = NextField(&cursor);
    char *flag = NextField(&cursor);
    for (int k = 0; k < 3; k++)
        NextField(&cursor);
    e->type = type ? atoi(type) : 0;
    e->allFrames = flag ? atoi(flag) : 0;
    TakeName(e->source1, NextField(&cursor));
    if (e->type == 5 || e->type == kListPair)
        TakeName(e->source2, NextField(&cursor));
    else
        strcpy(e->source2, e->source1);
    char *outType = NextField(&cursor);
    e->outputType = outType ? atoi(outType) : 0;
    TakeName(e->output1, NextField(&cursor));
    if (e->outputType == 5 || e->outputType == kListPair)
        TakeName(e->output2, NextField(&cursor));
    else
        strcpy(e->output2, e->output1);
    return true;
}

bool FindListEntry(FILE *list, int n, FileListEntry *entry)
{
    char line[kListLineBytes], field[kListLineBytes];
    int counter = 0;
    while (fgets(line, sizeof line, list)) {
        if (!FirstField(line, field, sizeof field) || !OnlyDigitsAndBlanks(field))
            continue;
        int v = atoi(field);
        if (v < 1 || v > 29)
            continue;
        counter++;
        if (Commas(line) < 5)
            continue;
        if (counter == n + 1)
            return ParseListEntryLine(line, entry);
    }
    return false;
}
