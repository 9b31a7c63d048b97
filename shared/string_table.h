// Loaders of string-table texts.
#ifndef TWR_SHARED_STRING_TABLE_H
#define TWR_SHARED_STRING_TABLE_H

// Loads entry id into one of two 256-byte buffers used in turn, so that a
// message and its caption can be used together; a third call overwrites
// the first.
const char *LoadStr(int id);
// Loads entry id into one 512-byte buffer.
const char *LoadResString(int id);

#endif
