// A stand-in DV decompressor for the tests of the DV routes of the movie
// opener: installed in the test's own process under 'dvsd' and/or 'dvis',
// it "decodes" a chunk to a solid picture whose blue, green and red are
// the chunk's first three bytes, at the size of the stream's format.
// Real DV decoding is the platform's.
#ifndef TWR_STANDINS_DV_STANDIN_H
#define TWR_STANDINS_DV_STANDIN_H

#include <windows.h>

// Installs the decompressor for the handler ('dvsd' or 'dvis'); false when
// the codec manager refuses.
bool InstallDvStandin(DWORD handler);
void RemoveDvStandin(DWORD handler);

#endif
