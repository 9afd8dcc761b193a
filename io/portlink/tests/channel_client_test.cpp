// Client open, join, leave and read over blocks that a server object owns in
// the same process.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include <windows.h>

#include "helm/portlink/channel_block.h"
#include "helm/portlink/channel_client.h"

using namespace helm::portlink;

namespace {

// Both blocks of one port as the server creates them, and a client's handle.
class ChannelClientTest : public ::testing::Test {
protected:
    void open_port(int port)
    {
        ASSERT_TRUE(m_parsed.create(port, BlockKind::parsed, "NMEA0183"));
        ASSERT_TRUE(m_raw.create(port, BlockKind::raw, "NMEA0183"));
        ASSERT_EQ(F_OpenSerialMMF(&m_client, port), 1);
    }
    void SetUp() override { open_port(7); }
    void TearDown() override { EXPECT_EQ(F_CloseSerialMMF(&m_client), 0); }

    std::vector<DWORD> list(const ChannelBlock& block) const
    {
        const sMMF_HEADER& h = *block.header();
        std::vector<DWORD> ids(static_cast<size_t>(h.subscriber_count));
        if (!ids.empty())
            std::memcpy(ids.data(), h.subscribers, ids.size() * sizeof(DWORD));
        return ids;
    }

    ChannelBlock m_parsed;
    ChannelBlock m_raw;
    sMMF_CLIENT m_client{};
};

TEST_F(ChannelClientTest, CreatedHeaderIsReset)
{
    const sMMF_HEADER& h = *m_parsed.header();
    EXPECT_EQ(+h.header_size, 1438);
    EXPECT_EQ(+h.last_record_offset, -1);
    EXPECT_EQ(+h.port, 7);
    EXPECT_STREQ(h.protocol, "NMEA0183");
    EXPECT_EQ(+h.subscriber_count, 0);
    // The client sees the very same bytes.
    EXPECT_EQ(std::memcmp(parsed_header(m_client), &h, sizeof h), 0);
}

TEST_F(ChannelClientTest, ResetKeepsSubscribersAndSetsTheRest)
{
    ASSERT_EQ(F_ConnectThreadToMMF(&m_client, 41, 2), 1);
    m_parsed.header()->last_record_offset = 500;
    m_parsed.reset("KVH", 0.52, true, 1234);
    const sMMF_HEADER& h = *m_parsed.header();
    EXPECT_EQ(+h.last_record_offset, -1);
    EXPECT_DOUBLE_EQ(+h.ms_per_character, 0.52);
    EXPECT_EQ(+h.on, 1);
    EXPECT_EQ(+h.server_thread_id, 1234u);
    EXPECT_STREQ(h.protocol, "KVH");
    EXPECT_EQ(list(m_parsed), std::vector<DWORD>{41});
}

TEST_F(ChannelClientTest, JoinsFillSlotsInOrderAndLeavingMovesTheRestDown)
{
    for (DWORD id : {11u, 12u, 13u})
        ASSERT_EQ(F_ConnectThreadToMMF(&m_client, id, 2), 1);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(m_parsed.header());
    for (DWORD n = 1; n <= 3; ++n) {
        DWORD id;
        std::memcpy(&id, bytes + 282 + 4 * n, 4);
        EXPECT_EQ(id, 10 + n);
    }
    EXPECT_EQ(F_DisconnectThreadToMMF(&m_client, 11), 1);
    EXPECT_EQ(list(m_parsed), (std::vector<DWORD>{12, 13}));
    EXPECT_EQ(list(m_raw), (std::vector<DWORD>{12, 13}));
    // An id that is not listed leaves both lists as they are.
    EXPECT_EQ(F_DisconnectThreadToMMF(&m_client, 99), 1);
    EXPECT_EQ(list(m_raw), (std::vector<DWORD>{12, 13}));
}

TEST_F(ChannelClientTest, ModesJoinTheirOwnLists)
{
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 21, 0), 1);
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 22, 1), 1);
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 23, 2), 1);
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 24, 3), 0);
    EXPECT_EQ(list(m_parsed), (std::vector<DWORD>{21, 23}));
    EXPECT_EQ(list(m_raw), (std::vector<DWORD>{22, 23}));
}

