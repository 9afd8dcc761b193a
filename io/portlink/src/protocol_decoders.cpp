// The decoders of the named protocols: the sounders' text lines, the
// acoustic positioning and layback lines, the motion sensors' text and
// binary frames and the scanning sonar's lines.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "decoders.h"
#include "record_fill.h"

namespace helm::portlink {
namespace {

constexpr double kFeet = 0.3048;
constexpr double kRadian = 180.0 / 3.14159265358979323846;

std::string_view line_of(const FrameContext& frame)
{
    std::string_view line(frame.frame, frame.length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return trim(line);
}

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool all_letters(std::string_view text)
{
    for (char c : text)
        if (!is_letter(c))
            return false;
    return true;
}

// The numbers of a text line, separated by spaces or commas; a word of
// letters only (a unit, a tag) is passed over. False for anything else, or
// for more numbers than `capacity`.
bool numbers_of(std::string_view line, double* out, size_t capacity, size_t* count)
{
    *count = 0;
    while (!line.empty()) {
        const size_t end = line.find_first_of(" ,");
        const std::string_view token = line.substr(0, end);
        line.remove_prefix(end == line.npos ? line.size() : end + 1);
        if (token.empty() || all_letters(token))
            continue;
        if (*count == capacity || !parse_number(token, &out[*count]))
            return false;
        ++*count;
    }
    return true;
}

// A "$"-sentence of a named protocol: fields from the first on.
template <size_t N>
int scan_sentence(const FrameContext& frame, std::string_view format, Field (&out)[N])
{
    SentenceFields fields;
    if (const int code = fields.split({frame.frame, frame.length}); code != PARSE_OK)
        return code;
    return scan_fields(fields, 0, format, out, N);
}

int16_t le16(const BYTE* at) { return static_cast<int16_t>(at[0] | at[1] << 8); }
uint16_t ule16(const BYTE* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

float be_float(const BYTE* at)
{
    const uint32_t bits = uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Signed decimal of TSS1: a sign character (space or "-") and four digits.
bool tss_signed(std::string_view text, double* value)
{
    if (text.size() != 5 || (text[0] != ' ' && text[0] != '-' && text[0] != '+'))
        return false;
    int v = 0;
    for (char c : text.substr(1)) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    *value = text[0] == '-' ? -v : v;
    return true;
}

bool tss_hex(std::string_view text, double* value)
{
    int v = 0;
    for (char c : text) {
        const int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                      : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (d < 0)
            return false;
        v = v * 16 + d;
    }
    *value = v;
    return true;
}

}  // namespace

// One depth in metres, as "12.34", "12.34m" or "12.34 m".
int decode_tritech(const FrameContext& frame, BYTE* const* records)
{
    std::string_view line = line_of(frame);
    if (!line.empty() && (line.back() == 'm' || line.back() == 'M'))
        line = trim(line.substr(0, line.size() - 1));
    double depth = 0;
    if (!parse_number(line, &depth))
        return PARSE_MALFORMED;
    RecordFill<sDEPTH_RECORD> r(records[0]);
    r.set(DEP_DEPTH, FIELD_AT(sDEPTH_RECORD, depth_m), depth);
    return r.commit();
}

// Layback, then cable out and fish depth when sent, in metres.
int decode_layback(const FrameContext& frame, BYTE* const* records)
{
    double v[3];
    size_t n = 0;
    if (!numbers_of(line_of(frame), v, 3, &n) || n == 0)
        return PARSE_MALFORMED;
    RecordFill<sLAYBACK_RECORD> r(records[0]);
    const FieldAt<double> members[] = {FIELD_AT(sLAYBACK_RECORD, layback_m), FIELD_AT(sLAYBACK_RECORD, cable_out_m),
                                       FIELD_AT(sLAYBACK_RECORD, fish_depth_m)};
    for (uint32_t i = 0; i < n; ++i)
        r.set(LB_LAYBACK + i, members[i], v[i]);
    return r.commit();
}

// $...,beacon,bearing,slant range,depth[,horizontal range]
int decode_trackpoint(const FrameContext& frame, BYTE* const* records)
{
    Field f[5];
    if (const int code = scan_sentence(frame, "iffff", f); code != PARSE_OK)
        return code;
    RecordFill<sTRACKPOINT_RECORD> r(records[0]);
    using R = sTRACKPOINT_RECORD;
    r.put(TP_BEACON, f[0], FIELD_AT(R, beacon));
    r.put(TP_BEARING, f[1], FIELD_AT(R, bearing_deg));
    r.put(TP_SLANT_RANGE, f[2], FIELD_AT(R, slant_range_m));
    r.put(TP_DEPTH, f[3], FIELD_AT(R, depth_m));
    r.put(TP_HORIZONTAL_RANGE, f[4], FIELD_AT(R, horizontal_range_m));
    return r.commit();
}

// $...,time,lat,N,lon,E,depth
int decode_morvella(const FrameContext& frame, BYTE* const* records)
{
    Field f[4];
    if (const int code = scan_sentence(frame, "taof", f); code != PARSE_OK)
        return code;
    RecordFill<sPOSITION_RECORD> pos(records[0]);
    RecordFill<sDEPTH_RECORD> depth(records[1]);
    using P = sPOSITION_RECORD;
    pos.put(POS_UTC_TIME, f[0], FIELD_AT(P, utc_time_s));
    pos.put(POS_LATITUDE, f[1], FIELD_AT(P, latitude_deg));
    pos.put(POS_LONGITUDE, f[2], FIELD_AT(P, longitude_deg));
    depth.put(DEP_DEPTH, f[3], FIELD_AT(sDEPTH_RECORD, depth_m));
    pos.commit();
    return depth.commit();
}

// $...,time,lat,N,lon,E,heading,speed in knots
int decode_nr202k(const FrameContext& frame, BYTE* const* records)
{
    Field f[5];
    if (const int code = scan_sentence(frame, "taoff", f); code != PARSE_OK)
        return code;
    RecordFill<sPOSITION_RECORD> pos(records[0]);
    RecordFill<sHEADING_SPEED_RECORD> hs(records[1]);
    using P = sPOSITION_RECORD;
    using H = sHEADING_SPEED_RECORD;
    pos.put(POS_UTC_TIME, f[0], FIELD_AT(P, utc_time_s));
    pos.put(POS_LATITUDE, f[1], FIELD_AT(P, latitude_deg));
    pos.put(POS_LONGITUDE, f[2], FIELD_AT(P, longitude_deg));
    hs.put(HS_HEADING_TRUE, f[3], FIELD_AT(H, heading_true_deg));
    hs.put(HS_SPEED_KNOTS, f[4], FIELD_AT(H, speed_knots));
    pos.commit();
    return hs.commit();
}

// $...,beacon,x,y,depth
int decode_ats(const FrameContext& frame, BYTE* const* records)
{
    Field f[4];
    if (const int code = scan_sentence(frame, "ifff", f); code != PARSE_OK)
        return code;
    RecordFill<sATS_RECORD> r(records[0]);
    using R = sATS_RECORD;
    r.put(ATS_BEACON, f[0], FIELD_AT(R, beacon));
    r.put(ATS_X, f[1], FIELD_AT(R, x_m));
    r.put(ATS_Y, f[2], FIELD_AT(R, y_m));
    r.put(ATS_DEPTH, f[3], FIELD_AT(R, depth_m));
    return r.commit();
}

// Deso depth telegram: "D", the channel ("A" or "1" the first, "B" or "2"
// the second), the depth, and its unit "m" (or "f" for feet).
int decode_deso(const FrameContext& frame, BYTE* const* records)
{
    const std::string_view line = line_of(frame);
    if (line.size() < 3 || line[0] != 'D')
        return PARSE_MALFORMED;
    const char channel = line[1];
    const bool first = channel == 'A' || channel == '1';
    if (!first && channel != 'B' && channel != '2')
        return PARSE_MALFORMED;
    std::string_view rest = trim(line.substr(2));
    double unit = 1.0;
    if (!rest.empty() && (rest.back() == 'm' || rest.back() == 'f')) {
        unit = rest.back() == 'f' ? kFeet : 1.0;
        rest = trim(rest.substr(0, rest.size() - 1));
    }
    double depth = 0;
    if (!parse_number(rest, &depth))
        return PARSE_MALFORMED;
    RecordFill<sDEPTH_RECORD> r(records[0]);
    if (first)
        r.set(DEP_DEPTH, FIELD_AT(sDEPTH_RECORD, depth_m), depth * unit);
    else
        r.set(DEP_SECOND_DEPTH, FIELD_AT(sDEPTH_RECORD, second_depth_m), depth * unit);
    r.set(DEP_CHANNEL, FIELD_AT(sDEPTH_RECORD, channel), channel);
    return r.commit();
}

// The Elac-style line: one or two depths in metres, with any tag or unit
// words passed over.
int decode_elac(const FrameContext& frame, BYTE* const* records)
{
    double v[2];
    size_t n = 0;
    if (!numbers_of(line_of(frame), v, 2, &n) || n == 0)
        return PARSE_MALFORMED;
    RecordFill<sDEPTH_RECORD> r(records[0]);
    r.set(DEP_DEPTH, FIELD_AT(sDEPTH_RECORD, depth_m), v[0]);
    if (n > 1)
        r.set(DEP_SECOND_DEPTH, FIELD_AT(sDEPTH_RECORD, second_depth_m), v[1]);
    return r.commit();
}

// Seatex binary: header "q" (or "Q" while the data are unstable), the
// length L of what follows up to the checksum, an optional token when L is
// 4n + 1, then n big-endian floats (roll, pitch and yaw in radians, heave in
// metres, as many as sent), and a checksum byte.
int decode_seatex(const FrameContext& frame, BYTE* const* records)
{
    const BYTE* b = reinterpret_cast<const BYTE*>(frame.frame);
    if (frame.length < 3 || (b[0] != 'q' && b[0] != 'Q'))
        return PARSE_MALFORMED;
    const uint32_t length = b[1];
    if (frame.length < length + 3 || length < 4 || (length % 4 != 0 && length % 4 != 1))
        return PARSE_MALFORMED;
    const BYTE* values = b + 2 + length % 4;
    const uint32_t count = std::min<uint32_t>(length / 4, 4);
    RecordFill<sATTITUDE_RECORD> r(records[0]);
    using R = sATTITUDE_RECORD;
    const uint32_t bits[] = {ATT_ROLL, ATT_PITCH, ATT_HEADING, ATT_HEAVE};
    const FieldAt<double> members[] = {FIELD_AT(R, roll_deg), FIELD_AT(R, pitch_deg), FIELD_AT(R, heading_deg),
                                       FIELD_AT(R, heave_m)};
    for (uint32_t i = 0; i < count; ++i) {
        const double v = be_float(values + 4 * i);
        if (!std::isfinite(v)) {
            r.clear(bits[i]);
            continue;
        }
        r.set(bits[i], members[i], bits[i] == ATT_HEAVE ? v : v * kRadian);
    }
    if (r.record().heading_deg < 0 && r.valid(ATT_HEADING))
        r.record().heading_deg += 360.0;
    r.set(ATT_STATUS, FIELD_AT(R, status), b[0]);
    return r.commit();
}

// TSS1: ":aabbbb shhhhxsrrrr spppp" and CR LF. aa horizontal and bbbb
// vertical acceleration in hexadecimal (3.83 cm/s2 and 0.0625 cm/s2
// units), heave in cm, the status letter, roll and pitch in 0.01 degree.
int decode_tss1(const FrameContext& frame, BYTE* const* records)
{
    std::string_view line(frame.frame, frame.length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.size() != 25 || line[0] != ':' || line[7] != ' ' || line[19] != ' ')
        return PARSE_MALFORMED;
    double horizontal = 0, vertical = 0, heave = 0, roll = 0, pitch = 0;
    if (!tss_hex(line.substr(1, 2), &horizontal) || !tss_hex(line.substr(3, 4), &vertical) ||
        !tss_signed(line.substr(8, 5), &heave) || !tss_signed(line.substr(14, 5), &roll) ||
        !tss_signed(line.substr(20, 5), &pitch) || !is_letter(line[13]))
        return PARSE_MALFORMED;
    RecordFill<sATTITUDE_RECORD> r(records[0]);
    using R = sATTITUDE_RECORD;
    r.set(ATT_HORIZONTAL_ACCELERATION, FIELD_AT(R, horizontal_acceleration), horizontal * 0.0383);
    r.set(ATT_VERTICAL_ACCELERATION, FIELD_AT(R, vertical_acceleration), vertical * 0.000625);
    r.set(ATT_HEAVE, FIELD_AT(R, heave_m), heave / 100.0);
    r.set(ATT_STATUS, FIELD_AT(R, status), line[13]);
    r.set(ATT_ROLL, FIELD_AT(R, roll_deg), roll / 100.0);
    r.set(ATT_PITCH, FIELD_AT(R, pitch_deg), pitch / 100.0);
    return r.commit();
}

// Simrad (EM3000) binary attitude, 10 bytes: the status (0x00, or 0x90 to
// 0xAF), 0x90, then little-endian roll, pitch (0.01 degree), heave (cm) and
// heading (0.01 degree, 0 to 35999). A value out of its range is sent as
// not valid.
int decode_simrad(const FrameContext& frame, BYTE* const* records)
{
    const BYTE* b = reinterpret_cast<const BYTE*>(frame.frame);
    if (frame.length < 10 || b[1] != 0x90 || (b[0] != 0x00 && (b[0] < 0x90 || b[0] > 0xAF)))
        return PARSE_MALFORMED;
    const int roll = le16(b + 2), pitch = le16(b + 4), heave = le16(b + 6);
    const unsigned heading = ule16(b + 8);
    RecordFill<sATTITUDE_RECORD> r(records[0]);
    using R = sATTITUDE_RECORD;
    r.set(ATT_STATUS, FIELD_AT(R, status), b[0]);
    r.set(ATT_ROLL, FIELD_AT(R, roll_deg), roll / 100.0);
    r.set(ATT_PITCH, FIELD_AT(R, pitch_deg), pitch / 100.0);
    r.set(ATT_HEAVE, FIELD_AT(R, heave_m), heave / 100.0);
    r.set(ATT_HEADING, FIELD_AT(R, heading_deg), heading / 100.0);
    if (roll < -17999 || roll > 17999)
        r.invalidate(ATT_ROLL);
    if (pitch < -17999 || pitch > 17999)
        r.invalidate(ATT_PITCH);
    if (heave < -999 || heave > 999)
        r.invalidate(ATT_HEAVE);
    if (heading > 35999)
        r.invalidate(ATT_HEADING);
    return r.commit();
}

// $...,head angle,range,sample,sample,... with each sample 0 to 255.
int decode_ms1000(const FrameContext& frame, BYTE* const* records)
{
    std::string_view line = line_of(frame);
    if (line.empty() || line[0] != '$')
        return PARSE_MALFORMED;
    const size_t star = line.find('*');
    line = line.substr(0, star);
    const size_t address_end = line.find(',');
    if (address_end == line.npos)
        return PARSE_MALFORMED;
    line.remove_prefix(address_end + 1);
    RecordFill<sMS1000_RECORD> r(records[0]);
    sMS1000_RECORD& rec = r.record();
    double angle = 0, range = 0;
    uint32_t count = 0;
    for (uint32_t field = 0;; ++field) {
        const size_t comma = line.find(',');
        const std::string_view text = line.substr(0, comma);
        double v = 0;
        if (!parse_number(text, &v))
            return PARSE_MALFORMED;
        if (field == 0) {
            angle = v;
        } else if (field == 1) {
            range = v;
        } else {
            if (count == MS1000_MAX_SAMPLES || v < 0 || v > 255 || v != std::floor(v))
                return PARSE_MALFORMED;
            rec.samples[count++] = static_cast<BYTE>(v);
        }
        if (comma == line.npos)
            break;
        line.remove_prefix(comma + 1);
    }
    if (count == 0)
        return PARSE_MALFORMED;
    r.set(MS_HEAD_ANGLE, FIELD_AT(sMS1000_RECORD, head_angle_deg), angle);
    r.set(MS_RANGE, FIELD_AT(sMS1000_RECORD, range_m), range);
    r.set(MS_SAMPLE_COUNT, FIELD_AT(sMS1000_RECORD, sample_count), count);
    r.mark(MS_SAMPLES, true);
    return r.commit();
}

}  // namespace helm::portlink
