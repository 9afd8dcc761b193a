// The decoders through the dispatch: recorded and real-looking frames, each
// with the records it must yield (kinds, sizes, masks, values, time stamp),
// and the empty, malformed and cut forms of the same frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

#include "helm/kernel/clock.h"
#include "helm/portlink/protocol_dispatch.h"

namespace {

constexpr DWORD kStamp = 31337;

uint32_t bits(std::initializer_list<uint32_t> list)
{
    uint32_t mask = 0;
    for (uint32_t b : list)
        mask |= 1u << b;
    return mask;
}

// "$" + body + "*hh\r\n" with the right checksum.
std::string nmea(const std::string& body)
{
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

std::string bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s.push_back(static_cast<char>(b));
    return s;
}

// One expected field: where it lies in which record, and its value.
struct Value {
    int record;
    size_t offset;
    size_t size;
    bool floating;
    double expected;
};
#define V(i, T, m, x) Value{i, offsetof(T, m), sizeof(T::m), std::is_floating_point_v<std::remove_reference_t<decltype(T::m)>>, double(x)}

struct Masks {
    uint32_t change, valid;
};

struct Case {
    const char* protocol;
    const char* options;
    std::string frame;
    int result;
    std::vector<int> kinds;
    std::vector<Masks> masks;
    std::vector<Value> values;
};

int record_size(int kind)
{
    switch (kind) {
    case REC_ATTITUDE: return REC_ATTITUDE_SIZE;
    case REC_POSITION: return REC_POSITION_SIZE;
    case REC_GPS_QUALITY: return REC_GPS_QUALITY_SIZE;
    case REC_DEPTH: return REC_DEPTH_SIZE;
    case REC_HEADING_SPEED: return REC_HEADING_SPEED_SIZE;
    case REC_TRACKPOINT: return REC_TRACKPOINT_SIZE;
    case REC_MS1000: return REC_MS1000_SIZE;
    case REC_ATS: return REC_ATS_SIZE;
    case REC_TIME: return REC_TIME_SIZE;
    case REC_NAV_BLOCK: return REC_NAV_BLOCK_SIZE;
    case REC_FOG: return REC_FOG_SIZE;
    case REC_LAYBACK: return REC_LAYBACK_SIZE;
    default: return 0;
    }
}

double read_value(const BYTE* at, const Value& v)
{
    if (v.floating && v.size == 8) {
        double d;
        std::memcpy(&d, at, 8);
        return d;
    }
    if (v.floating) {
        float f;
        std::memcpy(&f, at, 4);
        return f;
    }
    if (v.size == 1)
        return static_cast<signed char>(at[0]) < 0 ? at[0] : static_cast<signed char>(at[0]);
    if (v.size == 2) {
        int16_t i;
        std::memcpy(&i, at, 2);
        return i;
    }
    int32_t i;
    std::memcpy(&i, at, 4);
    return i;
}

template <class T>
T load(const BYTE* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

class DecoderTest : public ::testing::Test {
protected:
    DecoderTest() : m_ring(MMF_RECORD_AREA_SIZE, 0xAA) {}

    int parse(const Case& c)
    {
        m_offsets[0] = 1000;
        return F_ParseStringInMemory(c.frame.data(), static_cast<DWORD>(c.frame.size()), c.protocol, c.options, kStamp,
                                     m_ring.data(), m_offsets, &m_count, MMF_RECORD_AREA_SIZE, &m_bytes,
                                     m_context_on ? &m_context : nullptr, nullptr);
    }

    void run(const std::vector<Case>& cases)
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.protocol) + " / " + (c.options ? c.options : "") + ": " + c.frame);
            const int result = parse(c);
            ASSERT_EQ(result, c.result);
            if (result != PARSE_OK) {
                EXPECT_EQ(m_count, 0);
                EXPECT_EQ(m_bytes, 0);
                continue;
            }
            ASSERT_EQ(m_count, static_cast<int>(c.kinds.size()));
            int total = 0;
            for (size_t i = 0; i < c.kinds.size(); ++i) {
                const BYTE* r = m_ring.data() + m_offsets[i];
                EXPECT_EQ(load<WORD>(r), PARSED_RECORD_MAGIC) << i;
                EXPECT_EQ(r[2], c.kinds[i]) << i;
                if (c.kinds[i] == REC_RAW_TEXT) {
                    total += static_cast<int>(load<DWORD>(r + 10));
                    continue;
                }
                EXPECT_EQ(load<DWORD>(r + 10), static_cast<DWORD>(record_size(c.kinds[i]))) << i;
                EXPECT_EQ(load<DWORD>(r + 22), kStamp) << i;
                total += record_size(c.kinds[i]);
                if (i < c.masks.size()) {
                    EXPECT_EQ(load<DWORD>(r + 14), c.masks[i].change) << "change mask of record " << i;
                    EXPECT_EQ(load<DWORD>(r + 18), c.masks[i].valid) << "valid mask of record " << i;
                }
            }
            EXPECT_EQ(m_bytes, total);
            for (const Value& v : c.values) {
                const double got = read_value(m_ring.data() + m_offsets[v.record] + v.offset, v);
                EXPECT_NEAR(got, v.expected, 1e-4 + std::fabs(v.expected) * 1e-6)
                    << "record " << v.record << " offset " << v.offset;
            }
        }
    }

    std::vector<BYTE> m_ring;
    DWORD m_offsets[PARSE_MAX_RECORDS] = {};
    int m_count = 0;
    int m_bytes = 0;
    bool m_context_on = false;
    sPORT_PARSE_CONTEXT m_context{};
};

using P = sPOSITION_RECORD;
using H = sHEADING_SPEED_RECORD;
using A = sATTITUDE_RECORD;
using D = sDEPTH_RECORD;
using Q = sGPS_QUALITY_RECORD;
using T = sTIME_RECORD;

const uint32_t kGgaAll = bits({POS_UTC_TIME, POS_LATITUDE, POS_LONGITUDE, POS_FIX_QUALITY, POS_SATELLITES, POS_HDOP,
                               POS_ALTITUDE, POS_GEOID_SEPARATION, POS_DIFFERENTIAL_AGE, POS_DIFFERENTIAL_STATION});

