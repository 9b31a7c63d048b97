#include "mpeg/gop_scan_progress.h"

namespace {

GopProgressHook g_hook = nullptr;
void *g_context = nullptr;

} // namespace

void SetGopScanProgressHook(GopProgressHook hook, void *context)
{
    g_hook = hook;
    g_context = hook ? context : nullptr;
}

GopProgressHook GopScanProgressHook(void **context)
{
    if (!g_hook) {
        *context = nullptr;
        return DefaultGopScanProgress;
    }
    *context = g_context;
    return g_hook;
}
