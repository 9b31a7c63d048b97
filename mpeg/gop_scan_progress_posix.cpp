#include "mpeg/gop_scan_progress.h"

int DefaultGopScanProgress(void *, int)
{
    return 1;
}