TEST_F(ChannelClientTest, ThreadJoinedToTheRawBlockOnlyCanLeave)
{
    ASSERT_EQ(F_ConnectThreadToMMF(&m_client, 31, 1), 1);
    // The parsed list is empty: that is still reported, but the raw list is
    // visited all the same.
    EXPECT_EQ(F_DisconnectThreadToMMF(&m_client, 31), 0);
    EXPECT_TRUE(list(m_raw).empty());
}

TEST_F(ChannelClientTest, ThirtyThirdJoinIsRefusedAndTheTextAreaStaysIntact)
{
    set_text_to_send(*m_parsed.header(), "$KVCNF,?*00\r\n");
    for (DWORD id = 1; id <= 32; ++id)
        ASSERT_EQ(F_ConnectThreadToMMF(&m_client, id, 0), 1) << id;
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 33, 0), 0);
    EXPECT_EQ(+m_parsed.header()->subscriber_count, 32);
    EXPECT_STREQ(m_parsed.header()->text_to_send, "$KVCNF,?*00\r\n");
}

TEST_F(ChannelClientTest, DamagedCountIsBoundedByTheList)
{
    m_parsed.header()->subscriber_count = 5000;
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 1, 0), 0);
    EXPECT_EQ(F_DisconnectThreadToMMF(&m_client, m_parsed.header()->subscribers[31]), 0);  // raw list empty
    EXPECT_EQ(+m_parsed.header()->subscriber_count, 31);
    m_raw.header()->subscriber_count = -7;
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 77, 1), 1);
    EXPECT_EQ(list(m_raw), std::vector<DWORD>{77});
    EXPECT_EQ(post_to_subscribers(*m_parsed.header(), WM_USER, 0, 0), 0);  // no such threads, no crash
}

TEST_F(ChannelClientTest, MutexHeldElsewhereTimesOutAndLeavesTheListAlone)
{
    HANDLE mutex = OpenMutex(MUTEX_ALL_ACCESS, FALSE, "ZQO_PARSED_MUTEX7");
    ASSERT_NE(mutex, nullptr);
    std::atomic<bool> held{false}, done{false};
    std::thread holder([&] {
        WaitForSingleObject(mutex, INFINITE);
        held = true;
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ReleaseMutex(mutex);
    });
    while (!held)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 5, 2), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    EXPECT_TRUE(list(m_parsed).empty());
    EXPECT_TRUE(list(m_raw).empty());  // mode 2 stops at the first failure
    done = true;
    holder.join();
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 5, 2), 1);
    CloseHandle(mutex);
}

