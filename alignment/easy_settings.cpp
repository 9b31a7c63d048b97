#include "alignment/easy_settings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char kEasyValuesKey[] = "Easy Adjustment";
const char kEasyDescriptionKey[] = "Description";
const char kEasyDescription[] =
    "Rotation_l,Rotation_R,Zoom_L,Zoom_R,Alignment_x,Alignment_y,V_Perspective_L,V_Perspective_R,"
    "H_Perspective_L,H_Perspective_R,Focal length,Shift_L,Shift_R,Image Height+,Reverse Perspective Rotation";
const char kEasyMissingValue[] = "Bogus Value: Get didn't work";

void FormatEasyFields(char *out, size_t size, const int values[kEasyFields])
{
    if (size == 0)
        return;
    out[0] = 0;
    size_t used = 0;
    for (int i = 0; i < kEasyFields && used < size; ++i) {
        int n = snprintf(out + used, size - used, "%d,", values[i]);
        if (n < 0)
            break;
        used += (size_t)n;
    }
}

int ParseEasyFields(const char *text, int values[kEasyFields])
{
    int field = 0;
    const char *p = text;
    while (field < kEasyFields && *p) {
        const char *end = strchr(p, ',');
        size_t length = end ? (size_t)(end - p) : strlen(p);
        if (length > 0 || end) {
            // An empty field between two commas reads as 0, as atoi reads it.
            if (p[0] != '*') {
                char number[32];
                size_t n = length < sizeof number - 1 ? length : sizeof number - 1;
                memcpy(number, p, n);
                number[n] = 0;
                values[field] = atoi(number);
            }
            ++field;
        }
        if (!end)
            break;
        p = end + 1;
    }
    return field;
}
