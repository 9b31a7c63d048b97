// The 3DS date's file side: the first 98,304 bytes read with writers kept
// out, and written back in place.
#include "pipeline/movie_date.h"

#include "state/app_state.h"

#include <windows.h>

#include <vector>

namespace {

// The search area of a file of at least 100,000 bytes, in a zero-filled
// block of 100,000 bytes; false for a file that cannot be opened or read,
// or is too short.
bool ReadSearchArea(const char *path, std::vector<BYTE> *area)
{
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart >= kDateMinFileBytes;
    area->assign(kDateMinFileBytes, 0);
    DWORD got = 0;
    ok = ok && ReadFile(f, area->data(), kDateSearchBytes, &got, nullptr) && got == kDateSearchBytes;
    CloseHandle(f);
    return ok;
}

MovieDate SharedDate()
{
    return {g_nRecYear, g_nRecMonth, g_nRecDay, g_nRecHour, g_nRecMinute, g_nRecSecond};
}

}  // namespace

int Read3dsMovieDate(const char *path)
{
    std::vector<BYTE> area;
    MovieDate d;
    if (!ReadSearchArea(path, &area) || !FindMovieDate(area.data(), kDateSearchBytes, &d))
        return 0;
    g_nRecYear = d.year;
    g_nRecMonth = d.month;
    g_nRecDay = d.day;
    g_nRecHour = d.hour;
    g_nRecMinute = d.minute;
    g_nRecSecond = d.second;
    return 1;
}

int Write3dsMovieDate(const char *path)
{
    std::vector<BYTE> area;
    if (!ReadSearchArea(path, &area) || FindDateAnchor(area.data(), kDateSearchBytes) < 0)
        return 0;
    int count = RewriteMovieDates(area.data(), kDateSearchBytes, SharedDate());
    if (count == 0)
        return 0;
    // Only the date characters differ from what is in the file; a write
    // that does not go through whole is reported as nothing rewritten.
    HANDLE f = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 0;
    DWORD put = 0;
    bool ok = WriteFile(f, area.data(), kDateSearchBytes, &put, nullptr) && put == kDateSearchBytes;
    ok = CloseHandle(f) && ok;
    return ok ? count : 0;
}
