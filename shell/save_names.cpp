#include "shell/save_names.h"

#include "shared/path_helpers.h"

#include <stdio.h>

void CutFileExtension(char *dest, size_t size, const char *path)
{
    CopyPathText(dest, size, path);
    char *dot = nullptr;
    for (char *p = dest; *p; p++) {
        if (IsPathLeadByte((unsigned char)*p) && p[1]) {
            p++;
            continue;
        }
        if (*p == '\\')
            dot = nullptr;
        else if (*p == '.')
            dot = p;
    }
    if (dot)
        *dot = '\0';
}

void NumberedSaveName(char *dest, size_t size, const char *prefix, int part, const char *suffix)
{
    snprintf(dest, size, "%s%02d%s", prefix, part, suffix);
}
