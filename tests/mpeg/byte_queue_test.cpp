#include "mpeg/byte_queue.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

namespace {

TEST(ByteQueue, GrowingAndConsumingKeepsEveryByteInOrder)
{
    ByteQueue q;
    InitByteQueue(&q);
    std::deque<BYTE> model;
    std::mt19937 rng(3);
    BYTE counter = 0;
    for (int step = 0; step < 3000; step++) {
        int n = rng() % 9000;
        std::vector<BYTE> add(n);
        for (auto &b : add)
            b = counter++;
        ASSERT_EQ(AppendToByteQueue(&q, add.data(), n), 1);
        model.insert(model.end(), add.begin(), add.end());
        EXPECT_EQ(q.capacity % 4096, 0);
        int take = rng() % 9500;
        take = std::min<int>(take, (int)model.size());
        for (int i = 0; i < take; i++)
            ASSERT_EQ(ByteQueueData(&q)[i], model[i]);
        ConsumeByteQueue(&q, take);
        model.erase(model.begin(), model.begin() + take);
        ASSERT_EQ(ByteQueueUnread(&q), (int)model.size());
    }
    FreeByteQueue(&q);
}

TEST(ByteQueue, RefusesToReachItsLimitAndStaysAsItWas)
{
    ByteQueue q;
    InitByteQueue(&q);
    std::vector<BYTE> big(0x300000, 7);
    EXPECT_EQ(AppendToByteQueue(&q, big.data(), (int)big.size()), 1);
    EXPECT_EQ(AppendToByteQueue(&q, big.data(), (int)big.size()), 1);
    EXPECT_EQ(AppendToByteQueue(&q, big.data(), (int)big.size()), 0);
    EXPECT_EQ(ByteQueueUnread(&q), 0x600000);
    EXPECT_LT(q.capacity, 0x800000);
    FreeByteQueue(&q);
}

TEST(ByteQueue, AudioSyncSearch)
{
    ByteQueue q;
    InitByteQueue(&q);
    const BYTE bytes[] = {0x00, 0xFF, 0x10, 0xFF, 0xFF, 0xFD, 0x44};
    AppendToByteQueue(&q, bytes, sizeof bytes);
    ASSERT_TRUE(FindAudioSyncInQueue(&q));
    EXPECT_EQ(q.readPos, 3);  // FF FF is a sync word too (FF then F0 or more)
    ConsumeByteQueue(&q, 2);
    EXPECT_FALSE(FindAudioSyncInQueue(&q));
    EXPECT_EQ(ByteQueueUnread(&q), 1);
    FreeByteQueue(&q);
}

}  // namespace
