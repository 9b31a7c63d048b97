#include "shared/file_at.h"

bool SeekFileTo(HANDLE file, uint64_t pos)
{
    LARGE_INTEGER at;
    at.QuadPart = (LONGLONG)pos;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

bool ReadFileAt(HANDLE file, uint64_t pos, void *buffer, DWORD bytes)
{
    DWORD got = 0;
    return SeekFileTo(file, pos) && ReadFile(file, buffer, bytes, &got, nullptr) && got == bytes;
}

bool WriteFileAt(HANDLE file, uint64_t pos, const void *buffer, DWORD bytes)
{
    DWORD put = 0;
    return SeekFileTo(file, pos) && WriteFile(file, buffer, bytes, &put, nullptr) && put == bytes;
}