TEST_F(DecoderTest, Gga)
{
    const char* N = "NMEA0183";
    run({
        {N, nullptr, "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n", PARSE_OK, {REC_POSITION},
         {{kGgaAll, kGgaAll & ~bits({POS_DIFFERENTIAL_AGE, POS_DIFFERENTIAL_STATION})}},
         {V(0, P, utc_time_s, 45319), V(0, P, latitude_deg, 48.1173), V(0, P, longitude_deg, 11.5166667),
          V(0, P, fix_quality, 1), V(0, P, satellites, 8), V(0, P, hdop, 0.9), V(0, P, altitude_m, 545.4),
          V(0, P, geoid_separation_m, 46.9)}},
        {N, "", nmea("GNGGA,235959.50,3351.2300,S,15112.7100,W,2,12,1.2,-3.5,M,-20.1,M,4.0,0131"), PARSE_OK,
         {REC_POSITION}, {{kGgaAll, kGgaAll}},
         {V(0, P, utc_time_s, 86399.5), V(0, P, latitude_deg, -33.8538333), V(0, P, longitude_deg, -151.2118333),
          V(0, P, fix_quality, 2), V(0, P, altitude_m, -3.5), V(0, P, differential_age_s, 4),
          V(0, P, differential_station, 131)}},
        // No fix: empty position; quality 0 makes a sent position invalid too.
        {N, "", nmea("GPGGA,123520,,,,,0,00,,,M,,M,,"), PARSE_OK, {REC_POSITION},
         {{kGgaAll, bits({POS_UTC_TIME, POS_FIX_QUALITY, POS_SATELLITES})}}, {}},
        {N, "", nmea("GPGGA,123520,4807.038,N,01131.000,E,0,00,,545.4,M,,M,,"), PARSE_OK, {REC_POSITION},
         {{kGgaAll, bits({POS_UTC_TIME, POS_FIX_QUALITY, POS_SATELLITES})}}, {}},
        // Cut after whole fields: the rest is not carried.
        {N, "", nmea("GPGGA,123519,4807.038,N"), PARSE_OK, {REC_POSITION},
         {{bits({POS_UTC_TIME, POS_LATITUDE}), bits({POS_UTC_TIME, POS_LATITUDE})}}, {}},
        {N, "", "$GPGGA,123519,4807.038,N,011", PARSE_MALFORMED, {}, {}, {}},  // cut inside a field
        {N, "", nmea("GPGGA,123519,4807.038,X,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"), PARSE_MALFORMED, {}, {}, {}},
        {N, "", nmea("GPGGA,1235,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"), PARSE_MALFORMED, {}, {}, {}},
        {N, "", nmea("GPGGA,123519,4807.038,N,01131.000,E,1,8.5,0.9,545.4,M,46.9,M,,"), PARSE_MALFORMED, {}, {}, {}},
        {N, "", nmea("GPGGA,123519,4867.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"), PARSE_MALFORMED, {}, {}, {}},
        // A count too large for its field is carried but not valid.
        {N, "", nmea("GPGGA,123519,,,,,1,99999999999,0.9"), PARSE_OK, {REC_POSITION},
         {{bits({POS_UTC_TIME, POS_LATITUDE, POS_LONGITUDE, POS_FIX_QUALITY, POS_SATELLITES, POS_HDOP}),
           bits({POS_UTC_TIME, POS_FIX_QUALITY, POS_HDOP})}},
         {}},
        {N, "", nmea("GPGGA,123519,,N,,E,1"), PARSE_OK, {REC_POSITION},
         {{bits({POS_UTC_TIME, POS_LATITUDE, POS_LONGITUDE, POS_FIX_QUALITY}), bits({POS_UTC_TIME, POS_FIX_QUALITY})}},
         {}},
        {N, "", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48\r\n", PARSE_BAD_CHECKSUM, {}, {}, {}},
        {N, "", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*4\r\n", PARSE_MALFORMED, {}, {}, {}},
        {N, "NOGGA", nmea("GPGGA,123519,4807.038,N"), PARSE_OK, {REC_RAW_TEXT}, {}, {}},
    });
}

TEST_F(DecoderTest, GllAndPositionSentences)
{
    const uint32_t gll = bits({POS_LATITUDE, POS_LONGITUDE, POS_UTC_TIME, POS_STATUS, POS_MODE});
    run({
        {"NMEA0183", "", nmea("GPGLL,4916.45,N,12311.12,W,225444,A,A"), PARSE_OK, {REC_POSITION}, {{gll, gll}},
         {V(0, P, latitude_deg, 49.2741667), V(0, P, longitude_deg, -123.1853333), V(0, P, utc_time_s, 82484),
          V(0, P, status, 'A'), V(0, P, mode, 'A')}},
        {"NMEA0183", "", nmea("GPGLL,4916.45,N,12311.12,W,225444,V,N"), PARSE_OK, {REC_POSITION},
         {{gll, gll & ~bits({POS_LATITUDE, POS_LONGITUDE})}}, {}},
        {"NMEA0183", "", nmea("GPGLL,4916.45,N,12311.12,W,225444,AV"), PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", nmea("GPGLL,4916.45,N,12311.12,W,225444"), PARSE_OK, {REC_POSITION},  // no status field
         {{bits({POS_LATITUDE, POS_LONGITUDE, POS_UTC_TIME}), bits({POS_LATITUDE, POS_LONGITUDE, POS_UTC_TIME})}}, {}},
        {"NMEA0183", "", nmea("GPGLL,4916.45,N,12311.12,W,225444,,"), PARSE_OK, {REC_POSITION},  // status sent empty
         {{gll, bits({POS_UTC_TIME})}}, {}},
        {"NMEA0183", "NOGLL", nmea("GPGLL,4916.45,N,12311.12,W,225444,A"), PARSE_OK, {REC_RAW_TEXT}, {}, {}},
        {"NMEA0183", "", nmea("PVRNK,POSITI,-33.5,151.25,12.5"), PARSE_OK, {REC_POSITION},
         {{bits({POS_LATITUDE, POS_LONGITUDE, POS_ALTITUDE}), bits({POS_LATITUDE, POS_LONGITUDE, POS_ALTITUDE})}},
         {V(0, P, latitude_deg, -33.5), V(0, P, longitude_deg, 151.25), V(0, P, altitude_m, 12.5)}},
        {"NMEA0183", "", nmea("PVRNK,POSITI,95.0,151.25"), PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", nmea("PDAS,101010,5000.00,N,00030.00,W"), PARSE_OK, {REC_POSITION},
         {{bits({POS_UTC_TIME, POS_LATITUDE, POS_LONGITUDE}), bits({POS_UTC_TIME, POS_LATITUDE, POS_LONGITUDE})}},
         {V(0, P, utc_time_s, 36610), V(0, P, latitude_deg, 50), V(0, P, longitude_deg, -0.5)}},
        {"NMEA0183", "", nmea("PDAS,,,,,"), PARSE_OK, {REC_POSITION},
         {{bits({POS_UTC_TIME, POS_LATITUDE, POS_LONGITUDE}), 0}}, {}},
    });
}

const uint32_t kRmcPos = bits({POS_UTC_TIME, POS_STATUS, POS_LATITUDE, POS_LONGITUDE, POS_DATE});
const uint32_t kRmcHs = bits({HS_SPEED_KNOTS, HS_COURSE_TRUE, HS_MAGNETIC_VARIATION});

TEST_F(DecoderTest, Rmc)
{
    run({
        {"NMEA0183", "NOCLOCK", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n", PARSE_OK,
         {REC_POSITION, REC_HEADING_SPEED}, {{kRmcPos, kRmcPos}, {kRmcHs, kRmcHs}},
         {V(0, P, utc_time_s, 45319), V(0, P, status, 'A'), V(0, P, latitude_deg, 48.1173), V(0, P, date, 19940323),
          V(1, H, speed_knots, 22.4), V(1, H, course_true_deg, 84.4), V(1, H, magnetic_variation_deg, -3.1)}},
        // Warning status: position, speed and course are not to be used.
        {"NMEA0183", "NOCLOCK", nmea("GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,,,N"), PARSE_OK,
         {REC_POSITION, REC_HEADING_SPEED},
         {{kRmcPos | bits({POS_MODE}), bits({POS_UTC_TIME, POS_STATUS, POS_DATE, POS_MODE})},
          {kRmcHs | bits({HS_MODE}), bits({HS_MODE})}},
         {}},
        {"NMEA0183", "NOCLOCK", nmea("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,320394,003.1,W"),
         PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "NOCLOCK", nmea("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,290223,003.1,W"),
         PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "NOCLOCK", nmea("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,290224,003.1,W"), PARSE_OK,
         {REC_POSITION, REC_HEADING_SPEED}, {}, {V(0, P, date, 20240229)}},
        {"NMEA0183", "NOCLOCK", nmea("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,X"),
         PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183 NORMC", "", nmea("GPRMC,123519,A"), PARSE_OK, {REC_RAW_TEXT}, {}, {}},
    });
}

// The clock is set through the kernel's setter, which tests replace.
class ClockTest : public DecoderTest {
protected:
    ClockTest()
    {
        setenv("TZ", "UTC0", 1);
        tzset();
        helm::kernel::set_local_time_setter([this](const SYSTEMTIME& t) {
            m_set.push_back(t);
            return TRUE;
        });
    }
    ~ClockTest() override { helm::kernel::set_local_time_setter({}); }
    std::vector<SYSTEMTIME> m_set;
};

TEST_F(ClockTest, RmcZdaAndPifmSetTheClockUnlessNoClock)
{
    struct Row {
        const char* options;
        std::string frame;
        bool sets;
    } table[] = {
        {"", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n", true},
        {nullptr, nmea("GPZDA,235959.25,31,12,2026,00,00"), true},
        {"", nmea("PIFM,010203,150826,4807.038,N,01131.000,E,90.0,91.0,10.5,1.5,-2.0,0.25,45.5"), true},
        {"NOCLOCK", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n", false},
        {"X,NOCLOCK", nmea("GPZDA,235959.25,31,12,2026,00,00"), false},
        {"NOCLOCK", nmea("PIFM,010203,150826,4807.038,N,01131.000,E,90.0,91.0,10.5,1.5,-2.0,0.25,45.5"), false},
        {"", nmea("GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,,"), false},  // warning
        {"", nmea("GPZDA,235959.25,,12,2026,00,00"), false},                             // no day
        {"", nmea("GPZDA,120000,31,02,2026,00,00"), false},                              // no such day
        {"", nmea("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,,,"), false},        // no date
    };
    for (const Row& row : table) {
        m_set.clear();
        ASSERT_EQ(parse({"NMEA0183", row.options, row.frame, 0, {}, {}, {}}), PARSE_OK) << row.frame;
        EXPECT_EQ(m_set.size(), row.sets ? 1u : 0u) << row.frame;
    }
    m_set.clear();
    ASSERT_EQ(parse({"Time(ZDA)", "", nmea("GPZDA,235959.25,31,12,2026,00,00"), 0, {}, {}, {}}), PARSE_OK);
    ASSERT_EQ(m_set.size(), 1u);
    const SYSTEMTIME& t = m_set[0];
    EXPECT_EQ(t.wYear, 2026);
    EXPECT_EQ(t.wMonth, 12);
    EXPECT_EQ(t.wDay, 31);
    EXPECT_EQ(t.wHour, 23);
    EXPECT_EQ(t.wMinute, 59);
    EXPECT_EQ(t.wSecond, 59);
    EXPECT_EQ(t.wMilliseconds, 250);
}

TEST_F(DecoderTest, ClockIsOffByDefault)
{
    // No setter installed: the sentence is still decoded.
    run({{"NMEA0183", "", nmea("GPZDA,120000,01,02,2027,,"), PARSE_OK, {REC_TIME}, {}, {}}});
    SYSTEMTIME st{2027, 2, 1, 1, 12, 0, 0, 0};
    EXPECT_FALSE(SetLocalTime(&st));
}

TEST_F(DecoderTest, GstAndGsa)
{
    const uint32_t gst = bits({GQ_UTC_TIME, GQ_RMS, GQ_SEMI_MAJOR, GQ_SEMI_MINOR, GQ_ORIENTATION, GQ_LATITUDE_SIGMA,
                               GQ_LONGITUDE_SIGMA, GQ_ALTITUDE_SIGMA});
    const uint32_t gsa = bits({GQ_SELECTION_MODE, GQ_FIX_TYPE, GQ_SATELLITES, GQ_PDOP, GQ_HDOP, GQ_VDOP});
    run({
        {"NMEA0183", "", nmea("GPGST,172814.0,0.006,0.023,0.020,273.6,0.023,0.020,0.031"), PARSE_OK,
         {REC_GPS_QUALITY}, {{gst, gst}},
         {V(0, Q, utc_time_s, 62894), V(0, Q, rms_range_m, 0.006), V(0, Q, orientation_deg, 273.6),
          V(0, Q, altitude_sigma_m, 0.031)}},
        {"NMEA0183", "", nmea("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1"), PARSE_OK, {REC_GPS_QUALITY},
         {{gsa, gsa}},
         {V(0, Q, selection_mode, 'A'), V(0, Q, fix_type, 3), V(0, Q, satellites[0], 4), V(0, Q, satellites[2], 0),
          V(0, Q, satellites[3], 9), V(0, Q, satellites[7], 24), V(0, Q, pdop, 2.5), V(0, Q, vdop, 2.1)}},
        {"NMEA0183", "", nmea("GPGSA,A,1,,,,,,,,,,,,,,,"), PARSE_OK, {REC_GPS_QUALITY},
         {{gsa, bits({GQ_SELECTION_MODE, GQ_FIX_TYPE})}}, {}},
        {"NMEA0183", "", nmea("GPGSA,A,3,04,300,,,,,,,,,,,2.5,1.3,2.1"), PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", nmea("GPGST,172814.0,,,,,,,"), PARSE_OK, {REC_GPS_QUALITY}, {{gst, bits({GQ_UTC_TIME})}}, {}},
        {"NMEA0183", "", nmea("GPGST,172814.0,0.006,0.0.23"), PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, HeadingAndCourse)
{
    const uint32_t vtg = bits({HS_COURSE_TRUE, HS_COURSE_MAGNETIC, HS_SPEED_KNOTS, HS_SPEED_KMH, HS_MODE});
    run({
        {"NMEA0183", "", nmea("HEHDT,274.07,T"), PARSE_OK, {REC_HEADING_SPEED},
         {{bits({HS_HEADING_TRUE}), bits({HS_HEADING_TRUE})}}, {V(0, H, heading_true_deg, 274.07)}},
        {"KVH", "", nmea("HCHDM,172.5,M"), PARSE_OK, {REC_HEADING_SPEED},
         {{bits({HS_HEADING_MAGNETIC}), bits({HS_HEADING_MAGNETIC})}}, {V(0, H, heading_magnetic_deg, 172.5)}},
        {"Heading(NMEA)", "", nmea("HEHDT,,T"), PARSE_OK, {REC_HEADING_SPEED}, {{bits({HS_HEADING_TRUE}), 0}}, {}},
        {"NMEA0183 NOHDT", "", nmea("HEHDT,274.07,T"), PARSE_OK, {REC_RAW_TEXT}, {}, {}},
        // Under the repeater's own protocol the heading goes with the attitude.
        {"TALVOR Standard", "", nmea("HEHDT,274.07,T"), PARSE_OK, {REC_ATTITUDE},
         {{bits({ATT_HEADING}), bits({ATT_HEADING})}}, {V(0, A, heading_deg, 274.07)}},
        {"NMEA0183", "", nmea("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A"), PARSE_OK, {REC_HEADING_SPEED},
         {{vtg, vtg}},
         {V(0, H, course_true_deg, 54.7), V(0, H, course_magnetic_deg, 34.4), V(0, H, speed_knots, 5.5),
          V(0, H, speed_kmh, 10.2), V(0, H, mode, 'A')}},
        {"NMEA0183", "", nmea("GPVTG,,T,,M,0.0,N,0.0,K,N"), PARSE_OK, {REC_HEADING_SPEED},
         {{vtg, bits({HS_MODE})}}, {}},
        {"NMEA0183 NOVTG", "", nmea("GPVTG,054.7,T"), PARSE_OK, {REC_RAW_TEXT}, {}, {}},
        {"NMEA0183", "", nmea("GPVTG,05x4.7,T"), PARSE_MALFORMED, {}, {}, {}},
        {"KVH", "", nmea("HCHDM,17-2.5,M"), PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, Zda)
{
    const uint32_t all = bits({TIME_UTC_TIME, TIME_DAY, TIME_MONTH, TIME_YEAR, TIME_ZONE_HOURS, TIME_ZONE_MINUTES});
    run({
        {"Time(ZDA)", "NOCLOCK", nmea("GPZDA,201530.00,04,07,2002,-05,30"), PARSE_OK, {REC_TIME}, {{all, all}},
         {V(0, T, utc_time_s, 72930), V(0, T, day, 4), V(0, T, month, 7), V(0, T, year, 2002),
          V(0, T, zone_hours, -5), V(0, T, zone_minutes, 30)}},
        {"Time(ZDA)", "NOCLOCK", nmea("GPZDA,201530.00,04,07,2002,,"), PARSE_OK, {REC_TIME},
         {{all, all & ~bits({TIME_ZONE_HOURS, TIME_ZONE_MINUTES})}}, {}},
        {"Time(ZDA)", "NOCLOCK", nmea("GPZDA,201530.00,04,13,2002,,"), PARSE_MALFORMED, {}, {}, {}},
        {"Time(ZDA)", "NOCLOCK", nmea("GPZDA,246000.00,04,07,2002,,"), PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, DepthSentences)
{
    run({
        {"SB_NMEA", "", nmea("SDDBS,67.915,f,20.701,M,11.319,F"), PARSE_OK, {REC_DEPTH},
         {{bits({DEP_BELOW_SURFACE}), bits({DEP_BELOW_SURFACE})}}, {V(0, D, below_surface_m, 20.701)}},
        {"Echotrac_DBS", "", nmea("SDDBS,67.915,f,,M,,F"), PARSE_OK, {REC_DEPTH},  // metres from the feet
         {{bits({DEP_BELOW_SURFACE}), bits({DEP_BELOW_SURFACE})}}, {V(0, D, below_surface_m, 20.7005)}},
        {"NMEA0183", "", nmea("SDDBT,,f,,M,,F"), PARSE_OK, {REC_DEPTH}, {{bits({DEP_DEPTH}), 0}}, {}},
        {"NMEA0183", "", nmea("SDDBT,32.8,f,10.0,M,5.5,F"), PARSE_OK, {REC_DEPTH},
         {{bits({DEP_DEPTH}), bits({DEP_DEPTH})}}, {V(0, D, depth_m, 10.0)}},
        {"NMEA0183", "", nmea("SDDPT,12.3,-0.5,100"), PARSE_OK, {REC_DEPTH},
         {{bits({DEP_DEPTH, DEP_TRANSDUCER_OFFSET, DEP_MAX_RANGE}), bits({DEP_DEPTH, DEP_TRANSDUCER_OFFSET, DEP_MAX_RANGE})}},
         {V(0, D, depth_m, 12.3), V(0, D, transducer_offset_m, -0.5), V(0, D, max_range_m, 100)}},
        {"NMEA0183", "", nmea("SDDPT,12.3"), PARSE_OK, {REC_DEPTH}, {{bits({DEP_DEPTH}), bits({DEP_DEPTH})}}, {}},
        {"Knudsen_$PKEL", "", nmea("PKEL,25.40,26.10"), PARSE_OK, {REC_DEPTH},
         {{bits({DEP_DEPTH, DEP_SECOND_DEPTH}), bits({DEP_DEPTH, DEP_SECOND_DEPTH})}},
         {V(0, D, depth_m, 25.4), V(0, D, second_depth_m, 26.1)}},
        {"Knudsen_$PKEL", "", nmea("PKEL,25.40,2x"), PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", nmea("SDDBT,1x.0,f"), PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, AttitudeSentences)
{
    run({
        {"NMEA0183", "", nmea("PSER,1.25,-0.50,0.12,123.4"), PARSE_OK, {REC_ATTITUDE},
         {{bits({ATT_ROLL, ATT_PITCH, ATT_HEAVE, ATT_HEADING}), bits({ATT_ROLL, ATT_PITCH, ATT_HEAVE, ATT_HEADING})}},
         {V(0, A, roll_deg, 1.25), V(0, A, pitch_deg, -0.5), V(0, A, heave_m, 0.12), V(0, A, heading_deg, 123.4)}},
        {"TALVOR Standard", "", nmea("PVRNK,ATITUD,-2.5,3.75"), PARSE_OK, {REC_ATTITUDE},
         {{bits({ATT_ROLL, ATT_PITCH}), bits({ATT_ROLL, ATT_PITCH})}},
         {V(0, A, roll_deg, -2.5), V(0, A, pitch_deg, 3.75)}},
        {"TALVOR Standard", "", nmea("PVRNK,HEAVE_,-0.35"), PARSE_OK, {REC_ATTITUDE},
         {{bits({ATT_HEAVE}), bits({ATT_HEAVE})}}, {V(0, A, heave_m, -0.35)}},
        {"TALVOR Standard", "", nmea("PVRNK,ATITUD,,3.75"), PARSE_OK, {REC_ATTITUDE},
         {{bits({ATT_ROLL, ATT_PITCH}), bits({ATT_PITCH})}}, {}},
        {"TALVOR Standard", "", nmea("PVRNK,ATITUD,abc,3.75"), PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", nmea("PSER,1.25"), PARSE_OK, {REC_ATTITUDE}, {{bits({ATT_ROLL}), bits({ATT_ROLL})}}, {}},
        {"NMEA0183", "", nmea("PSER,1.25,,,"), PARSE_OK, {REC_ATTITUDE},
         {{bits({ATT_ROLL, ATT_PITCH, ATT_HEAVE, ATT_HEADING}), bits({ATT_ROLL})}}, {}},
        {"TALVOR Standard", "", nmea("PVRNK,CONFIG,START_,1"), PARSE_OK, {REC_RAW_TEXT}, {}, {}},  // an answer
    });
}

TEST_F(DecoderTest, FogAndPifm)
{
    const uint32_t pos = bits({POS_UTC_TIME, POS_DATE, POS_LATITUDE, POS_LONGITUDE});
    const uint32_t hs = bits({HS_HEADING_TRUE, HS_COURSE_TRUE, HS_SPEED_KNOTS});
    const uint32_t att = bits({ATT_HEADING, ATT_ROLL, ATT_PITCH, ATT_HEAVE});
    run({
        {"NMEA0183", "", nmea("HEFOG,45.50,-0.25,0"), PARSE_OK, {REC_FOG},
         {{bits({FOG_HEADING, FOG_RATE, FOG_STATUS}), bits({FOG_HEADING, FOG_RATE, FOG_STATUS})}},
         {V(0, sFOG_RECORD, heading_deg, 45.5), V(0, sFOG_RECORD, rate_deg_s, -0.25)}},
        {"NMEA0183", "", nmea("HEFOG,45.50,-0.25,0.5"), PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "NOCLOCK", nmea("PIFM,010203,150826,4807.038,N,01131.000,E,90.0,91.0,10.5,1.5,-2.0,0.25,45.5"),
         PARSE_OK, {REC_POSITION, REC_HEADING_SPEED, REC_ATTITUDE, REC_DEPTH},
         {{pos, pos}, {hs, hs}, {att, att}, {bits({DEP_DEPTH}), bits({DEP_DEPTH})}},
         {V(0, P, utc_time_s, 3723), V(0, P, date, 20260815), V(1, H, heading_true_deg, 90), V(1, H, speed_knots, 10.5),
          V(2, A, heading_deg, 90), V(2, A, roll_deg, 1.5), V(2, A, heave_m, 0.25), V(3, D, depth_m, 45.5)}},
        {"NMEA0183", "NOCLOCK", nmea("PIFM,010203,150826,4807.038,N"), PARSE_OK,
         {REC_POSITION, REC_HEADING_SPEED, REC_ATTITUDE, REC_DEPTH},
         {{bits({POS_UTC_TIME, POS_DATE, POS_LATITUDE}), bits({POS_UTC_TIME, POS_DATE, POS_LATITUDE})}, {0, 0}, {0, 0}, {0, 0}},
         {}},
        {"NMEA0183", "NOCLOCK", nmea("PIFM,010203,150899x,4807.038,N"), PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, NavigationBlockKeepsTheOtherSentencesPerPort)
{
    using NB = sNAV_BLOCK_RECORD;
    const auto row = [](int r) { return 0xFu << (4 * r); };
    const uint32_t last = 1u << NAV_LAST_SENTENCE;
    // Without a port context each frame stands alone.
    run({
        {"NMEA0183", "", nmea("GPOSM,1.5,2.5,3.5,4.5"), PARSE_OK, {REC_NAV_BLOCK}, {{row(0) | last, row(0) | last}},
         {V(0, NB, values[0][0], 1.5), V(0, NB, values[0][3], 4.5), V(0, NB, last_sentence, 0)}},
        {"NMEA0183", "", nmea("GPMAG,7,8,,"), PARSE_OK, {REC_NAV_BLOCK}, {{row(3) | last, 0x3u << 12 | last}},
         {V(0, NB, values[0][0], 0), V(0, NB, values[3][1], 8), V(0, NB, last_sentence, 3)}},
        {"NMEA0183", "", nmea("GPVLT,7,x"), PARSE_MALFORMED, {}, {}, {}},
    });
    m_context_on = true;
    run({
        {"NMEA0183", "", nmea("GPOSM,1.5,2.5,3.5,4.5"), PARSE_OK, {REC_NAV_BLOCK}, {{row(0) | last, row(0) | last}}, {}},
        {"NMEA0183", "", nmea("GPAGA,10,20"), PARSE_OK, {REC_NAV_BLOCK},
         {{0x3u << 4 | last, row(0) | 0x3u << 4 | last}},
         {V(0, NB, values[0][1], 2.5), V(0, NB, values[1][1], 20), V(0, NB, last_sentence, 1)}},
        {"NMEA0183", "", nmea("GPRMN,5,6,7,8"), PARSE_OK, {REC_NAV_BLOCK},
         {{row(2) | last, row(0) | 0x3u << 4 | row(2) | last}}, {}},
        {"NMEA0183", "", nmea("GPOSM,,2.5,3.5,4.5"), PARSE_OK, {REC_NAV_BLOCK},
         {{row(0) | last, 0xEu | 0x3u << 4 | row(2) | last}}, {V(0, NB, values[0][0], 0)}},
    });
}

TEST_F(DecoderTest, SounderLines)
{
    const uint32_t depth_a = bits({DEP_DEPTH, DEP_CHANNEL});
    const uint32_t depth_b = bits({DEP_SECOND_DEPTH, DEP_CHANNEL});
    run({
        {"TRITECH", "", "012.345m\r\n", PARSE_OK, {REC_DEPTH}, {{bits({DEP_DEPTH}), bits({DEP_DEPTH})}},
         {V(0, D, depth_m, 12.345)}},
        {"TRITECH", "", "7.5\n", PARSE_OK, {REC_DEPTH}, {{bits({DEP_DEPTH}), bits({DEP_DEPTH})}}, {V(0, D, depth_m, 7.5)}},
        {"TRITECH", "", "\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"TRITECH", "", "12.3.4m\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"Marimatech_Deso25", "", "DA  0012.34 m\r\n", PARSE_OK, {REC_DEPTH}, {{depth_a, depth_a}},
         {V(0, D, depth_m, 12.34), V(0, D, channel, 'A')}},
        {"SB_Deso", "", "DB 0104.50 m\r\n", PARSE_OK, {REC_DEPTH}, {{depth_b, depth_b}},
         {V(0, D, second_depth_m, 104.5), V(0, D, channel, 'B')}},
        {"Echotrac_Deso25", "", "DA 0032.81 f\r\n", PARSE_OK, {REC_DEPTH}, {{depth_a, depth_a}},
         {V(0, D, depth_m, 10.0005)}},
        {"Knudsen_Deso20", "", "D1 55.0\r\n", PARSE_OK, {REC_DEPTH}, {{depth_a, depth_a}}, {V(0, D, depth_m, 55)}},
        {"SB_Deso", "", "DC 0104.50 m\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"SB_Deso", "", "DA\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"SB_Deso", "", "CS1500 m/s\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"Knudsen_Elac", "", "DPT 25.40 26.10 M\r\n", PARSE_OK, {REC_DEPTH},
         {{bits({DEP_DEPTH, DEP_SECOND_DEPTH}), bits({DEP_DEPTH, DEP_SECOND_DEPTH})}},
         {V(0, D, depth_m, 25.4), V(0, D, second_depth_m, 26.1)}},
        {"Knudsen_Elac", "", "D 12.5\r\n", PARSE_OK, {REC_DEPTH}, {{bits({DEP_DEPTH}), bits({DEP_DEPTH})}}, {}},
        {"Knudsen_Elac", "", "DPT\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"Knudsen_Elac", "", "1 2 3\r\n", PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, SentenceBounds)
{
    // 40 fields are read; a 41st makes the sentence refused, whatever its row.
    const std::string forty = "GPGGA,123519" + std::string(39, ',');
    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
    run({
        {"NMEA0183", "", nmea(forty), PARSE_OK, {REC_POSITION}, {{kGgaAll, bits({POS_UTC_TIME})}}, {}},
        {"NMEA0183", "", nmea(forty + ","), PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", gga + "*\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", gga + "*47xx\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", gga + "*4G\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", gga + "\r\n", PARSE_OK, {REC_POSITION}, {}, {}},  // no checksum sent
        {"NMEA0183", "", std::string("$GPGGA,12\0" "519\r\n", 15), PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", nmea("GPGGA,123519,4807.038,N,01131.000,E,1,08,nan,545.4,M,46.9,M,,"), PARSE_MALFORMED, {}, {}, {}},
        {"NMEA0183", "", nmea("GPGGA,123519,4807.038,N,01131.000,E,1,08,1e3,545.4,M,46.9,M,,"), PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, MorvellaLaysBothRecordsTogether)
{
    const std::string frame = nmea("PMVL,101500,5430.000,N,00815.000,E,23.5");
    for (DWORD at : {DWORD{64098 - 197}, DWORD{64098 - 196}}) {
        m_offsets[0] = at;
        ASSERT_EQ(F_ParseStringInMemory(frame.data(), static_cast<DWORD>(frame.size()), "Morvella", nullptr, kStamp,
                                        m_ring.data(), m_offsets, &m_count, MMF_RECORD_AREA_SIZE, &m_bytes, nullptr,
                                        nullptr),
                  PARSE_OK);
        const DWORD first = at == 64098 - 197 ? at : 0;
        EXPECT_EQ(m_count, 2);
        EXPECT_EQ(m_bytes, 196);
        EXPECT_EQ(m_offsets[0], first);
        EXPECT_EQ(m_offsets[1], first + 128);
        EXPECT_EQ(m_ring[first + 128 + 2], REC_DEPTH);
        sDEPTH_RECORD depth;
        std::memcpy(&depth, m_ring.data() + first + 128, sizeof depth);
        EXPECT_DOUBLE_EQ(double{depth.depth_m}, 23.5);
    }
}

TEST_F(DecoderTest, MarimatechDesoWritesExactlyOneDepthRecord)
{
    const std::string frame = "DA 0012.34 m\r\n";
    ASSERT_EQ(parse({"Marimatech_Deso25", nullptr, frame, 0, {}, {}, {}}), PARSE_OK);
    EXPECT_EQ(m_count, 1);
    EXPECT_EQ(m_bytes, 68);
    EXPECT_EQ(m_offsets[0], 1000u);
    EXPECT_EQ(m_ring[1000 + 68], 0xAA) << "nothing written behind the record";
}

TEST_F(DecoderTest, PositioningAndLaybackLines)
{
    using TP = sTRACKPOINT_RECORD;
    const uint32_t tp = bits({TP_BEACON, TP_BEARING, TP_SLANT_RANGE, TP_DEPTH, TP_HORIZONTAL_RANGE});
    const uint32_t ats = bits({ATS_BEACON, ATS_X, ATS_Y, ATS_DEPTH});
    run({
        {"Trackpoint", "", nmea("PTRK,3,045.5,120.25,80.0,91.5"), PARSE_OK, {REC_TRACKPOINT}, {{tp, tp}},
         {V(0, TP, beacon, 3), V(0, TP, bearing_deg, 45.5), V(0, TP, slant_range_m, 120.25), V(0, TP, depth_m, 80),
          V(0, TP, horizontal_range_m, 91.5)}},
        {"Trackpoint", "", nmea("PTRK,3,,120.25"), PARSE_OK, {REC_TRACKPOINT},
         {{bits({TP_BEACON, TP_BEARING, TP_SLANT_RANGE}), bits({TP_BEACON, TP_SLANT_RANGE})}}, {}},
        {"Trackpoint", "", "PTRK,3,045.5\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"ATS", "", nmea("PATS,12,-15.5,40.25,95.0"), PARSE_OK, {REC_ATS}, {{ats, ats}},
         {V(0, sATS_RECORD, beacon, 12), V(0, sATS_RECORD, x_m, -15.5), V(0, sATS_RECORD, y_m, 40.25)}},
        {"ATS", "", nmea("PATS,1.5,-15.5"), PARSE_MALFORMED, {}, {}, {}},
        {"LAYBACK", "", "152.3,180.0,25.5\r\n", PARSE_OK, {REC_LAYBACK},
         {{bits({LB_LAYBACK, LB_CABLE_OUT, LB_FISH_DEPTH}), bits({LB_LAYBACK, LB_CABLE_OUT, LB_FISH_DEPTH})}},
         {V(0, sLAYBACK_RECORD, layback_m, 152.3), V(0, sLAYBACK_RECORD, fish_depth_m, 25.5)}},
        {"LAYBACK", "", "LB 152.3 m\r\n", PARSE_OK, {REC_LAYBACK}, {{bits({LB_LAYBACK}), bits({LB_LAYBACK})}},
         {V(0, sLAYBACK_RECORD, layback_m, 152.3)}},
        {"LAYBACK", "", "1,2,3,4\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"LAYBACK", "", "\r\n", PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, TwoRecordProtocols)
{
    const uint32_t pos = bits({POS_UTC_TIME, POS_LATITUDE, POS_LONGITUDE});
    run({
        {"Morvella", "", nmea("PMVL,101500,5430.000,N,00815.000,E,23.5"), PARSE_OK, {REC_POSITION, REC_DEPTH},
         {{pos, pos}, {bits({DEP_DEPTH}), bits({DEP_DEPTH})}},
         {V(0, P, latitude_deg, 54.5), V(0, P, longitude_deg, 8.25), V(1, D, depth_m, 23.5)}},
        {"Morvella", "", nmea("PMVL,101500,,,,,"), PARSE_OK, {REC_POSITION, REC_DEPTH},
         {{pos, bits({POS_UTC_TIME})}, {bits({DEP_DEPTH}), 0}}, {}},
        {"Morvella", "", nmea("PMVL,101500,5430.000,N,00815.000"), PARSE_MALFORMED, {}, {}, {}},
        {"NR202K NR230", "", nmea("PNRK,101500,5430.000,N,00815.000,W,181.5,12.5"), PARSE_OK,
         {REC_POSITION, REC_HEADING_SPEED},
         {{pos, pos}, {bits({HS_HEADING_TRUE, HS_SPEED_KNOTS}), bits({HS_HEADING_TRUE, HS_SPEED_KNOTS})}},
         {V(0, P, longitude_deg, -8.25), V(1, H, heading_true_deg, 181.5), V(1, H, speed_knots, 12.5)}},
        // NR230 alone is an NMEA port.
        {"NR230", "", nmea("PNRK,101500,5430.000,N,00815.000,W,181.5,12.5"), PARSE_OK, {REC_RAW_TEXT}, {}, {}},
    });
}

const uint32_t kTss = bits({ATT_ROLL, ATT_PITCH, ATT_HEAVE, ATT_HORIZONTAL_ACCELERATION, ATT_VERTICAL_ACCELERATION,
                            ATT_STATUS});

TEST_F(DecoderTest, Tss1)
{
    run({
        {"TSS(Tss1)", "", ":090048  0013F-0067  0035\r\n", PARSE_OK, {REC_ATTITUDE}, {{kTss, kTss}},
         {V(0, A, horizontal_acceleration, 9 * 0.0383), V(0, A, vertical_acceleration, 72 * 0.000625),
          V(0, A, heave_m, 0.13), V(0, A, status, 'F'), V(0, A, roll_deg, -0.67), V(0, A, pitch_deg, 0.35)}},
        {"TSS(Tss1)", "", ":000064 -0003U 0007 -0056\r\n", PARSE_OK, {REC_ATTITUDE}, {{kTss, kTss}},
         {V(0, A, heave_m, -0.03), V(0, A, status, 'U'), V(0, A, roll_deg, 0.07), V(0, A, pitch_deg, -0.56)}},
        {"TSS(Tss1)", "", ":000064 -0003U 0007 -005\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"TSS(Tss1)", "", ":0G0064 -0003U 0007 -0056\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"TSS(Tss1)", "", ":000064 -0003U 0007x-0056\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"TSS(Tss1)", "", "", PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, SimradBinaryAttitude)
{
    const uint32_t all = bits({ATT_STATUS, ATT_ROLL, ATT_PITCH, ATT_HEAVE, ATT_HEADING});
    run({
        // roll -1.50 (0xFF6A), pitch 2.25 (0x00E1), heave -0.12 (0xFFF4), heading 359.99 (0x8C9F)
        {"TSS(Simrad)", "", bytes({0x00, 0x90, 0x6A, 0xFF, 0xE1, 0x00, 0xF4, 0xFF, 0x9F, 0x8C}), PARSE_OK,
         {REC_ATTITUDE}, {{all, all}},
         {V(0, A, status, 0), V(0, A, roll_deg, -1.5), V(0, A, pitch_deg, 2.25), V(0, A, heave_m, -0.12),
          V(0, A, heading_deg, 359.99)}},
        // Heading 360.00 and heave 10 m are outside the format's range.
        {"TSS(Simrad)", "", bytes({0x90, 0x90, 0, 0, 0, 0, 0xE8, 0x03, 0xA0, 0x8C}), PARSE_OK, {REC_ATTITUDE},
         {{all, all & ~bits({ATT_HEAVE, ATT_HEADING})}}, {V(0, A, status, 0x90)}},
        {"TSS(Simrad)", "", bytes({0x00, 0x90, 0x6A, 0xFF, 0xE1, 0x00, 0xF4, 0xFF, 0x9F}), PARSE_MALFORMED, {}, {}, {}},
        {"TSS(Simrad)", "", bytes({0x00, 0x91, 0x6A, 0xFF, 0xE1, 0x00, 0xF4, 0xFF, 0x9F, 0x8C}), PARSE_MALFORMED, {}, {}, {}},
        {"TSS(Simrad)", "", bytes({0x50, 0x90, 0x6A, 0xFF, 0xE1, 0x00, 0xF4, 0xFF, 0x9F, 0x8C}), PARSE_MALFORMED, {}, {}, {}},
    });
}

std::string seatex(char header, std::initializer_list<float> values, bool token)
{
    std::string s(1, header);
    s.push_back(static_cast<char>(values.size() * 4 + (token ? 1 : 0)));
    if (token)
        s.push_back(0x2F);
    for (float v : values) {
        uint32_t b;
        std::memcpy(&b, &v, 4);
        for (int shift = 24; shift >= 0; shift -= 8)
            s.push_back(static_cast<char>(b >> shift));
    }
    s.push_back(0);  // checksum
    return s;
}

TEST_F(DecoderTest, SeatexBinary)
{
    const double deg = 180.0 / 3.14159265358979323846;
    const uint32_t three = bits({ATT_ROLL, ATT_PITCH, ATT_HEADING, ATT_STATUS});
    const uint32_t four = three | bits({ATT_HEAVE});
    run({
        // The 15-byte frame: three values, no token.
        {"Seatex", "", seatex('q', {0.051f, -0.051f, -0.204f}, false), PARSE_OK, {REC_ATTITUDE}, {{three, three}},
         {V(0, A, roll_deg, 0.051f * deg), V(0, A, pitch_deg, -0.051f * deg), V(0, A, heading_deg, 360 - 0.204f * deg),
          V(0, A, status, 'q')}},
        {"Seatex", "", seatex('Q', {0.051f, -0.051f, -0.204f, 1.234f}, true), PARSE_OK, {REC_ATTITUDE}, {{four, four}},
         {V(0, A, heave_m, 1.234f), V(0, A, status, 'Q')}},
        {"Seatex", "", seatex('q', {0.051f, -0.051f, -0.204f}, false).substr(0, 14), PARSE_MALFORMED, {}, {}, {}},
        {"Seatex", "", seatex('x', {0.051f, -0.051f, -0.204f}, false), PARSE_MALFORMED, {}, {}, {}},
        {"Seatex", "", bytes({'q', 6, 1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0}), PARSE_MALFORMED, {}, {}, {}},
    });
}

TEST_F(DecoderTest, Ms1000ScanLine)
{
    using M = sMS1000_RECORD;
    const uint32_t all = bits({MS_HEAD_ANGLE, MS_RANGE, MS_SAMPLE_COUNT, MS_SAMPLES});
    std::string full = "$MS1K,12.5,50";
    for (int i = 0; i < MS1000_MAX_SAMPLES; ++i)
        full += i % 2 ? ",255" : ",0";
    run({
        {"MS1000", "", "$MS1K,180.0,25.5,0,17,255,3\r\n", PARSE_OK, {REC_MS1000}, {{all, all}},
         {V(0, M, head_angle_deg, 180), V(0, M, range_m, 25.5), V(0, M, sample_count, 4), V(0, M, samples[1], 17),
          V(0, M, samples[2], 255)}},
        {"MS1000", "", full + "\r\n", PARSE_OK, {REC_MS1000}, {{all, all}},
         {V(0, M, sample_count, MS1000_MAX_SAMPLES)}},
        {"MS1000", "", full + ",1\r\n", PARSE_MALFORMED, {}, {}, {}},  // one sample too many
        {"MS1000", "", "$MS1K,180.0,25.5,0,256\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"MS1000", "", "$MS1K,180.0,25.5\r\n", PARSE_MALFORMED, {}, {}, {}},
        {"MS1000", "", "MS1K,180.0,25.5,1\r\n", PARSE_MALFORMED, {}, {}, {}},
    });
}

// F_ParseString runs the same decoders into its slots: a good frame fills
// the slot, a bad one leaves it as it was.
TEST(BufferVariantDecoders, FillsSlotsAndKeepsThemOnAFailedFrame)
{
    sPARSED_DATA data{};
    ASSERT_EQ(F_ParseString("12.5m\r\n", 7, "TRITECH", nullptr, &data, 55, nullptr), PARSE_OK);
    sDEPTH_RECORD depth;
    std::memcpy(&depth, data.depth, sizeof depth);
    EXPECT_EQ(BYTE{depth.head.kind}, REC_DEPTH);
    EXPECT_EQ(DWORD{depth.head.change_mask}, 8u);
    EXPECT_EQ(DWORD{depth.head.valid_mask}, 8u);
    EXPECT_EQ(DWORD{depth.head.time_stamp_ms}, 55u);
    EXPECT_DOUBLE_EQ(double{depth.depth_m}, 12.5);

    const std::string gga = nmea("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    ASSERT_EQ(F_ParseString(gga.data(), static_cast<DWORD>(gga.size()), "NMEA0183", nullptr, &data, 56, nullptr),
              PARSE_OK);
    const std::vector<BYTE> before(data.position, data.position + sizeof data.position);
    const std::string bad = nmea("GPGGA,123519,4807.038,N,01131.000,E,1,8.5");
    EXPECT_EQ(F_ParseString(bad.data(), static_cast<DWORD>(bad.size()), "NMEA0183", nullptr, &data, 57, nullptr),
              PARSE_MALFORMED);
    sPOSITION_RECORD pos;
    std::memcpy(&pos, data.position, sizeof pos);
    EXPECT_DOUBLE_EQ(double{pos.latitude_deg}, 48.1173);
    EXPECT_EQ(DWORD{pos.head.time_stamp_ms}, 57u) << "the head is stamped before the decoder runs";
    EXPECT_EQ(std::vector<BYTE>(data.position + 26, data.position + sizeof data.position),
              std::vector<BYTE>(before.begin() + 26, before.end()));
}

}  // namespace
