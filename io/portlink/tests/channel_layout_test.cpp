// The byte layout of the channel shared memory, as the other side of the
// channel (and any older client) computes it on its own.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "helm/portlink/channel_memory.h"

using namespace helm::portlink;

namespace {

struct Field {
    const char* name;
    size_t offset;
    size_t size;
};

// Each table lists its fields in order; together they must tile the record.
void expect_tiles(const Field* fields, size_t count, size_t total)
{
    size_t next = 0;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(fields[i].offset, next) << fields[i].name;
        next = fields[i].offset + fields[i].size;
    }
    EXPECT_EQ(next, total);
}

#define FIELD(type, member) {#member, offsetof(type, member), sizeof(type::member)}

TEST(ChannelLayout, BlockHeaderFields)
{
    const Field fields[] = {
        FIELD(sMMF_HEADER, header_size),        FIELD(sMMF_HEADER, protocol),
        FIELD(sMMF_HEADER, last_record_offset), FIELD(sMMF_HEADER, ms_per_character),
        FIELD(sMMF_HEADER, port),               FIELD(sMMF_HEADER, on),
        FIELD(sMMF_HEADER, server_thread_id),   FIELD(sMMF_HEADER, subscriber_count),
        FIELD(sMMF_HEADER, subscribers),        FIELD(sMMF_HEADER, text_to_send),
    };
    const size_t expected[][2] = {{0, 2}, {2, 256}, {258, 4}, {262, 8}, {270, 4},
                                  {274, 4}, {278, 4}, {282, 4}, {286, 128}, {414, 1024}};
    for (size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ(fields[i].offset, expected[i][0]) << fields[i].name;
        EXPECT_EQ(fields[i].size, expected[i][1]) << fields[i].name;
    }
    expect_tiles(fields, std::size(fields), 1438);
    EXPECT_EQ(MMF_HEADER_SIZE + MMF_RECORD_AREA_SIZE, 65536);
}

TEST(ChannelLayout, SubscriberSlotsStartAt286FourBytesApart)
{
    for (int n = 1; n <= MMF_MAX_SUBSCRIBERS; ++n)
        EXPECT_EQ(offsetof(sMMF_HEADER, subscribers) + sizeof(DWORD) * static_cast<size_t>(n - 1), 282u + 4u * n);
}

