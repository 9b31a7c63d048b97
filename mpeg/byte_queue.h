// A growable queue of bytes (audio payloads waiting to be cut into frames).
// Capacities are multiples of 4096 and stay below 8 MB; an append that
// would need more is refused.
#ifndef TWR_MPEG_BYTE_QUEUE_H
#define TWR_MPEG_BYTE_QUEUE_H

#include "shared/wintypes.h"

enum { kByteQueueLimit = 0x800000 };

struct ByteQueue {
    BYTE *buf;
    int readPos;  // first unread byte
    int held;     // bytes from buf to the end of the data
    int capacity;
};

inline int ByteQueueUnread(const ByteQueue *q) { return q->held - q->readPos; }
inline const BYTE *ByteQueueData(const ByteQueue *q) { return q->buf + q->readPos; }
inline void ConsumeByteQueue(ByteQueue *q, int n)
{
    q->readPos += n < ByteQueueUnread(q) ? n : ByteQueueUnread(q);
}

void InitByteQueue(ByteQueue *q);
// Empties the queue, keeping its buffer.
void ClearByteQueue(ByteQueue *q);
void FreeByteQueue(ByteQueue *q);
// 1 when the bytes were appended; 0 (queue unchanged) when memory is short
// or the queue would reach its limit.
int AppendToByteQueue(ByteQueue *q, const BYTE *bytes, int n);
// Moves the read position to the next 12-bit sync word (0xFF, then a byte
// of 0xF0 or more); false, with at most one byte left, when there is none.
bool FindAudioSyncInQueue(ByteQueue *q);

#endif
