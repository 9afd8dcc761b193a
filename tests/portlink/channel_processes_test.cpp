// A client in one process reads, in place, the records that a writer in
// another process announces: raw records and the parsed records that the
// dispatch makes of them, over more traffic than the rings hold.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <windows.h>

#include "helm/portlink/channel_block.h"
#include "helm/portlink/channel_client.h"
#include "helm/portlink/protocol_dispatch.h"
#include "helm/test/support.h"

using namespace helm::portlink;

namespace {

constexpr int kPort = 5;
constexpr int kFrames = 1500;      // about 96 KB of parsed records: both rings wrap
constexpr int kBatch = 100;        // records the writer sends before it waits for the reader
constexpr UINT kReaderDone = WM_USER + 1;

// A sensor answer: the NMEA switch keeps it as a raw text record.
std::string frame_text(int i)
{
    char text[64];
    std::snprintf(text, sizeof text, "$PVRNK,TEXT__,%d.5*00\r\n", i);
    return text;
}

bool wait_for_message(MSG* msg, DWORD ms)
{
    const uint64_t end = GetTickCount64() + ms;
    for (;;) {
        if (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE))
            return true;
        const uint64_t now = GetTickCount64();
        if (now >= end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_POSTMESSAGE);
    }
}

// The server side of one serial port: both blocks, the raw ring, and the
// parse step into the parsed ring, as Portserver's channel runs them.
HELM_TEST_CHILD(channel_writer)
{
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    ChannelBlock parsed, raw;
    if (!parsed.create(kPort, BlockKind::parsed, "NMEA0183") || !raw.create(kPort, BlockKind::raw, "NMEA0183"))
        return 2;
    parsed.reset("NMEA0183", 0.52, true, GetCurrentThreadId());
    raw.reset("NMEA0183", 0.52, true, GetCurrentThreadId());
    if (!helm::test::eventually(
            [&] { return parsed.header()->subscriber_count == 1 && raw.header()->subscriber_count == 1; }, 20000))
        return 3;

    const UINT raw_message = channel_messages().raw_serial_data;
    RawRingWriter raw_ring(RawRing::serial);
    DWORD next = 0;
    for (int i = 0; i < kFrames; ++i) {
        const std::string frame = frame_text(i);
        const int64_t at = raw_ring.write(raw, i, SYSTEMTIME{}, reinterpret_cast<const BYTE*>(frame.data()),
                                          static_cast<uint32_t>(frame.size()));
        if (at < 0)
            return 4;
        post_to_subscribers(*raw.header(), raw_message, kPort, static_cast<LPARAM>(at) + MMF_HEADER_SIZE);

        DWORD offsets[PARSE_MAX_RECORDS] = {next};
        int count = 0, bytes = 0;
        if (F_ParseStringInMemory(frame.data(), static_cast<DWORD>(frame.size()), "NMEA0183", nullptr,
                                  static_cast<DWORD>(i), parsed.record_area(), offsets, &count, MMF_RECORD_AREA_SIZE,
                                  &bytes, nullptr, nullptr) != PARSE_OK ||
            count != 1)
            return 5;
        announce_parsed_records(parsed, offsets, count);
        next = offsets[count - 1] + static_cast<DWORD>(bytes);

        if ((i + 1) % kBatch == 0 && (!wait_for_message(&msg, 20000) || msg.message != kReaderDone))
            return 6;
    }
    // The reader leaves both lists before it ends.
    return helm::test::eventually(
               [&] { return parsed.header()->subscriber_count == 0 && raw.header()->subscriber_count == 0; }, 20000)
               ? 0
               : 7;
}

