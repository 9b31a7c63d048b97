#include "mpeg/byte_queue.h"

#include <stdlib.h>
#include <string.h>

static int RoundUp4096(int n) { return (n + 4095) & ~4095; }

void InitByteQueue(ByteQueue *q) { memset(q, 0, sizeof(*q)); }

void ClearByteQueue(ByteQueue *q)
{
    q->readPos = 0;
    q->held = 0;
}

void FreeByteQueue(ByteQueue *q)
{
    free(q->buf);
    InitByteQueue(q);
}

int AppendToByteQueue(ByteQueue *q, const BYTE *bytes, int n)
{
    if (n < 0)
        return 0;
    int unread = ByteQueueUnread(q);
    if (unread + n >= kByteQueueLimit - 4096)
        return 0;
    if (q->held + n < q->capacity) {
        memcpy(q->buf + q->held, bytes, n);
        q->held += n;
        return 1;
    }
    if (unread + n < q->capacity) {
        memmove(q->buf, q->buf + q->readPos, unread);
    } else {
        int cap = RoundUp4096(unread + n + 1);
        BYTE *fresh = (BYTE *)malloc(cap);
        if (!fresh)
            return 0;
        if (unread)
            memcpy(fresh, q->buf + q->readPos, unread);
        free(q->buf);
        q->buf = fresh;
        q->capacity = cap;
    }
    memcpy(q->buf + unread, bytes, n);
    q->readPos = 0;
    q->held = unread + n;
    return 1;
}

bool FindAudioSyncInQueue(ByteQueue *q)
{
    while (ByteQueueUnread(q) >= 2) {
        const BYTE *p = ByteQueueData(q);
        if (p[0] == 0xFF && p[1] >= 0xF0)
            return true;
        q->readPos++;
    }
    return false;
}
