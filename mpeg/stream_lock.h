// The lock each open decoder stream holds for a whole frame or sample read:
// a critical section on Windows, a mutex elsewhere.
#ifndef TWR_MPEG_STREAM_LOCK_H
#define TWR_MPEG_STREAM_LOCK_H

struct StreamLock {
    void *impl;
};

bool InitStreamLock(StreamLock *lock);
void DeleteStreamLock(StreamLock *lock);
void EnterStreamLock(StreamLock *lock);
void LeaveStreamLock(StreamLock *lock);

#endif
