#include "alignment/tool_batch.h"

#include <stdio.h>
#include <string.h>

namespace {

void PumpWaitingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

bool RunToolBatch(HWND owner, const char *batchPath, const char *folder, int show)
{
    char commandLine[MAX_PATH + 3];
    if ((size_t)snprintf(commandLine, sizeof commandLine, "\"%s\"", batchPath) >= sizeof commandLine)
        return false;
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = (WORD)show;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hProcess);
    PumpWaitingMessages();
    if (owner) {
        InvalidateRect(owner, nullptr, TRUE);
        UpdateWindow(owner);
    }
    return true;
}
