#include "mpeg/stream_lock.h"

#include <pthread.h>
#include <stdlib.h>

bool InitStreamLock(StreamLock *lock)
{
    pthread_mutex_t *m = (pthread_mutex_t *)malloc(sizeof(pthread_mutex_t));
    if (!m)
        return false;
    pthread_mutex_init(m, nullptr);
    lock->impl = m;
    return true;
}

void DeleteStreamLock(StreamLock *lock)
{
    if (!lock->impl)
        return;
    pthread_mutex_destroy((pthread_mutex_t *)lock->impl);
    free(lock->impl);
    lock->impl = nullptr;
}

void EnterStreamLock(StreamLock *lock) { pthread_mutex_lock((pthread_mutex_t *)lock->impl); }
void LeaveStreamLock(StreamLock *lock) { pthread_mutex_unlock((pthread_mutex_t *)lock->impl); }
