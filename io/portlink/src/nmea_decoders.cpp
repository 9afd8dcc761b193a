// The NMEA sentence decoders: each splits its sentence, scans its fields
// with one short format and puts them into its record.
#include <cmath>
#include <ctime>
#include <limits>

#include "decoders.h"
#include "helm/kernel/clock.h"
#include "record_fill.h"

namespace helm::portlink {
namespace {

constexpr double kFeet = 0.3048;
constexpr double kFathoms = 1.8288;

// Splits the frame and scans `format` from field `first` on.
template <size_t N>
int scan(const FrameContext& frame, SentenceFields& fields, size_t first, std::string_view format, Field (&out)[N])
{
    const int split = fields.split({frame.frame, frame.length});
    if (split != PARSE_OK)
        return split;
    return scan_fields(fields, first, format, out, N);
}

Field scaled(Field field, double factor)
{
    field.number *= factor;
    return field;
}

// A depth carried in feet, metres and fathoms: the metres, else the others.
Field depth_of(const Field& feet, const Field& metres, const Field& fathoms)
{
    if (metres.has_value())
        return metres;
    if (feet.has_value())
        return scaled(feet, kFeet);
    if (fathoms.has_value())
        return scaled(fathoms, kFathoms);
    return metres.carried() || feet.carried() || fathoms.carried() ? Field{FieldState::empty} : Field{};
}

int depth_sentence(const FrameContext& frame, BYTE* const* records, uint32_t bit, FieldAt<double> member)
{
    SentenceFields fields;
    Field f[3];
    if (const int code = scan(frame, fields, 0, "f_f_f_", f); code != PARSE_OK)
        return code;
    RecordFill<sDEPTH_RECORD> depth(records[0]);
    depth.put(bit, depth_of(f[0], f[1], f[2]), member);
    return depth.commit();
}

int heading_sentence(const FrameContext& frame, BYTE* const* records, uint32_t bit, FieldAt<float> member)
{
    SentenceFields fields;
    Field f[1];
    if (const int code = scan(frame, fields, 0, "f", f); code != PARSE_OK)
        return code;
    RecordFill<sHEADING_SPEED_RECORD> hs(records[0]);
    hs.put(bit, f[0], member);
    return hs.commit();
}

// Rows of the navigation block, in the order of sNAV_BLOCK_RECORD.
enum NavRow { kOsm, kAga, kRmn, kMag, kVlt };

int nav_sentence(const FrameContext& frame, BYTE* const* records, NavRow row)
{
    SentenceFields fields;
    Field f[NAV_BLOCK_VALUES];
    if (const int code = scan(frame, fields, 0, "ffff", f); code != PARSE_OK)
        return code;
    sPORT_PARSE_CONTEXT alone{};
    sPORT_PARSE_CONTEXT& state = frame.port_context ? *static_cast<sPORT_PARSE_CONTEXT*>(frame.port_context) : alone;
    for (int i = 0; i < NAV_BLOCK_VALUES; ++i) {
        const uint32_t bit = 1u << (row * NAV_BLOCK_VALUES + i);
        const bool fits = f[i].has_value() && std::fabs(f[i].number) <= std::numeric_limits<float>::max();
        if (fits) {
            state.nav_values[row][i] = static_cast<float>(f[i].number);
            state.nav_valid |= bit;
        } else if (f[i].carried()) {
            state.nav_values[row][i] = 0;
            state.nav_valid &= ~bit;
        }
    }
    sNAV_BLOCK_RECORD nav;
    std::memcpy(&nav, records[0], sizeof nav);
    std::memcpy(nav.values, state.nav_values, sizeof nav.values);
    nav.head.valid_mask = state.nav_valid | (1u << NAV_LAST_SENTENCE);
    for (int i = 0; i < NAV_BLOCK_VALUES; ++i)
        if (f[i].carried())
            nav.head.change_mask |= 1u << (row * NAV_BLOCK_VALUES + i);
    nav.head.change_mask |= 1u << NAV_LAST_SENTENCE;
    nav.last_sentence = static_cast<BYTE>(row);
    std::memcpy(records[0], &nav, sizeof nav);
    return PARSE_OK;
}

}  // namespace

bool set_clock_from_utc(const FrameContext& frame, int date, double seconds)
{
    if (!frame.may_set_clock || date <= 0 || seconds < 0 || seconds >= 86401)
        return false;
    std::tm utc{};
    utc.tm_year = date / 10000 - 1900;
    utc.tm_mon = date / 100 % 100 - 1;
    utc.tm_mday = date % 100;
    const int whole = static_cast<int>(seconds);
    utc.tm_hour = whole / 3600;
    utc.tm_min = whole / 60 % 60;
    utc.tm_sec = whole % 60;
    const int day = utc.tm_mday, month = utc.tm_mon;
    const time_t t = timegm(&utc);  // normalises: 31 February would come back as March
    std::tm local{};
    if (t == static_cast<time_t>(-1) || utc.tm_mday != day || utc.tm_mon != month || !localtime_r(&t, &local))
        return false;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(local.tm_year + 1900);
    st.wMonth = static_cast<WORD>(local.tm_mon + 1);
    st.wDay = static_cast<WORD>(local.tm_mday);
    st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    st.wHour = static_cast<WORD>(local.tm_hour);
    st.wMinute = static_cast<WORD>(local.tm_min);
    st.wSecond = static_cast<WORD>(local.tm_sec);
    st.wMilliseconds = static_cast<WORD>(std::fmin(999.0, (seconds - whole) * 1000.0));
    return SetLocalTime(&st) != FALSE;
}

// $--GGA,time,lat,N,lon,E,quality,satellites,hdop,altitude,M,separation,M,age,station
int decode_gga(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[10];
    if (const int code = scan(frame, fields, 0, "taoiiff_f_fi", f); code != PARSE_OK)
        return code;
    RecordFill<sPOSITION_RECORD> pos(records[0]);
    using R = sPOSITION_RECORD;
    pos.put(POS_UTC_TIME, f[0], FIELD_AT(R, utc_time_s));
    pos.put(POS_LATITUDE, f[1], FIELD_AT(R, latitude_deg));
    pos.put(POS_LONGITUDE, f[2], FIELD_AT(R, longitude_deg));
    pos.put(POS_FIX_QUALITY, f[3], FIELD_AT(R, fix_quality));
    pos.put(POS_SATELLITES, f[4], FIELD_AT(R, satellites));
    pos.put(POS_HDOP, f[5], FIELD_AT(R, hdop));
    pos.put(POS_ALTITUDE, f[6], FIELD_AT(R, altitude_m));
    pos.put(POS_GEOID_SEPARATION, f[7], FIELD_AT(R, geoid_separation_m));
    pos.put(POS_DIFFERENTIAL_AGE, f[8], FIELD_AT(R, differential_age_s));
    pos.put(POS_DIFFERENTIAL_STATION, f[9], FIELD_AT(R, differential_station));
    if (f[3].has_value() && f[3].number == 0) {  // quality 0: no fix
        pos.invalidate(POS_LATITUDE);
        pos.invalidate(POS_LONGITUDE);
        pos.invalidate(POS_ALTITUDE);
    }
    return pos.commit();
}

// $--GLL,lat,N,lon,E,time,status[,mode]
int decode_gll(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[5];
    if (const int code = scan(frame, fields, 0, "aotcc", f); code != PARSE_OK)
        return code;
    RecordFill<sPOSITION_RECORD> pos(records[0]);
    using R = sPOSITION_RECORD;
    pos.put(POS_LATITUDE, f[0], FIELD_AT(R, latitude_deg));
    pos.put(POS_LONGITUDE, f[1], FIELD_AT(R, longitude_deg));
    pos.put(POS_UTC_TIME, f[2], FIELD_AT(R, utc_time_s));
    pos.put_letter(POS_STATUS, f[3], FIELD_AT(R, status));
    pos.put_letter(POS_MODE, f[4], FIELD_AT(R, mode));
    if (f[3].carried() && f[3].letter != 'A') {  // sentences before NMEA 2.3 end at the time
        pos.invalidate(POS_LATITUDE);
        pos.invalidate(POS_LONGITUDE);
    }
    return pos.commit();
}

// $--RMC,time,status,lat,N,lon,E,speed,course,date,variation,E/W[,mode]
int decode_rmc(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[10];
    if (const int code = scan(frame, fields, 0, "tcaoffdfcc", f); code != PARSE_OK)
        return code;
    if (f[8].has_value() && f[8].letter != 'E' && f[8].letter != 'W')
        return PARSE_MALFORMED;
    RecordFill<sPOSITION_RECORD> pos(records[0]);
    RecordFill<sHEADING_SPEED_RECORD> hs(records[1]);
    using P = sPOSITION_RECORD;
    using H = sHEADING_SPEED_RECORD;
    pos.put(POS_UTC_TIME, f[0], FIELD_AT(P, utc_time_s));
    pos.put_letter(POS_STATUS, f[1], FIELD_AT(P, status));
    pos.put(POS_LATITUDE, f[2], FIELD_AT(P, latitude_deg));
    pos.put(POS_LONGITUDE, f[3], FIELD_AT(P, longitude_deg));
    pos.put(POS_DATE, f[6], FIELD_AT(P, date));
    pos.put_letter(POS_MODE, f[9], FIELD_AT(P, mode));
    hs.put(HS_SPEED_KNOTS, f[4], FIELD_AT(H, speed_knots));
    hs.put(HS_COURSE_TRUE, f[5], FIELD_AT(H, course_true_deg));
    hs.put(HS_MAGNETIC_VARIATION, f[8].letter == 'W' ? scaled(f[7], -1) : f[7], FIELD_AT(H, magnetic_variation_deg));
    hs.put_letter(HS_MODE, f[9], FIELD_AT(H, mode));
    const bool valid = f[1].letter == 'A';
    if (!valid) {
        pos.invalidate(POS_LATITUDE);
        pos.invalidate(POS_LONGITUDE);
        hs.invalidate(HS_SPEED_KNOTS);
        hs.invalidate(HS_COURSE_TRUE);
    }
    if (valid && f[0].has_value() && f[6].has_value())
        set_clock_from_utc(frame, static_cast<int>(f[6].number), f[0].number);
    pos.commit();
    return hs.commit();
}

// $--GST,time,rms,major,minor,orientation,lat sigma,lon sigma,alt sigma
int decode_gst(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[8];
    if (const int code = scan(frame, fields, 0, "tfffffff", f); code != PARSE_OK)
        return code;
    RecordFill<sGPS_QUALITY_RECORD> q(records[0]);
    using R = sGPS_QUALITY_RECORD;
    const FieldAt<double> members[] = {
        FIELD_AT(R, utc_time_s),      FIELD_AT(R, rms_range_m),      FIELD_AT(R, semi_major_m),
        FIELD_AT(R, semi_minor_m),    FIELD_AT(R, orientation_deg),  FIELD_AT(R, latitude_sigma_m),
        FIELD_AT(R, longitude_sigma_m), FIELD_AT(R, altitude_sigma_m),
    };
    for (uint32_t i = 0; i < 8; ++i)
        q.put(GQ_UTC_TIME + i, f[i], members[i]);
    return q.commit();
}

// $--GSA,mode,fix,id x 12,pdop,hdop,vdop
int decode_gsa(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[17];
    if (const int code = scan(frame, fields, 0, "ciiiiiiiiiiiiifff", f); code != PARSE_OK)
        return code;
    RecordFill<sGPS_QUALITY_RECORD> q(records[0]);
    using R = sGPS_QUALITY_RECORD;
    q.put_letter(GQ_SELECTION_MODE, f[0], FIELD_AT(R, selection_mode));
    q.put(GQ_FIX_TYPE, f[1], FIELD_AT(R, fix_type));
    bool carried = false, listed = false;
    for (int i = 0; i < 12; ++i) {
        const Field& id = f[2 + i];
        if (id.has_value() && (id.number < 0 || id.number > 255))
            return PARSE_MALFORMED;
        q.record().satellites[i] = id.has_value() ? static_cast<BYTE>(id.number) : 0;
        carried = carried || id.carried();
        listed = listed || id.has_value();
    }
    if (carried)
        q.mark(GQ_SATELLITES, listed);
    q.put(GQ_PDOP, f[14], FIELD_AT(R, pdop));
    q.put(GQ_HDOP, f[15], FIELD_AT(R, hdop));
    q.put(GQ_VDOP, f[16], FIELD_AT(R, vdop));
    return q.commit();
}

int decode_hdt(const FrameContext& frame, BYTE* const* records)
{
    return heading_sentence(frame, records, HS_HEADING_TRUE, FIELD_AT(sHEADING_SPEED_RECORD, heading_true_deg));
}

int decode_hdm(const FrameContext& frame, BYTE* const* records)
{
    return heading_sentence(frame, records, HS_HEADING_MAGNETIC, FIELD_AT(sHEADING_SPEED_RECORD, heading_magnetic_deg));
}

// Under "TALVOR Standard" the heading belongs with the attitude.
int decode_hdt_attitude(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[1];
    if (const int code = scan(frame, fields, 0, "f", f); code != PARSE_OK)
        return code;
    RecordFill<sATTITUDE_RECORD> att(records[0]);
    att.put(ATT_HEADING, f[0], FIELD_AT(sATTITUDE_RECORD, heading_deg));
    return att.commit();
}

// $--VTG,course,T,course,M,speed,N,speed,K[,mode]
int decode_vtg(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[5];
    if (const int code = scan(frame, fields, 0, "f_f_f_f_c", f); code != PARSE_OK)
        return code;
    RecordFill<sHEADING_SPEED_RECORD> hs(records[0]);
    using H = sHEADING_SPEED_RECORD;
    hs.put(HS_COURSE_TRUE, f[0], FIELD_AT(H, course_true_deg));
    hs.put(HS_COURSE_MAGNETIC, f[1], FIELD_AT(H, course_magnetic_deg));
    hs.put(HS_SPEED_KNOTS, f[2], FIELD_AT(H, speed_knots));
    hs.put(HS_SPEED_KMH, f[3], FIELD_AT(H, speed_kmh));
    hs.put_letter(HS_MODE, f[4], FIELD_AT(H, mode));
    if (f[4].letter == 'N') {  // data not valid
        hs.invalidate(HS_COURSE_TRUE);
        hs.invalidate(HS_COURSE_MAGNETIC);
        hs.invalidate(HS_SPEED_KNOTS);
        hs.invalidate(HS_SPEED_KMH);
    }
    return hs.commit();
}

// $--ZDA,time,day,month,year,zone hours,zone minutes
int decode_zda(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[6];
    if (const int code = scan(frame, fields, 0, "tiiiii", f); code != PARSE_OK)
        return code;
    const auto out_of = [](const Field& v, double low, double high) {
        return v.has_value() && (v.number < low || v.number > high);
    };
    if (out_of(f[1], 1, 31) || out_of(f[2], 1, 12) || out_of(f[3], 1900, 9999) || out_of(f[4], -13, 13) ||
        out_of(f[5], -59, 59))
        return PARSE_MALFORMED;
    RecordFill<sTIME_RECORD> t(records[0]);
    using R = sTIME_RECORD;
    t.put(TIME_UTC_TIME, f[0], FIELD_AT(R, utc_time_s));
    t.put(TIME_DAY, f[1], FIELD_AT(R, day));
    t.put(TIME_MONTH, f[2], FIELD_AT(R, month));
    t.put(TIME_YEAR, f[3], FIELD_AT(R, year));
    t.put(TIME_ZONE_HOURS, f[4], FIELD_AT(R, zone_hours));
    t.put(TIME_ZONE_MINUTES, f[5], FIELD_AT(R, zone_minutes));
    if (f[0].has_value() && f[1].has_value() && f[2].has_value() && f[3].has_value())
        set_clock_from_utc(frame, static_cast<int>(f[3].number * 10000 + f[2].number * 100 + f[1].number),
                           f[0].number);
    return t.commit();
}

int decode_dbs(const FrameContext& frame, BYTE* const* records)
{
    return depth_sentence(frame, records, DEP_BELOW_SURFACE, FIELD_AT(sDEPTH_RECORD, below_surface_m));
}

int decode_dbt(const FrameContext& frame, BYTE* const* records)
{
    return depth_sentence(frame, records, DEP_DEPTH, FIELD_AT(sDEPTH_RECORD, depth_m));
}

// $--DPT,depth,offset[,max range]
int decode_dpt(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[3];
    if (const int code = scan(frame, fields, 0, "fff", f); code != PARSE_OK)
        return code;
    RecordFill<sDEPTH_RECORD> depth(records[0]);
    depth.put(DEP_DEPTH, f[0], FIELD_AT(sDEPTH_RECORD, depth_m));
    depth.put(DEP_TRANSDUCER_OFFSET, f[1], FIELD_AT(sDEPTH_RECORD, transducer_offset_m));
    depth.put(DEP_MAX_RANGE, f[2], FIELD_AT(sDEPTH_RECORD, max_range_m));
    return depth.commit();
}

// $PKEL,high frequency depth,low frequency depth
int decode_pkel(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[2];
    if (const int code = scan(frame, fields, 0, "ff", f); code != PARSE_OK)
        return code;
    RecordFill<sDEPTH_RECORD> depth(records[0]);
    depth.put(DEP_DEPTH, f[0], FIELD_AT(sDEPTH_RECORD, depth_m));
    depth.put(DEP_SECOND_DEPTH, f[1], FIELD_AT(sDEPTH_RECORD, second_depth_m));
    return depth.commit();
}

// $PSER,roll,pitch,heave[,heading]
int decode_pser(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[4];
    if (const int code = scan(frame, fields, 0, "ffff", f); code != PARSE_OK)
        return code;
    RecordFill<sATTITUDE_RECORD> att(records[0]);
    using R = sATTITUDE_RECORD;
    att.put(ATT_ROLL, f[0], FIELD_AT(R, roll_deg));
    att.put(ATT_PITCH, f[1], FIELD_AT(R, pitch_deg));
    att.put(ATT_HEAVE, f[2], FIELD_AT(R, heave_m));
    att.put(ATT_HEADING, f[3], FIELD_AT(R, heading_deg));
    return att.commit();
}

// $PVRNK,ATITUD,roll,pitch[,heading]
int decode_atitud(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[3];
    if (const int code = scan(frame, fields, 1, "fff", f); code != PARSE_OK)
        return code;
    RecordFill<sATTITUDE_RECORD> att(records[0]);
    using R = sATTITUDE_RECORD;
    att.put(ATT_ROLL, f[0], FIELD_AT(R, roll_deg));
    att.put(ATT_PITCH, f[1], FIELD_AT(R, pitch_deg));
    att.put(ATT_HEADING, f[2], FIELD_AT(R, heading_deg));
    return att.commit();
}

// $PVRNK,HEAVE_,heave
int decode_heave(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[1];
    if (const int code = scan(frame, fields, 1, "f", f); code != PARSE_OK)
        return code;
    RecordFill<sATTITUDE_RECORD> att(records[0]);
    att.put(ATT_HEAVE, f[0], FIELD_AT(sATTITUDE_RECORD, heave_m));
    return att.commit();
}

// $PVRNK,POSITI,latitude,longitude[,altitude], in signed degrees.
int decode_positi(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[3];
    if (const int code = scan(frame, fields, 1, "fff", f); code != PARSE_OK)
        return code;
    if ((f[0].has_value() && std::fabs(f[0].number) > 90) || (f[1].has_value() && std::fabs(f[1].number) > 180))
        return PARSE_MALFORMED;
    RecordFill<sPOSITION_RECORD> pos(records[0]);
    using R = sPOSITION_RECORD;
    pos.put(POS_LATITUDE, f[0], FIELD_AT(R, latitude_deg));
    pos.put(POS_LONGITUDE, f[1], FIELD_AT(R, longitude_deg));
    pos.put(POS_ALTITUDE, f[2], FIELD_AT(R, altitude_m));
    return pos.commit();
}

// $PDAS,time,lat,N,lon,E
int decode_pdas(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[3];
    if (const int code = scan(frame, fields, 0, "tao", f); code != PARSE_OK)
        return code;
    RecordFill<sPOSITION_RECORD> pos(records[0]);
    using R = sPOSITION_RECORD;
    pos.put(POS_UTC_TIME, f[0], FIELD_AT(R, utc_time_s));
    pos.put(POS_LATITUDE, f[1], FIELD_AT(R, latitude_deg));
    pos.put(POS_LONGITUDE, f[2], FIELD_AT(R, longitude_deg));
    return pos.commit();
}

// $--FOG,heading,rate of turn,status
int decode_fog(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[3];
    if (const int code = scan(frame, fields, 0, "ffi", f); code != PARSE_OK)
        return code;
    RecordFill<sFOG_RECORD> fog(records[0]);
    using R = sFOG_RECORD;
    fog.put(FOG_HEADING, f[0], FIELD_AT(R, heading_deg));
    fog.put(FOG_RATE, f[1], FIELD_AT(R, rate_deg_s));
    fog.put(FOG_STATUS, f[2], FIELD_AT(R, status));
    return fog.commit();
}

// $PIFM,time,date,lat,N,lon,E,heading,course,speed,roll,pitch,heave,depth
int decode_pifm(const FrameContext& frame, BYTE* const* records)
{
    SentenceFields fields;
    Field f[11];
    if (const int code = scan(frame, fields, 0, "tdaofffffff", f); code != PARSE_OK)
        return code;
    RecordFill<sPOSITION_RECORD> pos(records[0]);
    RecordFill<sHEADING_SPEED_RECORD> hs(records[1]);
    RecordFill<sATTITUDE_RECORD> att(records[2]);
    RecordFill<sDEPTH_RECORD> depth(records[3]);
    using P = sPOSITION_RECORD;
    using H = sHEADING_SPEED_RECORD;
    using A = sATTITUDE_RECORD;
    pos.put(POS_UTC_TIME, f[0], FIELD_AT(P, utc_time_s));
    pos.put(POS_DATE, f[1], FIELD_AT(P, date));
    pos.put(POS_LATITUDE, f[2], FIELD_AT(P, latitude_deg));
    pos.put(POS_LONGITUDE, f[3], FIELD_AT(P, longitude_deg));
    hs.put(HS_HEADING_TRUE, f[4], FIELD_AT(H, heading_true_deg));
    hs.put(HS_COURSE_TRUE, f[5], FIELD_AT(H, course_true_deg));
    hs.put(HS_SPEED_KNOTS, f[6], FIELD_AT(H, speed_knots));
    att.put(ATT_HEADING, f[4], FIELD_AT(A, heading_deg));
    att.put(ATT_ROLL, f[7], FIELD_AT(A, roll_deg));
    att.put(ATT_PITCH, f[8], FIELD_AT(A, pitch_deg));
    att.put(ATT_HEAVE, f[9], FIELD_AT(A, heave_m));
    depth.put(DEP_DEPTH, f[10], FIELD_AT(sDEPTH_RECORD, depth_m));
    if (f[0].has_value() && f[1].has_value())
        set_clock_from_utc(frame, static_cast<int>(f[1].number), f[0].number);
    pos.commit();
    hs.commit();
    att.commit();
    return depth.commit();
}

int decode_osm(const FrameContext& frame, BYTE* const* records) { return nav_sentence(frame, records, kOsm); }
int decode_aga(const FrameContext& frame, BYTE* const* records) { return nav_sentence(frame, records, kAga); }
int decode_rmn(const FrameContext& frame, BYTE* const* records) { return nav_sentence(frame, records, kRmn); }
int decode_mag(const FrameContext& frame, BYTE* const* records) { return nav_sentence(frame, records, kMag); }
int decode_vlt(const FrameContext& frame, BYTE* const* records) { return nav_sentence(frame, records, kVlt); }

}  // namespace helm::portlink
