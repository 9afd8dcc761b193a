// The channel shared memory between Portserver and its clients: the names of
// each port's two blocks and mutexes, the block header, the raw record, the
// parsed-record head and the raw text record, the record kinds, the protocol
// record's framing fields and the channel messages. Both sides compute every
// offset below on their own, so these layouts are byte-exact.
#pragma once

#include <cstddef>
#include <cstdint>

#include "helm/kernel/types.h"

// ---- Ports ------------------------------------------------------------------

// Ports 1..32 are serial ports, 33..37 sockets 1..5.
#define PORTLINK_SERIAL_PORTS 32
#define PORTLINK_SOCKETS 5
#define PORTLINK_FIRST_SOCKET_PORT 33
#define PORTLINK_LAST_PORT 37

// ---- Blocks -----------------------------------------------------------------

#define MMF_BLOCK_SIZE 65536
#define MMF_HEADER_SIZE 1438
#define MMF_RECORD_AREA_SIZE 64098  // MMF_BLOCK_SIZE - MMF_HEADER_SIZE
#define MMF_MAX_SUBSCRIBERS 32
#define MMF_TEXT_TO_SEND_SIZE 1024
#define MMF_PROTOCOL_NAME_SIZE 256
#define MMF_MUTEX_WAIT_MS 100

// Block and mutex names, each followed by the number in decimal ("%s%d").
#define MMF_SERIAL_RAW_NAME "ZQO_SERIAL_MMF"
#define MMF_SERIAL_RAW_MUTEX_NAME "ZQO_SERIAL_MUTEX"
#define MMF_SERIAL_PARSED_NAME "ZQO_PARSED_MMF"
#define MMF_SERIAL_PARSED_MUTEX_NAME "ZQO_PARSED_MUTEX"
#define MMF_SOCKET_RAW_NAME "ZQO_SOCKET_MMF_RAW"
#define MMF_SOCKET_PARSED_NAME "ZQO_SOCKET_MMF_PRC"
// A socket block's mutex is the block's name with this after the number.
#define MMF_SOCKET_MUTEX_SUFFIX "_MUTEX"

#pragma pack(push, 1)

// Bytes 0..1437 of every block.
struct sMMF_HEADER {
    WORD header_size;                       // 1438
    char protocol[MMF_PROTOCOL_NAME_SIZE];  // NUL-terminated; upper case on sockets
    int32_t last_record_offset;             // within the record area; -1 before the first record
    double ms_per_character;                // serial only
    int32_t port;                           // 1..37
    int32_t on;                             // 1 while the port is open
    DWORD server_thread_id;                 // raw: read thread; parsed: parse-and-write thread
    int32_t subscriber_count;               // 0..32
    DWORD subscribers[MMF_MAX_SUBSCRIBERS]; // in order of joining
    char text_to_send[MMF_TEXT_TO_SEND_SIZE];
};

// One record of a raw block's ring: this head, then `length` bytes as received.
struct sRAW_RECORD {
    double time_stamp_ms;
    WORD length;
    SYSTEMTIME local_time;
};

// The head every parsed record begins with.
struct sPARSED_RECORD {
    WORD magic;                 // PARSED_RECORD_MAGIC
    BYTE kind;                  // REC_*
    BYTE port;                  // stamped by Portserver after the parse call
    BYTE not_written[6];
    DWORD length;               // the bytes the record occupies in the ring
    DWORD change_mask;          // bit n: field n of the body was written by this frame
    DWORD valid_mask;           // bit n: field n holds a valid value
    DWORD time_stamp_ms;        // of the frame
};

// Kind 6: one frame kept as it arrived. Its time stamp lies at 24, not at the
// common head's 22; the sensor link reads it here.
struct sRAW_TEXT_RECORD {
    WORD magic;
    BYTE kind;
    BYTE port;
    BYTE not_written_4[6];
    DWORD length;               // max(text length + 30, 64)
    BYTE not_written_14[10];
    DWORD time_stamp_ms;
    WORD text_length;
    // text_length bytes follow, with no terminating NUL.
};

// The protocol record of a port (548 bytes). P_UpdateFrame sets the framing
// fields from the name; the channels read them to cut frames.
struct sPORT_PROTOCOL {
    int32_t fixed_frame_length;  // 0: frames are delimited
    int32_t start_mode;          // number of start bytes, 0..2
    int32_t end_flag;            // 1: a frame ends with end_character
    BYTE start_character;
    BYTE second_start_byte;      // start mode 2
    BYTE end_character;
    BYTE reserved[17];
    char name[256];              // NUL-terminated when shorter
    char options[256];           // NUL-terminated when shorter
    int32_t binary;              // 1: binary protocol
};

