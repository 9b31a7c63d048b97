// Opening and closing a MovieSource through Video for Windows, and the
// dialog that reports a failed open.
#ifndef TWR_SOURCES_MOVIE_OPEN_H
#define TWR_SOURCES_MOVIE_OPEN_H

#include "shared/wintypes.h"
#include "sources/movie_source.h"

// Releases everything the record holds and returns it to the closed state;
// safe on a closed record.
void CloseMovieSource(MovieSource *m);

// Opens path into the closed record m. 0 on success; 1 on failure with the
// text of a string-table entry in errorText (kOpenErrorBytes bytes; empty
// for a plug-in failure). aviSynthKind 0 opens the file itself, 1 through
// an AviSynth script with AviSource, 2 (or more) with DirectShowSource.
// owner parents the one warning box the opener may show.
int OpenMovieSource(HWND owner, const char *path, MovieSource *m, char *errorText, int aviSynthKind);

// The dialog "FOURCC" that reports a failed open: titled with the failing
// path, it shows the error text and the codec's four-character code
// (g_szFourcc). Its creation parameter is a FourccDialogText.
struct FourccDialogText {
    const char *path;
    const char *errorText;
};
INT_PTR CALLBACK FourccDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
