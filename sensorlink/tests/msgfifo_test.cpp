#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "helm/sensorlink/C_Q_MsgFifo.h"

namespace {

std::vector<int> ids_served(C_Q_MsgFifo& fifo, int turns, unsigned now)
{
    std::vector<int> out;
    for (int i = 0; i < turns; ++i) {
        sMSG msg{};
        if (fifo.F_GetFirstMsgFifo(&msg, now) == 0)
            out.push_back(msg.id);
    }
    return out;
}

TEST(MsgFifo, ReaddingAnIdLeavesOneEntryAtTheTailDueAtOnce)
{
    C_Q_MsgFifo fifo;
    fifo.F_AddNewMsgFifo(10, 0, false, 1000);
    fifo.F_AddNewMsgFifo(20, 0, false, 0);
    sMSG msg{};
    ASSERT_EQ(fifo.F_GetFirstMsgFifo(&msg, 5000), 0);  // 10 now due at 6000
    ASSERT_EQ(fifo.F_AddNewMsgFifo(10, 1, true, 50), 0);
    EXPECT_EQ(fifo.F_GetTailleFifo(), 2u);
    ASSERT_EQ(fifo.F_GetFirstMsgFifo(&msg, 5000), 0);
    EXPECT_EQ(msg.id, 20);
    ASSERT_EQ(fifo.F_GetFirstMsgFifo(&msg, 5000), 0);
    EXPECT_EQ(msg.id, 10);
    EXPECT_EQ(msg.type, 1);
    EXPECT_EQ(msg.keep, 1);
    EXPECT_EQ(msg.period, 50u);
}

TEST(MsgFifo, IdsBelowOneAreRefusedAndUnknownIdsRemoveNothing)
{
    C_Q_MsgFifo fifo;
    EXPECT_EQ(fifo.F_AddNewMsgFifo(0, 0, false, 0), -1);
    EXPECT_EQ(fifo.F_AddNewMsgFifo(-5, 0, false, 0), -1);
    EXPECT_EQ(fifo.F_GetTailleFifo(), 0u);
    fifo.F_AddNewMsgFifo(7, 0, false, 0);
    EXPECT_EQ(fifo.F_FindAndRemoveFifo(0), -1);
    EXPECT_EQ(fifo.F_FindAndRemoveFifo(8), -1);
    EXPECT_EQ(fifo.F_GetTailleFifo(), 1u);
    EXPECT_EQ(fifo.F_FindAndRemoveFifo(7), 7);
    EXPECT_EQ(fifo.F_FindAndRemoveFifo(7), -1);
}

TEST(MsgFifo, EmptyQueueClearsTheEntry)
{
    C_Q_MsgFifo fifo;
    sMSG msg{99, 1, 1, 0, 5, 5};
    EXPECT_EQ(fifo.F_GetFirstMsgFifo(&msg, 100), -1);
    EXPECT_EQ(msg.id, 0);
    EXPECT_EQ(msg.period, 0u);
}

TEST(MsgFifo, UnansweredEntriesComeRoundAgainInTurn)
{
    C_Q_MsgFifo fifo;
    for (int id : {1, 2, 3})
        fifo.F_AddNewMsgFifo(id, 0, false, 0);
    EXPECT_EQ(ids_served(fifo, 7, 100), (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
    fifo.F_FindAndRemoveFifo(3);  // 3 answered
    EXPECT_EQ(ids_served(fifo, 4, 100), (std::vector<int>{2, 1, 2, 1}));
}

TEST(MsgFifo, KeptHeadIsServedAtEveryDueTimeAndHoldsBackTheOthers)
{
    C_Q_MsgFifo fifo;
    fifo.F_AddNewMsgFifo(1, 0, true, 100);
    fifo.F_AddNewMsgFifo(2, 0, false, 0);
    std::vector<int> served;
    for (unsigned now = 1000; now <= 1450; now += 50) {
        sMSG msg{};
        if (fifo.F_GetFirstMsgFifo(&msg, now) == 0)
            served.push_back(msg.id);
    }
    EXPECT_EQ(served, (std::vector<int>{1, 1, 1, 1, 1}));  // at 1000, 1100, ... 1400
}

TEST(MsgFifo, HeadNotDueHoldsBackADueEntryBehindIt)
{
    C_Q_MsgFifo fifo;
    fifo.F_AddNewMsgFifo(1, 0, false, 500);
    fifo.F_AddNewMsgFifo(2, 0, false, 0);
    sMSG msg{};
    ASSERT_EQ(fifo.F_GetFirstMsgFifo(&msg, 1000), 0);  // 1, due again at 1500
    ASSERT_EQ(fifo.F_GetFirstMsgFifo(&msg, 1000), 0);  // 2, due again at 1000
    EXPECT_EQ(fifo.F_GetFirstMsgFifo(&msg, 1499), -1);  // head 1 not due
    EXPECT_EQ(msg.id, 1);
    EXPECT_EQ(msg.next_due, 1500u);
    ASSERT_EQ(fifo.F_GetFirstMsgFifo(&msg, 1500), 0);
    EXPECT_EQ(msg.id, 1);
    EXPECT_EQ(msg.next_due, 2000u);
}

// The tick wraps every 49.7 days: an entry due just before the wrap is due
// again right after it, not after another 49 days.
TEST(MsgFifo, DueTimesSurviveTheTickWrap)
{
    struct Case {
        unsigned first, period, later;
        bool due;
    };
    const Case cases[] = {
        {0xFFFFFF00u, 0x200, 0x00000100u, true},   // due at 0x100 after the wrap
        {0xFFFFFF00u, 0x200, 0x000000FFu, false},  // one ms early
        {0xFFFFFFFFu, 1, 0x00000001u, true},       // sum is 0, kept as "1 ms later"
        {0x7FFFFFF0u, 0x20, 0x80000010u, true},    // across the sign bit
        {1000, 500, 1499, false},
    };
    for (const Case& c : cases) {
        C_Q_MsgFifo fifo;
        fifo.F_AddNewMsgFifo(5, 0, true, c.period);
        sMSG msg{};
        ASSERT_EQ(fifo.F_GetFirstMsgFifo(&msg, c.first), 0);
        EXPECT_EQ(fifo.F_GetFirstMsgFifo(&msg, c.later) == 0, c.due) << std::hex << c.first << " " << c.later;
    }
}

TEST(MsgFifo, TwoThreadsAddTakeAndRemoveUnderTheLock)
{
    C_Q_MsgFifo fifo;
    std::atomic<bool> adding{true};
    std::thread user([&] {
        for (int round = 0; round < 2000; ++round)
            for (int id = 1; id <= 20; ++id)
                fifo.F_AddNewMsgFifo(id, static_cast<unsigned short>(round & 1), false, 0);
        adding = false;
    });
    long taken = 0;
    unsigned now = 0;
    while (adding || fifo.F_GetTailleFifo() > 0) {
        sMSG msg{};
        if (fifo.F_GetFirstMsgFifo(&msg, ++now) == 0) {
            ASSERT_GE(msg.id, 1);
            ASSERT_LE(msg.id, 20);
            ++taken;
            fifo.F_FindAndRemoveFifo(msg.id);
        }
        ASSERT_LE(fifo.F_GetTailleFifo(), 20u);  // never two entries of one id
    }
    user.join();
    EXPECT_GT(taken, 0);
    EXPECT_EQ(fifo.F_GetTailleFifo(), 0u);
}

}  // namespace