TEST(ChannelLayout, RawRecordHead)
{
    const Field fields[] = {FIELD(sRAW_RECORD, time_stamp_ms), FIELD(sRAW_RECORD, length),
                            FIELD(sRAW_RECORD, local_time)};
    const size_t expected[] = {0, 8, 10};
    for (size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(fields[i].offset, expected[i]) << fields[i].name;
    expect_tiles(fields, std::size(fields), RAW_RECORD_HEAD_SIZE);
    EXPECT_EQ(sizeof(SYSTEMTIME), 16u);
}

TEST(ChannelLayout, ParsedRecordHead)
{
    const Field fields[] = {
        FIELD(sPARSED_RECORD, magic),       FIELD(sPARSED_RECORD, kind),       FIELD(sPARSED_RECORD, port),
        FIELD(sPARSED_RECORD, not_written), FIELD(sPARSED_RECORD, length),     FIELD(sPARSED_RECORD, change_mask),
        FIELD(sPARSED_RECORD, valid_mask),  FIELD(sPARSED_RECORD, time_stamp_ms),
    };
    const size_t expected[] = {0, 2, 3, 4, 10, 14, 18, 22};
    for (size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(fields[i].offset, expected[i]) << fields[i].name;
    expect_tiles(fields, std::size(fields), PARSED_RECORD_HEAD_SIZE);
}

TEST(ChannelLayout, RawTextRecordKeepsItsOwnTimeStampOffset)
{
    const Field fields[] = {
        FIELD(sRAW_TEXT_RECORD, magic),          FIELD(sRAW_TEXT_RECORD, kind),
        FIELD(sRAW_TEXT_RECORD, port),           FIELD(sRAW_TEXT_RECORD, not_written_4),
        FIELD(sRAW_TEXT_RECORD, length),         FIELD(sRAW_TEXT_RECORD, not_written_14),
        FIELD(sRAW_TEXT_RECORD, time_stamp_ms),  FIELD(sRAW_TEXT_RECORD, text_length),
    };
    const size_t expected[] = {0, 2, 3, 4, 10, 14, 24, 28};
    for (size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(fields[i].offset, expected[i]) << fields[i].name;
    expect_tiles(fields, std::size(fields), RAW_TEXT_HEAD_SIZE);
    // The common head has its stamp at 22; the raw text record does not.
    EXPECT_NE(offsetof(sRAW_TEXT_RECORD, time_stamp_ms), offsetof(sPARSED_RECORD, time_stamp_ms));
}

TEST(ChannelLayout, ProtocolRecord)
{
    EXPECT_EQ(sizeof(sPORT_PROTOCOL), 548u);
    EXPECT_EQ(offsetof(sPORT_PROTOCOL, fixed_frame_length), 0u);
    EXPECT_EQ(offsetof(sPORT_PROTOCOL, name), 32u);
    EXPECT_EQ(offsetof(sPORT_PROTOCOL, options), 288u);
    EXPECT_EQ(offsetof(sPORT_PROTOCOL, binary), 544u);
    // The options end where the binary flag begins.
    EXPECT_EQ(offsetof(sPORT_PROTOCOL, options) + sizeof(sPORT_PROTOCOL::options), offsetof(sPORT_PROTOCOL, binary));
}

TEST(ChannelLayout, RecordSizesByKind)
{
    const int table[][2] = {{REC_ATTITUDE, 128},  {REC_POSITION, 128},     {REC_GPS_QUALITY, 128},
                            {REC_DEPTH, 68},      {REC_HEADING_SPEED, 64}, {REC_TRACKPOINT, 64},
                            {REC_MS1000, 21550},  {REC_ATS, 64},           {REC_TIME, 64},
                            {REC_NAV_BLOCK, 109}, {REC_FOG, 50},           {REC_LAYBACK, 64},
                            {REC_RAW_TEXT, 0},    {7, 0},                  {0, 0}};
    for (const auto& row : table)
        EXPECT_EQ(parsed_record_size(row[0]), static_cast<uint32_t>(row[1])) << "kind " << row[0];
}

TEST(ChannelLayout, RawTextRecordSize)
{
    const uint32_t table[][2] = {{0, 64}, {10, 64}, {33, 64}, {34, 64}, {35, 65}, {100, 130}, {65535, 65565}};
    for (const auto& row : table)
        EXPECT_EQ(raw_text_record_size(row[0]), row[1]) << "text " << row[0];
}

TEST(ChannelLayout, BlockAndMutexNames)
{
    struct Row {
        int port;
        BlockKind kind;
        const char* mapping;
        const char* mutex;
    } table[] = {
        {1, BlockKind::raw, "ZQO_SERIAL_MMF1", "ZQO_SERIAL_MUTEX1"},
        {1, BlockKind::parsed, "ZQO_PARSED_MMF1", "ZQO_PARSED_MUTEX1"},
        {32, BlockKind::raw, "ZQO_SERIAL_MMF32", "ZQO_SERIAL_MUTEX32"},
        {33, BlockKind::raw, "ZQO_SOCKET_MMF_RAW1", "ZQO_SOCKET_MMF_RAW1_MUTEX"},
        {37, BlockKind::parsed, "ZQO_SOCKET_MMF_PRC5", "ZQO_SOCKET_MMF_PRC5_MUTEX"},
        {0, BlockKind::raw, "", ""},
        {38, BlockKind::parsed, "", ""},
        {-5, BlockKind::parsed, "", ""},
    };
    for (const Row& row : table) {
        const BlockNames names = block_names(row.port, row.kind);
        EXPECT_STREQ(names.mapping, row.mapping) << row.port;
        EXPECT_STREQ(names.mutex, row.mutex) << row.port;
    }
}

// The raw rings: a serial record never ends closer than a byte to the end;
// the socket's test counts the header as well, so it wraps 1438 bytes early.
TEST(ChannelLayout, RawRingPlacement)
{
    struct Row {
        uint32_t offset;
        uint32_t length;
        RawRing ring;
        int64_t expected;
    } table[] = {
        {0, 10, RawRing::serial, 0},
        {1000, 10, RawRing::serial, 1000},
        {64097 - 26 - 100, 100, RawRing::serial, 64097 - 26 - 100},  // ends one byte short of the end
        {64097 - 26 - 99, 100, RawRing::serial, 0},
        {64097 - 1464 - 100, 100, RawRing::socket, 64097 - 1464 - 100},
        {64097 - 1464 - 99, 100, RawRing::socket, 0},
        {64097 - 26 - 99, 100, RawRing::socket, 0},
        {70000, 10, RawRing::serial, 0},  // an offset past the ring
        {0, 64097 - 26, RawRing::serial, 0},
        {0, 64097 - 25, RawRing::serial, -1},  // can never fit
        {0, 64097 - 1464 + 1, RawRing::socket, -1},
    };
    for (const Row& row : table)
        EXPECT_EQ(raw_ring_place(row.offset, row.length, row.ring), row.expected)
            << row.offset << " + " << row.length << (row.ring == RawRing::socket ? " socket" : " serial");
}

TEST(ChannelLayout, ParsedRingPlacement)
{
    struct Row {
        uint32_t offset;
        uint32_t size;
        int32_t ring;
        int64_t expected;
    } table[] = {
        {0, 64, 64098, 0},
        {64098 - 65, 64, 64098, 64098 - 65},
        {64098 - 64, 64, 64098, 0},  // would end exactly at the end
        {64098 - 63, 64, 64098, 0},
        {64098 - 196, 196, 64098, 0},  // a two-record reservation moves whole
        {64098 - 197, 196, 64098, 64098 - 197},
        {100000, 64, 64098, 0},
        {0xFFFFFFFFu, 64, 64098, 0},
        {0, 64097, 64098, 0},
        {0, 64098, 64098, -1},
        {0, 21550, 20000, -1},
        {0, 64, 0, -1},
        {0, 64, -1, -1},
    };
    for (const Row& row : table)
        EXPECT_EQ(parsed_ring_place(row.offset, row.size, row.ring), row.expected)
            << row.offset << " + " << row.size << " in " << row.ring;
}

}  // namespace