// ---- Bodies of the decoded kinds -----------------------------------------------
//
// Each decoded record is its head and one of the bodies below. Bit n of the
// head's change and valid masks belongs to the body field marked "bit n".
// A field whose valid bit is clear holds nothing to use: in the ring it is
// 0; in F_ParseString's slots it keeps the value of an earlier frame.
// Angles are degrees, lengths metres, times UTC, unless a field says so.

// Kind 20 (128 bytes in the ring).
struct sPOSITION_RECORD {
    sPARSED_RECORD head;
    double utc_time_s;            // bit 0: seconds since midnight
    double latitude_deg;          // bit 1: north positive
    double longitude_deg;         // bit 2: east positive
    int32_t fix_quality;          // bit 3: GGA quality (0 no fix, 1 GPS, 2 DGPS, 4 RTK...)
    int32_t satellites;           // bit 4: in use
    double hdop;                  // bit 5
    double altitude_m;            // bit 6: above mean sea level
    double geoid_separation_m;    // bit 7
    double differential_age_s;    // bit 8
    int32_t differential_station; // bit 9
    int32_t date;                 // bit 10: yyyymmdd
    char status;                  // bit 11: 'A' data valid, 'V' warning
    char mode;                    // bit 12: mode indicator (A, D, E, N...)
};
enum : uint32_t {
    POS_UTC_TIME, POS_LATITUDE, POS_LONGITUDE, POS_FIX_QUALITY, POS_SATELLITES, POS_HDOP, POS_ALTITUDE,
    POS_GEOID_SEPARATION, POS_DIFFERENTIAL_AGE, POS_DIFFERENTIAL_STATION, POS_DATE, POS_STATUS, POS_MODE,
};

// Kind 23 (64 bytes).
struct sHEADING_SPEED_RECORD {
    sPARSED_RECORD head;
    float heading_true_deg;        // bit 0
    float heading_magnetic_deg;    // bit 1
    float course_true_deg;         // bit 2: over ground
    float course_magnetic_deg;     // bit 3
    float speed_knots;             // bit 4: over ground
    float speed_kmh;               // bit 5
    float magnetic_variation_deg;  // bit 6: east positive
    char mode;                     // bit 7: mode indicator
};
enum : uint32_t {
    HS_HEADING_TRUE, HS_HEADING_MAGNETIC, HS_COURSE_TRUE, HS_COURSE_MAGNETIC, HS_SPEED_KNOTS, HS_SPEED_KMH,
    HS_MAGNETIC_VARIATION, HS_MODE,
};

// Kind 3 (128 bytes).
struct sATTITUDE_RECORD {
    sPARSED_RECORD head;
    double roll_deg;                  // bit 0: as the sensor sends it (port up positive for TSS1 and Simrad)
    double pitch_deg;                 // bit 1: bow up positive
    double heave_m;                   // bit 2: up positive
    double heading_deg;               // bit 3: true
    double horizontal_acceleration;   // bit 4: m/s2
    double vertical_acceleration;     // bit 5: m/s2
    int32_t status;                   // bit 6: the sensor's own status (letter, byte or header)
};
enum : uint32_t { ATT_ROLL, ATT_PITCH, ATT_HEAVE, ATT_HEADING, ATT_HORIZONTAL_ACCELERATION,
                  ATT_VERTICAL_ACCELERATION, ATT_STATUS };

// Kind 22 (68 bytes).
struct sDEPTH_RECORD {
    sPARSED_RECORD head;
    double below_surface_m;       // bit 0
    double transducer_offset_m;   // bit 1: positive to the waterline, negative to the keel
    double max_range_m;           // bit 2
    double depth_m;               // bit 3: below the transducer (first channel, high frequency)
    double second_depth_m;        // bit 4: second channel (low frequency)
    BYTE channel;                 // bit 5: the channel the frame named ('A', 'B', '1', '2')
    BYTE quality;                 // bit 6: bottom quality or condition, where sent
};
enum : uint32_t { DEP_BELOW_SURFACE, DEP_TRANSDUCER_OFFSET, DEP_MAX_RANGE, DEP_DEPTH, DEP_SECOND_DEPTH,
                  DEP_CHANNEL, DEP_QUALITY };

