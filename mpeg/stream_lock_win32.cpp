#include "mpeg/stream_lock.h"

#include "shared/wintypes.h"

#include <stdlib.h>

bool InitStreamLock(StreamLock *lock)
{
    CRITICAL_SECTION *cs = (CRITICAL_SECTION *)malloc(sizeof(CRITICAL_SECTION));
    if (!cs)
        return false;
    InitializeCriticalSection(cs);
    lock->impl = cs;
    return true;
}

void DeleteStreamLock(StreamLock *lock)
{
    if (!lock->impl)
        return;
    DeleteCriticalSection((CRITICAL_SECTION *)lock->impl);
    free(lock->impl);
    lock->impl = nullptr;
}

void EnterStreamLock(StreamLock *lock) { EnterCriticalSection((CRITICAL_SECTION *)lock->impl); }
void LeaveStreamLock(StreamLock *lock) { LeaveCriticalSection((CRITICAL_SECTION *)lock->impl); }
