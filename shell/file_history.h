// The recent-file history (g_szHistory, g_nHistoryType): five entries,
// entry 0 the newest. Entry k is name 2k (the right movie, or the single
// stereo file) and name 2k+1 (the left movie, empty for a single file).
// These functions change the arrays only; the caller writes the settings.
#ifndef TWR_SHELL_FILE_HISTORY_H
#define TWR_SHELL_FILE_HISTORY_H

#include <stddef.h>

// Records an open of (name0, name1) with the input type. Entries that hold
// exactly these names only take the new type and the order stays; then the
// result is false. Otherwise the entries move down one place (the oldest is
// dropped), the new one becomes entry 0 and the result is true.
bool RecordHistory(const char *name0, const char *name1, int type);

// "FileTypeHistory": the five types, each followed by a comma.
void FormatHistoryTypes(char *out, size_t size);

// The menu text of entry k: name 2k alone for a single file, else name 2k,
// '/' and the file part of name 2k+1.
void HistoryMenuText(int k, char *out, size_t size);

// Empties every name and type.
void ClearHistory();

#endif