// Kind 21 (128 bytes): GST and GSA.
struct sGPS_QUALITY_RECORD {
    sPARSED_RECORD head;
    double utc_time_s;            // bit 0
    double rms_range_m;           // bit 1
    double semi_major_m;          // bit 2
    double semi_minor_m;          // bit 3
    double orientation_deg;       // bit 4
    double latitude_sigma_m;      // bit 5
    double longitude_sigma_m;     // bit 6
    double altitude_sigma_m;      // bit 7
    char selection_mode;          // bit 8: 'M' manual, 'A' automatic
    BYTE fix_type;                // bit 9: 1 none, 2 2D, 3 3D
    BYTE satellites[12];          // bit 10: ids in use, 0 for an empty slot
    float pdop;                   // bit 11
    float hdop;                   // bit 12
    float vdop;                   // bit 13
};
enum : uint32_t { GQ_UTC_TIME, GQ_RMS, GQ_SEMI_MAJOR, GQ_SEMI_MINOR, GQ_ORIENTATION, GQ_LATITUDE_SIGMA,
                  GQ_LONGITUDE_SIGMA, GQ_ALTITUDE_SIGMA, GQ_SELECTION_MODE, GQ_FIX_TYPE, GQ_SATELLITES,
                  GQ_PDOP, GQ_HDOP, GQ_VDOP };

// Kind 50 (64 bytes): ZDA.
struct sTIME_RECORD {
    sPARSED_RECORD head;
    double utc_time_s;      // bit 0
    WORD day;               // bit 1
    WORD month;             // bit 2
    WORD year;              // bit 3
    int16_t zone_hours;     // bit 4: local zone
    int16_t zone_minutes;   // bit 5
};
enum : uint32_t { TIME_UTC_TIME, TIME_DAY, TIME_MONTH, TIME_YEAR, TIME_ZONE_HOURS, TIME_ZONE_MINUTES };

// Kind 201 (109 bytes): the navigation block of the OSM, AGA, RMN, MAG and
// VLT sentences. Each sentence has a row of four values, in the order the
// sentence carries its numeric fields; the port keeps the rows of the other
// sentences, so each record carries the whole block.
#define NAV_BLOCK_SENTENCES 5
#define NAV_BLOCK_VALUES 4
struct sNAV_BLOCK_RECORD {
    sPARSED_RECORD head;
    float values[NAV_BLOCK_SENTENCES][NAV_BLOCK_VALUES];  // bit 4 * row + column
    BYTE last_sentence;                                   // bit 20: row of the sentence of this frame
};
enum : uint32_t { NAV_LAST_SENTENCE = 20 };

// Kind 204 (50 bytes): FOG.
struct sFOG_RECORD {
    sPARSED_RECORD head;
    double heading_deg;     // bit 0
    double rate_deg_s;      // bit 1: rate of turn
    int32_t status;         // bit 2
};
enum : uint32_t { FOG_HEADING, FOG_RATE, FOG_STATUS };

// Kind 24 (64 bytes): Trackpoint. Kind 26 (64 bytes): ATS.
struct sTRACKPOINT_RECORD {
    sPARSED_RECORD head;
    int32_t beacon;           // bit 0
    double bearing_deg;       // bit 1: relative to the ship's head
    double slant_range_m;     // bit 2
    double depth_m;           // bit 3
    double horizontal_range_m;// bit 4
};
enum : uint32_t { TP_BEACON, TP_BEARING, TP_SLANT_RANGE, TP_DEPTH, TP_HORIZONTAL_RANGE };

struct sATS_RECORD {
    sPARSED_RECORD head;
    int32_t beacon;      // bit 0
    double x_m;          // bit 1: starboard positive
    double y_m;          // bit 2: forward positive
    double depth_m;      // bit 3
};
enum : uint32_t { ATS_BEACON, ATS_X, ATS_Y, ATS_DEPTH };

// Kind 205 (64 bytes).
struct sLAYBACK_RECORD {
    sPARSED_RECORD head;
    double layback_m;       // bit 0
    double cable_out_m;     // bit 1
    double fish_depth_m;    // bit 2
};
enum : uint32_t { LB_LAYBACK, LB_CABLE_OUT, LB_FISH_DEPTH };

// Kind 25 (21550 bytes): one MS1000 scan line.
#define MS1000_MAX_SAMPLES 21506
struct sMS1000_RECORD {
    sPARSED_RECORD head;
    double head_angle_deg;             // bit 0
    double range_m;                    // bit 1
    WORD sample_count;                 // bit 2
    BYTE samples[MS1000_MAX_SAMPLES];  // bit 3: sample_count echo strengths
};
enum : uint32_t { MS_HEAD_ANGLE, MS_RANGE, MS_SAMPLE_COUNT, MS_SAMPLES };

#pragma pack(pop)

#define RAW_RECORD_HEAD_SIZE 26
#define PARSED_RECORD_HEAD_SIZE 26
#define RAW_TEXT_HEAD_SIZE 30
#define RAW_TEXT_MIN_RECORD_SIZE 64
#define PARSED_RECORD_MAGIC 0xFACE

