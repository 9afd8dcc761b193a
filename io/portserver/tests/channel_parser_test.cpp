#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>

#include "channel_parser.h"
#include "helm/portlink/protocol_dispatch.h"

using helm::portlink::BlockKind;
using helm::portlink::ChannelBlock;
using helm::portlink::RawRing;
using helm::portlink::RawRingWriter;
using helm::portserver::ChannelParser;

namespace {

// Port 5's two blocks and its processing side, as a serial channel holds them.
class ChannelParserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::strcpy(m_protocol.name, "NMEA0183");
        P_UpdateFrame(&m_protocol);
        ASSERT_TRUE(m_raw.create(5, BlockKind::raw, m_protocol.name));
        ASSERT_TRUE(m_parsed.create(5, BlockKind::parsed, m_protocol.name));
    }

    // Writes one raw record as the read thread does and hands it over; the
    // time stamp of the newest raw text record, or -1 when none was made.
    int64_t feed(const std::string& bytes, double stampMs)
    {
        const int64_t at = m_ring.write(m_raw, stampMs, SYSTEMTIME{}, reinterpret_cast<const BYTE*>(bytes.data()),
                                        static_cast<uint32_t>(bytes.size()));
        if (at < 0)
            return -1;
        const int32_t before = m_parsed.header()->last_record_offset;
        m_parser.on_raw_record(static_cast<DWORD>(at));
        const int32_t offset = m_parsed.header()->last_record_offset;
        if (offset < 0 || offset == before)
            return -1;
        sRAW_TEXT_RECORD record;
        std::memcpy(&record, m_parsed.record_area() + offset, sizeof record);
        return record.time_stamp_ms;
    }

    sPORT_PROTOCOL m_protocol{};
    std::mutex m_settings_mutex;
    ChannelBlock m_raw, m_parsed;
    RawRingWriter m_ring{RawRing::serial};
    helm::portserver::PortDump m_dump{5, ""};
    ChannelParser m_parser{5, nullptr, m_dump, m_raw, m_parsed, m_settings_mutex, m_protocol};
};

// Clients can write anything into the shared blocks. The character time
// comes from the channel, whatever the header says, and a raw record's time
// that is no usable number gives 0, not a wild tick.
TEST_F(ChannelParserTest, TimesFromSharedMemoryAreBounded)
{
    m_parser.set_character_time(2.0);
    m_raw.header()->ms_per_character = std::numeric_limits<double>::quiet_NaN();
    // The sentence starts at byte 3 of its block: 3 characters after the stamp.
    EXPECT_EQ(feed("xx $KVTRO,1*00\r\n", 1000.0), 1006);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double stamp;
        int64_t expected;
    } cases[] = {
        {nan, 0}, {inf, 0}, {-inf, 0}, {1e300, 0}, {-1e300, 0},
        {4294967296.0 + 7, 7},  // the tick wraps at 32 bits
        {-1.0, 4294967295},
    };
    m_parser.set_character_time(0);
    for (const Case& c : cases)
        EXPECT_EQ(feed("$KVTRO,2*00\r\n", c.stamp), c.expected) << c.stamp;
}

}  // namespace