TEST(ChannelProcesses, ClientReadsWhatTheWriterAnnounces)
{
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    helm::test::Child writer = helm::test::spawn_child("channel_writer");
    sMMF_CLIENT client{};
    ASSERT_TRUE(helm::test::eventually([&] {
        if (F_OpenSerialMMF(&client, kPort) == 1)
            return true;
        F_CloseSerialMMF(&client);
        return false;
    }, 20000));
    ASSERT_NE(client.parsed.mutex, nullptr);
    ASSERT_NE(client.raw.mutex, nullptr);
    // The writer resets its headers right after creating them.
    ASSERT_TRUE(helm::test::eventually([&] { return parsed_header(client)->on == 1; }));
    const DWORD writer_thread = parsed_header(client)->server_thread_id;
    ASSERT_EQ(F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 2), 1);

    const ChannelMessages& messages = channel_messages();
    int parsed_seen = 0, raw_seen = 0, wraps = 0;
    while (parsed_seen < kFrames || raw_seen < kFrames) {
        ASSERT_TRUE(wait_for_message(&msg, 20000)) << parsed_seen << " parsed, " << raw_seen << " raw";
        ASSERT_EQ(msg.wParam, static_cast<WPARAM>(kPort));
        if (msg.message == messages.new_parsed_data) {
            const std::string expected = frame_text(parsed_seen);
            BYTE* record = nullptr;
            ASSERT_EQ(F_GetParsedMMFData(&client, msg.lParam, &record), 1);
            EXPECT_EQ(record[2], REC_RAW_TEXT);
            EXPECT_EQ(record[3], kPort);
            DWORD stamp;
            std::memcpy(&stamp, record + 24, 4);
            EXPECT_EQ(stamp, static_cast<DWORD>(parsed_seen));
            char text[128];
            ASSERT_EQ(read_raw_text(client, msg.lParam, text, sizeof text), static_cast<int>(expected.size()));
            EXPECT_EQ(text, expected);
            if (parsed_seen > 0 && msg.lParam == MMF_HEADER_SIZE)
                ++wraps;
            if (++parsed_seen % kBatch == 0) {
                ASSERT_TRUE(PostThreadMessage(writer_thread, kReaderDone, 0, 0));
            }
        } else if (msg.message == messages.raw_serial_data) {
            const std::string expected = frame_text(raw_seen++);
            BYTE* record = nullptr;
            ASSERT_EQ(F_GetRawMMFData(&client, msg.lParam, &record), 1);
            WORD length;
            std::memcpy(&length, record + 8, 2);
            ASSERT_EQ(length, expected.size());
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(record + 26), length), expected);
        }
    }
    EXPECT_GE(wraps, 1);
    EXPECT_EQ(F_DisconnectThreadToMMF(&client, GetCurrentThreadId()), 1);
    EXPECT_EQ(writer.wait(), 0);
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
}

// A subscriber that dies stays listed; the writer's posts to it fail and it
// goes on with the others.
HELM_TEST_CHILD(subscribe_and_die)
{
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    sMMF_CLIENT client{};
    if (F_OpenSerialMMF(&client, kPort + 1) != 1 || F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 2) != 1)
        return 2;
    _exit(0);
}

TEST(ChannelProcesses, DeadSubscriberDoesNotStopTheOthers)
{
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    ChannelBlock parsed, raw;
    ASSERT_TRUE(parsed.create(kPort + 1, BlockKind::parsed, "NMEA0183"));
    ASSERT_TRUE(raw.create(kPort + 1, BlockKind::raw, "NMEA0183"));
    ASSERT_EQ(helm::test::spawn_child("subscribe_and_die").wait(), 0);
    sMMF_CLIENT client{};
    ASSERT_EQ(F_OpenSerialMMF(&client, kPort + 1), 1);
    ASSERT_EQ(F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 0), 1);
    ASSERT_EQ(+parsed.header()->subscriber_count, 2);
    const DWORD offsets[] = {0};
    announce_parsed_records(parsed, offsets, 1);
    ASSERT_TRUE(wait_for_message(&msg, 5000));
    EXPECT_EQ(msg.message, channel_messages().new_parsed_data);
    EXPECT_EQ(msg.lParam, MMF_HEADER_SIZE);
    EXPECT_EQ(F_CloseSerialMMF(&client), 0);
}

}  // namespace
