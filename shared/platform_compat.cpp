#include "shared/platform_compat.h"

#include "shared/wintypes.h"

bool IsRunningOnWine()
{
    static int wine = -1;
    if (wine < 0) {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        wine = ntdll && GetProcAddress(ntdll, "wine_get_version") ? 1 : 0;
    }
    return wine == 1;
}

bool AviFileOpenUnusable(uint64_t firstRiffEnd, bool zeroTimeStream)
{
    return (firstRiffEnd > 0x7FFFFFFFu || zeroTimeStream) && IsRunningOnWine();
}

bool AviGetterMisreadsRawFrames()
{
    return IsRunningOnWine();
}

void RaiseOwnedPopup(HWND popup)
{
    if (popup)
        SetWindowPos(popup, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
