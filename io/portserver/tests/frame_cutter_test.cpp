#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame_cutter.h"

using helm::portserver::FrameCutter;

namespace {

struct Frame {
    std::string bytes;
    double time;
};

sPORT_PROTOCOL framing(int fixed, int starts, BYTE s0, BYTE s1, bool end, BYTE endCharacter = '\n')
{
    sPORT_PROTOCOL p{};
    p.fixed_frame_length = fixed;
    p.start_mode = starts;
    p.start_character = s0;
    p.second_start_byte = s1;
    p.end_flag = end ? 1 : 0;
    p.end_character = endCharacter;
    return p;
}

// Feeds each record (bytes, time of its first byte) at 1 ms per character.
std::vector<Frame> cut(const sPORT_PROTOCOL& protocol, const std::vector<std::pair<std::string, double>>& records)
{
    FrameCutter cutter;
    cutter.set_framing(protocol);
    std::vector<Frame> frames;
    for (const auto& [bytes, time] : records)
        cutter.feed(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<uint32_t>(bytes.size()), time,
                    SYSTEMTIME{}, 1.0, [&](const char* frame, uint32_t length, double t, const SYSTEMTIME&) {
                        EXPECT_EQ(frame[length], '\0');
                        frames.push_back({std::string(frame, length), t});
                    });
    return frames;
}

TEST(FrameCutter, StartAndEndMarkers)
{
    const auto frames = cut(framing(0, 1, '$', 0, true),
                            {{"xx$HEHDT,1*00\r\n$KV", 100}, {"TRO,2*00\r", 200}, {"\n", 300}});
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes, "$HEHDT,1*00\r\n");
    EXPECT_DOUBLE_EQ(frames[0].time, 102);  // the "$" is the record's third byte
    EXPECT_EQ(frames[1].bytes, "$KVTRO,2*00\r\n");
    EXPECT_DOUBLE_EQ(frames[1].time, 115);
}

TEST(FrameCutter, FrameWithoutStartMarkerTakesItsFirstByteTime)
{
    const auto frames = cut(framing(0, 0, 0, 0, true), {{"12.5m\r\n3.", 50}, {"0m\r\n", 80}});
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes, "12.5m\r\n");
    EXPECT_DOUBLE_EQ(frames[0].time, 50);
    EXPECT_EQ(frames[1].bytes, "3.0m\r\n");
    EXPECT_DOUBLE_EQ(frames[1].time, 57);
}

TEST(FrameCutter, HeaderDelimitedFramesLoseNothing)
{
    // Two start bytes and no end: each header closes one frame and opens
    // the next.
    const std::string a = "\x10\x90" "aaaa", b = "\x10\x90" "bb", c = "\x10\x90" "cccc";
    const auto frames = cut(framing(0, 2, 0x10, 0x90, false), {{a + b, 0}, {c + "\x10\x90", 100}});
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].bytes, a);
    EXPECT_DOUBLE_EQ(frames[0].time, 0);
    EXPECT_EQ(frames[1].bytes, b);
    EXPECT_DOUBLE_EQ(frames[1].time, 6);
    EXPECT_EQ(frames[2].bytes, c);
    EXPECT_DOUBLE_EQ(frames[2].time, 100);
}

TEST(FrameCutter, BrokenStartRetriesTheByteAsFirstStart)
{
    const auto frames = cut(framing(8, 2, 'q', 'L', false), {{"qqLabcdefqL", 0}});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, "qLabcdef");
    EXPECT_DOUBLE_EQ(frames[0].time, 1);
}

TEST(FrameCutter, FixedLengthWithoutMarkers)
{
    // A record that would overrun the frame is a loss of step: dropped,
    // and the next record starts a frame again.
    const auto frames = cut(framing(4, 0, 0, 0, false), {{"ab", 10}, {"cd", 20}, {"abc", 30}, {"de", 40},
                                                          {"wxyz", 50}});
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes, "abcd");
    EXPECT_DOUBLE_EQ(frames[0].time, 10);
    EXPECT_EQ(frames[1].bytes, "wxyz");
}

TEST(FrameCutter, OverlongFrameIsAbandoned)
{
    const std::string junk(FrameCutter::kMaxFrame + 10, 'x');
    const auto frames = cut(framing(0, 1, '$', 0, true), {{"$" + junk, 0}, {"\n$ok\n", 5000}});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, "$ok\n");
}

}  // namespace