TEST_F(ChannelClientTest, AbandonedMutexIsRefusedOnceThenFreeAgain)
{
    HANDLE mutex = OpenMutex(MUTEX_ALL_ACCESS, FALSE, "ZQO_SERIAL_MUTEX7");
    ASSERT_NE(mutex, nullptr);
    std::thread([&] { ASSERT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0); }).join();
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 8, 1), 0);
    // The refusal did not keep the mutex: another thread can take it.
    std::thread([&] {
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
        ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ(F_ConnectThreadToMMF(&m_client, 8, 1), 1);
    EXPECT_EQ(list(m_raw), std::vector<DWORD>{8});
    CloseHandle(mutex);
}

TEST_F(ChannelClientTest, GettersRefuseOffsetsOutsideTheRecordArea)
{
    RawRingWriter writer(RawRing::serial);
    const BYTE data[] = "$HEHDT,1.0,T*00\r\n";
    ASSERT_EQ(writer.write(m_raw, 12.0, SYSTEMTIME{}, data, sizeof data - 1), 0);
    BYTE* area = m_parsed.record_area();
    const DWORD length = 64;
    std::memcpy(area + 10, &length, 4);
    const DWORD too_long = 64000;
    std::memcpy(area + 1000 + 10, &too_long, 4);

    struct Row {
        LPARAM offset;
        int parsed;
        int raw;
    } table[] = {
        {1438, 1, 1},            // the first record
        {0, 0, 0},               // the header
        {1437, 0, 0},
        {65536, 0, 0},
        {-1, 0, 0},
        {LPARAM(1) << 40, 0, 0},
        {1438 + 1000, 0, 1},     // parsed length runs past the view; raw length 0
        {65536 - 20, 0, 0},      // not even a head fits
        {65536 - 26, 0, 1},      // a raw head of length 0 that ends at the end
    };
    for (const Row& row : table) {
        BYTE* record = reinterpret_cast<BYTE*>(1);
        EXPECT_EQ(F_GetParsedMMFData(&m_client, row.offset, &record), row.parsed) << row.offset;
        EXPECT_EQ(record != nullptr, row.parsed == 1) << row.offset;
        EXPECT_EQ(F_GetRawMMFData(&m_client, row.offset, &record), row.raw) << row.offset;
    }
    BYTE* record = nullptr;
    ASSERT_EQ(F_GetRawMMFData(&m_client, 1438, &record), 1);
    EXPECT_EQ(std::memcmp(record + 26, data, sizeof data - 1), 0);
}

TEST_F(ChannelClientTest, ReadRawTextChecksTheRecord)
{
    BYTE* area = m_parsed.record_area();
    const char text[] = "$HEHDT,12.5,T*1F\r\n";
    const WORD text_length = sizeof text - 1;
    sRAW_TEXT_RECORD head{};
    head.magic = PARSED_RECORD_MAGIC;
    head.kind = REC_RAW_TEXT;
    head.length = 64;
    head.text_length = text_length;
    std::memcpy(area, &head, sizeof head);
    std::memcpy(area + 30, text, text_length);
    char out[128];
    EXPECT_EQ(read_raw_text(m_client, 1438, out, sizeof out), text_length);
    EXPECT_STREQ(out, text);
    EXPECT_EQ(read_raw_text(m_client, 1438, out, text_length), -1);  // no room for the NUL

    head.text_length = 35;  // beyond its record's length
    std::memcpy(area, &head, sizeof head);
    EXPECT_EQ(read_raw_text(m_client, 1438, out, sizeof out), -1);
    head.text_length = text_length;
    head.kind = REC_DEPTH;
    std::memcpy(area, &head, sizeof head);
    EXPECT_EQ(read_raw_text(m_client, 1438, out, sizeof out), -1);
}

TEST(ChannelClient, OpenFailsWithoutTheServersBlocks)
{
    sMMF_CLIENT client;
    std::memset(&client, 0x5A, sizeof client);
    EXPECT_EQ(F_OpenSerialMMF(&client, 3), 0);
    EXPECT_EQ(client.port, 3u);
    EXPECT_EQ(client.parsed.view, nullptr);
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
    for (int port : {0, 38, -1})
        EXPECT_EQ(F_OpenSerialMMF(&client, port), 0) << port;
    EXPECT_EQ(F_OpenSerialMMF(nullptr, 3), 0);
}

TEST(ChannelClient, CloseOfANeverOpenedHandleTouchesNothing)
{
    sMMF_CLIENT client{};
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
    EXPECT_EQ(F_ConnectThreadToMMF(&client, 1, 2), 0);
    EXPECT_EQ(F_DisconnectThreadToMMF(&client, 1), 0);
    BYTE* record = nullptr;
    EXPECT_EQ(F_GetParsedMMFData(&client, 1438, &record), 0);
}

TEST(ChannelClient, MappingSmallerThanABlockIsRefused)
{
    // Someone holds the name with a mapping of one page.
    HANDLE small = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "ZQO_PARSED_MMF9");
    ASSERT_NE(small, nullptr);
    sMMF_CLIENT client{};
    EXPECT_EQ(F_OpenSerialMMF(&client, 9), 0);
    EXPECT_EQ(client.parsed.view, nullptr);
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
    ChannelBlock server;
    EXPECT_FALSE(server.create(9, BlockKind::parsed, "NMEA0183"));
    CloseHandle(small);
}

TEST(ChannelClient, SocketBlockRefusedWhenItsMutexExists)
{
    HANDLE squatter = CreateMutex(nullptr, FALSE, "ZQO_SOCKET_MMF_RAW2_MUTEX");
    ASSERT_NE(squatter, nullptr);
    ChannelBlock block;
    EXPECT_FALSE(block.create(34, BlockKind::raw, "nmea"));
    CloseHandle(squatter);
    ASSERT_TRUE(block.create(34, BlockKind::raw, "nmea0183"));
    EXPECT_STREQ(block.header()->protocol, "NMEA0183");
    EXPECT_EQ(+block.header()->port, 34);
}

}  // namespace