// Record kinds and the size each takes in the parsed ring.
#define REC_ATTITUDE 3
#define REC_RAW_TEXT 6  // max(text length + 30, 64)
#define REC_POSITION 20
#define REC_GPS_QUALITY 21
#define REC_DEPTH 22
#define REC_HEADING_SPEED 23
#define REC_TRACKPOINT 24
#define REC_MS1000 25
#define REC_ATS 26
#define REC_TIME 50
#define REC_NAV_BLOCK 201
#define REC_FOG 204
#define REC_LAYBACK 205

#define REC_ATTITUDE_SIZE 128
#define REC_POSITION_SIZE 128
#define REC_GPS_QUALITY_SIZE 128
#define REC_DEPTH_SIZE 68
#define REC_HEADING_SPEED_SIZE 64
#define REC_TRACKPOINT_SIZE 64
#define REC_MS1000_SIZE 21550
#define REC_ATS_SIZE 64
#define REC_TIME_SIZE 64
#define REC_NAV_BLOCK_SIZE 109
#define REC_FOG_SIZE 50
#define REC_LAYBACK_SIZE 64

// Client handle on both blocks of one port, filled by F_OpenSerialMMF. It
// stays in the client's process, so it holds native handles and addresses.
struct sMMF_BLOCK_CLIENT {
    HANDLE mapping;
    HANDLE mutex;
    void* view;
    DWORD spare;
};
struct sMMF_CLIENT {
    DWORD port;
    sMMF_BLOCK_CLIENT parsed;
    sMMF_BLOCK_CLIENT raw;
};

// ---- Channel messages (registered by name on both sides) ---------------------

// Raw record: wParam port, lParam offset from the block's start. To a serial
// port's own parse thread: wParam the record-area offset, lParam 0.
#define MSG_NAME_RAW_SERIAL_DATA "ZQO_RAWSERIALDATA_5EBC700F-C530-480a-8BB4-2820A71EA2A2"
// Parsed record: wParam port, lParam offset from the block's start.
#define MSG_NAME_NEW_PARSED_DATA "ZQO_NEWPARSEDSERIAL_DATA-8C9B6D66-0F18-47df-BCF9-F65785200C49"
// Nothing arrived within the port's time-out: wParam port, lParam 0.
#define MSG_NAME_SERIAL_TIMEOUT "ZQO_SERIAL_TIMEOUT_23580F01-7DB7-4f39-87E2-3DA14435C85E"
// To the thread id at 278 of a parsed block: wParam text length + 1.
#define MSG_NAME_WRITE_SERIAL_DATA "ZQO_WRITESERIALDATA_5EBC700F-C530-480a-8BB4-2820A71EA2A2"
#define MSG_NAME_NOTIFY_APPSTART "ZQO_MSG_NOTIFY_APPSTART_5EBC700F-C530-480a-8BB4-2820A71EA2A2"
#define MSG_NAME_NOTIFY_APPCLOSE "ZQO_MSG_NOTIFY_APPCLOSE_5EBC700F-C530-480a-8BB4-2820A71EA2A2"
#define MSG_NAME_NOTIFY_ONCLOSE "ZQO_MSG_NOTIFY_ONCLOSE_5EBC700F-C530-480a-8BB4-2820A71EA2A2"

