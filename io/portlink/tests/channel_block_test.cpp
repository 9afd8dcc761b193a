// The server's writers: the raw ring and the announcement of parsed records.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <windows.h>

#include "helm/portlink/channel_block.h"
#include "helm/portlink/channel_client.h"

using namespace helm::portlink;

namespace {

std::vector<MSG> drain(UINT message)
{
    std::vector<MSG> got;
    MSG msg;
    while (PeekMessage(&msg, reinterpret_cast<HWND>(-1), message, message, PM_REMOVE))
        got.push_back(msg);
    return got;
}

TEST(RawRingWriter, SerialAndSocketRingsWrapWhereTheirTestsSay)
{
    struct Row {
        int port;
        RawRing ring;
        uint32_t length;
        uint32_t last_before_wrap;
    } table[] = {
        // 1000-byte records take 1026 bytes; the serial ring keeps one that
        // ends at 62 * 1026 = 63612 <= 64097, the socket ring stops earlier.
        {2, RawRing::serial, 1000, 61 * 1026},
        {33, RawRing::socket, 1000, 60 * 1026},
    };
    std::vector<BYTE> data(1000, 'x');
    for (const Row& row : table) {
        ChannelBlock block;
        ASSERT_TRUE(block.create(row.port, BlockKind::raw, "NMEA0183"));
        RawRingWriter writer(row.ring);
        int64_t previous = -1;
        for (int i = 0; i < 200; ++i) {
            const int64_t at = writer.write(block, i, SYSTEMTIME{}, data.data(), row.length);
            ASSERT_GE(at, 0);
            EXPECT_EQ(+block.header()->last_record_offset, at);
            if (at == 0 && previous >= 0) {
                EXPECT_EQ(previous, row.last_before_wrap) << row.port;
                break;
            }
            previous = at;
        }
    }
}

TEST(RawRingWriter, RecordHeadAndBytes)
{
    ChannelBlock block;
    ASSERT_TRUE(block.create(4, BlockKind::raw, "NMEA0183"));
    RawRingWriter writer(RawRing::serial);
    SYSTEMTIME time{2024, 5, 3, 17, 12, 30, 45, 678};
    const BYTE first[] = {'$', 'A', '\n'};
    const BYTE second[] = {'$', 'B', 'C', '\n'};
    EXPECT_EQ(writer.write(block, 1234.5, time, first, 3), 0);
    EXPECT_EQ(writer.write(block, 1300.0, time, second, 4), 29);
    EXPECT_EQ(writer.next_offset(), 29u + 26u + 4u);
    const BYTE* record = block.record_area() + 29;
    double stamp;
    WORD length;
    SYSTEMTIME stored;
    std::memcpy(&stamp, record, 8);
    std::memcpy(&length, record + 8, 2);
    std::memcpy(&stored, record + 10, 16);
    EXPECT_DOUBLE_EQ(stamp, 1300.0);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(stored.wMilliseconds, 678);
    EXPECT_EQ(std::memcmp(record + 26, second, 4), 0);
    // A record that can never fit writes nothing.
    std::vector<BYTE> huge(64097, 0);
    EXPECT_EQ(writer.write(block, 0, time, huge.data(), static_cast<uint32_t>(huge.size())), -1);
    EXPECT_EQ(+block.header()->last_record_offset, 29);
    writer.reset();
    EXPECT_EQ(writer.write(block, 0, time, first, 3), 0);
}

TEST(AnnounceParsedRecords, StampsThePortAndPostsEachOffsetInOrder)
{
    ChannelBlock block;
    ASSERT_TRUE(block.create(6, BlockKind::parsed, "NMEA0183"));
    sMMF_CLIENT client{};
    ASSERT_EQ(F_OpenSerialMMF(&client, 6), 0);  // no raw block: the open stops there
    EXPECT_NE(client.parsed.view, nullptr);
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
    ChannelBlock raw;
    ASSERT_TRUE(raw.create(6, BlockKind::raw, "NMEA0183"));
    ASSERT_EQ(F_OpenSerialMMF(&client, 6), 1);
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread gets its queue
    ASSERT_EQ(F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 0), 1);

    const DWORD offsets[] = {0, 128, 70000, 192};
    announce_parsed_records(block, offsets, 4);
    const std::vector<MSG> got = drain(channel_messages().new_parsed_data);
    ASSERT_EQ(got.size(), 3u);  // the offset outside the area is skipped
    const LPARAM expected[] = {1438, 1438 + 128, 1438 + 192};
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].wParam, 6u);
        EXPECT_EQ(got[i].lParam, expected[i]);
        EXPECT_EQ(block.record_area()[expected[i] - 1438 + 3], 6);
    }
    EXPECT_EQ(+block.header()->last_record_offset, 192);
    EXPECT_EQ(F_DisconnectThreadToMMF(&client, GetCurrentThreadId()), 0);  // raw list was empty
    EXPECT_EQ(+block.header()->subscriber_count, 0);
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
}

TEST(TextToSend, BoundedToTheArea)
{
    sMMF_HEADER header{};
    EXPECT_TRUE(set_text_to_send(header, std::string(1023, 'a').c_str()));
    EXPECT_EQ(header.text_to_send[1023], '\0');
    EXPECT_FALSE(set_text_to_send(header, std::string(1024, 'b').c_str()));
    EXPECT_EQ(header.text_to_send[0], 'a');
    EXPECT_FALSE(set_text_to_send(header, nullptr));
}

}  // namespace
