// The easy-adjustment settings file's one line of values: fifteen integers,
// each followed by a comma, in a fixed order (rotations, sizes, offsets,
// the four perspective turns, focal length, perspective shifts, canvas
// height, the perspective-rotation switch).
#ifndef TWR_ALIGNMENT_EASY_SETTINGS_H
#define TWR_ALIGNMENT_EASY_SETTINGS_H

#include <stddef.h>

enum { kEasyFields = 15 };

// The key names and the text written beside the values.
extern const char kEasyValuesKey[];       // "Easy Adjustment"
extern const char kEasyDescriptionKey[];  // "Description"
extern const char kEasyDescription[];
// What a reader gets when the key is missing.
extern const char kEasyMissingValue[];    // "Bogus Value: Get didn't work"

// "%d," fifteen times; cut to the buffer.
void FormatEasyFields(char *out, size_t size, const int values[kEasyFields]);

// Splits the text at commas: field i sets values[i] (its leading number,
// 0 when there is none) unless it begins with '*', which keeps the value.
// Fields past the fifteenth, and values past the last field, are left
// alone. Returns how many fields were read.
int ParseEasyFields(const char *text, int values[kEasyFields]);

#endif