namespace helm::portlink {

static_assert(sizeof(sMMF_HEADER) == MMF_HEADER_SIZE);
static_assert(MMF_HEADER_SIZE + MMF_RECORD_AREA_SIZE == MMF_BLOCK_SIZE);
static_assert(offsetof(sMMF_HEADER, protocol) == 2);
static_assert(offsetof(sMMF_HEADER, last_record_offset) == 258);
static_assert(offsetof(sMMF_HEADER, ms_per_character) == 262);
static_assert(offsetof(sMMF_HEADER, port) == 270);
static_assert(offsetof(sMMF_HEADER, on) == 274);
static_assert(offsetof(sMMF_HEADER, server_thread_id) == 278);
static_assert(offsetof(sMMF_HEADER, subscriber_count) == 282);
static_assert(offsetof(sMMF_HEADER, subscribers) == 286);
static_assert(offsetof(sMMF_HEADER, text_to_send) == 414);
static_assert(sizeof(sRAW_RECORD) == RAW_RECORD_HEAD_SIZE);
static_assert(sizeof(sPARSED_RECORD) == PARSED_RECORD_HEAD_SIZE);
static_assert(sizeof(sRAW_TEXT_RECORD) == RAW_TEXT_HEAD_SIZE);
static_assert(offsetof(sRAW_TEXT_RECORD, time_stamp_ms) == 24);
static_assert(sizeof(sPORT_PROTOCOL) == 548);
static_assert(offsetof(sPORT_PROTOCOL, name) == 32);
static_assert(offsetof(sPORT_PROTOCOL, options) == 288);
static_assert(offsetof(sPORT_PROTOCOL, binary) == 544);

static_assert(sizeof(sPOSITION_RECORD) <= REC_POSITION_SIZE);
static_assert(sizeof(sHEADING_SPEED_RECORD) <= REC_HEADING_SPEED_SIZE);
static_assert(sizeof(sATTITUDE_RECORD) <= REC_ATTITUDE_SIZE);
static_assert(sizeof(sDEPTH_RECORD) == REC_DEPTH_SIZE);
static_assert(offsetof(sDEPTH_RECORD, depth_m) == 50);
static_assert(sizeof(sGPS_QUALITY_RECORD) <= REC_GPS_QUALITY_SIZE);
static_assert(sizeof(sTIME_RECORD) <= REC_TIME_SIZE);
static_assert(sizeof(sNAV_BLOCK_RECORD) <= REC_NAV_BLOCK_SIZE);
static_assert(sizeof(sFOG_RECORD) <= REC_FOG_SIZE);
static_assert(sizeof(sTRACKPOINT_RECORD) <= REC_TRACKPOINT_SIZE);
static_assert(sizeof(sATS_RECORD) <= REC_ATS_SIZE);
static_assert(sizeof(sLAYBACK_RECORD) <= REC_LAYBACK_SIZE);
static_assert(sizeof(sMS1000_RECORD) == REC_MS1000_SIZE);

enum class BlockKind { parsed, raw };

inline bool is_serial_port(int port) { return port >= 1 && port <= PORTLINK_SERIAL_PORTS; }
inline bool is_socket_port(int port) { return port >= PORTLINK_FIRST_SOCKET_PORT && port <= PORTLINK_LAST_PORT; }
inline bool is_channel_port(int port) { return port >= 1 && port <= PORTLINK_LAST_PORT; }

// The names of one block and of its mutex; empty for a port outside 1..37.
struct BlockNames {
    char mapping[40] = {};
    char mutex[48] = {};
};
BlockNames block_names(int port, BlockKind kind);

// Where the next record of a parsed ring goes: at `offset` unless the record
// would reach the ring's end (offset + size >= ring size), then at 0. -1 when
// the record cannot fit at all (size >= ring size, or a ring size under 1).
// An offset beyond the ring counts as one that does not fit.
inline int64_t parsed_ring_place(uint32_t offset, uint32_t size, int32_t ring_size)
{
    if (ring_size <= 0 || size >= static_cast<uint32_t>(ring_size))
        return -1;
    if (static_cast<uint64_t>(offset) + size >= static_cast<uint64_t>(ring_size))
        return 0;
    return offset;
}

// Where the next raw record of `length` data bytes goes in a raw ring. A
// serial record never ends closer than one byte to the area's end; the socket
// channel's test also counts the header (1438 + 26 = 1464), so its ring wraps
// earlier. -1 when the record cannot fit at all.
enum class RawRing { serial, socket };
inline int64_t raw_ring_place(uint32_t offset, uint32_t length, RawRing ring)
{
    const uint64_t reach = ring == RawRing::serial ? RAW_RECORD_HEAD_SIZE : MMF_HEADER_SIZE + RAW_RECORD_HEAD_SIZE;
    constexpr uint64_t limit = MMF_RECORD_AREA_SIZE - 1;
    if (length + reach > limit)
        return -1;
    if (offset + length + reach > limit)
        return 0;
    return offset;
}

// The size a parsed record of `kind` takes in the ring (0 for raw text, whose
// size follows its text, and for a kind that is not known).
uint32_t parsed_record_size(int kind);

// The raw text record's size for a text of `text_length` bytes.
inline uint32_t raw_text_record_size(uint32_t text_length)
{
    const uint64_t size = static_cast<uint64_t>(text_length) + RAW_TEXT_HEAD_SIZE;
    return size < RAW_TEXT_MIN_RECORD_SIZE ? RAW_TEXT_MIN_RECORD_SIZE : static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size);
}

// The channel message numbers, registered on first use.
struct ChannelMessages {
    UINT raw_serial_data;
    UINT new_parsed_data;
    UINT serial_timeout;
    UINT write_serial_data;
    UINT notify_appstart;
    UINT notify_appclose;
    UINT notify_onclose;
};
const ChannelMessages& channel_messages();

}  // namespace helm::portlink
