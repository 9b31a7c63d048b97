#include "mpeg/gop_scan_progress.h"

int DefaultGopScanProgress(void *context, int percent)
{
    // Called at every start code: look at the queue only when some time
    // has passed (a PeekMessage per start code would cost more than the
    // scan itself).
    static DWORD last = 0;
    DWORD now = GetTickCount();
    if (now - last < 30)
        return 1;
    last = now;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT))
        DispatchMessageA(&msg);
    return 1;
}
