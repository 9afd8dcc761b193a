#include "ins_tables.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "helm/sensorlink/sentence_fields.h"

namespace helm::sensorlink::ins {
namespace {

#define FIELD(kind, type, member, key) Field{Kind::kind, offsetof(type, member), sizeof(type::member), key}
#define AT(member) offsetof(sINS_SETTINGS, member)
#define FIELDS(array) array, std::size(array)

constexpr Field kRscm[] = {FIELD(Int, sINS_RSCM, Baudrate, "Baudrate"), FIELD(Int, sINS_RSCM, Parity, "Parity")};
constexpr Field kRsin[] = {FIELD(Int, sINS_RSIN, Protocol, "Protocol"), FIELD(Int, sINS_RSIN, Param1, "Param1"),
                           FIELD(Int, sINS_RSIN, Param2, "Param2")};
constexpr Field kRsout[] = {FIELD(Int, sINS_RSOUT, Protocol, "Protocol"), FIELD(Int, sINS_RSOUT, Rate, "Rate"),
                            FIELD(Int, sINS_RSOUT, LeverArm, "LeverArm"), FIELD(Int, sINS_RSOUT, Param1, "Param1"),
                            FIELD(Int, sINS_RSOUT, Param2, "Param2")};
constexpr Field kAnalog[] = {FIELD(Float3, sINS_ANALOG, Scale, "Scale"),
                             FIELD(Int, sINS_ANALOG, Variable, "Variable"),
                             FIELD(Float3, sINS_ANALOG, Offset, "Offset")};
constexpr Field kPulse[] = {FIELD(Float3, sINS_PULSE, Value, "Value"), FIELD(Int, sINS_PULSE, Mode, "Mode")};
constexpr Field kMode[] = {FIELD(Int, sINS_MODE, Mode, "")};
constexpr Field kModeNamed[] = {FIELD(Int, sINS_MODE, Mode, "Mode")};
constexpr Field kVector[] = {FIELD(Float3, sINS_VECTOR, X, "X"), FIELD(Float3, sINS_VECTOR, Y, "Y"),
                             FIELD(Float3, sINS_VECTOR, Z, "Z")};
constexpr Field kUsbKfm[] = {FIELD(Int, sINS_USBL_BEACON, KfmMode, "KfmMode")};
constexpr Field kUsbLv[] = {FIELD(Float3, sINS_USBL_BEACON, LvX, "LvX"), FIELD(Float3, sINS_USBL_BEACON, LvY, "LvY"),
                            FIELD(Float3, sINS_USBL_BEACON, LvZ, "LvZ")};
constexpr Field kUsbInt[] = {FIELD(Int, sINS_USBL_BEACON, Interface, "Interface"),
                             FIELD(Text, sINS_USBL_BEACON, Code, "Code")};
constexpr Field kLogCal[] = {FIELD(Float3, sINS_LOGCAL, A, "A"), FIELD(Float3, sINS_LOGCAL, B, "B"),
                             FIELD(Float3, sINS_LOGCAL, C, "C"), FIELD(Float4, sINS_LOGCAL, D, "D")};
constexpr Field kLogTam[] = {FIELD(Float2, sINS_LOGTAM, Speed, "Speed"),
                             FIELD(Float2, sINS_LOGTAM, Direction, "Direction")};
constexpr Field kManPos[] = {FIELD(Double8, sINS_MANPOS, Latitude, "Latitude"),
                             FIELD(Double8, sINS_MANPOS, Longitude, "Longitude"),
                             FIELD(Float3, sINS_MANPOS, Altitude, "Altitude")};
constexpr Field kUtm[] = {FIELD(Char, sINS_UTMPOS, Hemisphere, "Hemisphere"), FIELD(Int, sINS_UTMPOS, Zone, "Zone"),
                          FIELD(Double3, sINS_UTMPOS, Easting, "Easting"),
                          FIELD(Double3, sINS_UTMPOS, Northing, "Northing"),
                          FIELD(Float3, sINS_UTMPOS, Altitude, "Altitude")};

constexpr std::size_t kMode1 = sizeof(sINS_MODE);
constexpr std::size_t kModeValid = offsetof(sINS_MODE, Valid);
constexpr std::size_t kVecValid = offsetof(sINS_VECTOR, Valid);

#define MODE_ROW(keyword, id, member, section, keyed) \
    {keyword, Index::Single, id, 1, member, 0, kModeValid, FIELDS(kMode), section, keyed}
#define NAMED_MODE_ROW(keyword, id, member, section) \
    {keyword, Index::Single, id, 1, member, 0, kModeValid, FIELDS(kModeNamed), section, false}
#define LV_ROW(keyword, n) \
    {keyword, Index::Single, INS_ID_LV + n, 1, AT(LeverArm) + n * sizeof(sINS_VECTOR), 0, kVecValid, FIELDS(kVector), "LvArm", true}

const Param kParams[] = {
    {"RSCM_", Index::Letter, INS_ID_RSCM, INS_MAX_RS_PORT, AT(RsCm), sizeof(sINS_RSCM), offsetof(sINS_RSCM, Valid),
     FIELDS(kRscm), "SerialCM%c", false},
    {"RSIN_", Index::Letter, INS_ID_RSIN, INS_MAX_RS_PORT, AT(RsIn), sizeof(sINS_RSIN), offsetof(sINS_RSIN, Valid),
     FIELDS(kRsin), "SerialIN%c", false},
    {"RSOUT", Index::Letter, INS_ID_RSOUT, INS_MAX_RS_PORT, AT(RsOut), sizeof(sINS_RSOUT),
     offsetof(sINS_RSOUT, Valid), FIELDS(kRsout), "SerialOUT%c", false},
    {"ANOUT", Index::Letter, INS_ID_ANOUT, INS_MAX_ANALOG_OUTPUT, AT(Analog), sizeof(sINS_ANALOG),
     offsetof(sINS_ANALOG, Valid), FIELDS(kAnalog), "Analog%c", false},
    {"IOOUT", Index::Letter, INS_ID_IOOUT, INS_MAX_PULSE_PORT, AT(PulseOut), sizeof(sINS_PULSE),
     offsetof(sINS_PULSE, Valid), FIELDS(kPulse), "PulseOut%c", false},
    {"IOIN_", Index::Letter, INS_ID_IOIN, INS_MAX_PULSE_PORT, AT(PulseIn), sizeof(sINS_PULSE),
     offsetof(sINS_PULSE, Valid), FIELDS(kPulse), "PulseIn%c", false},
    MODE_ROW("GPSKFM", INS_ID_KFM + 0, AT(Kfm) + 0 * kMode1, "ModeKFM", true),
    MODE_ROW("LMNKFM", INS_ID_KFM + 1, AT(Kfm) + 1 * kMode1, "ModeKFM", true),
    MODE_ROW("GP2KFM", INS_ID_KFM + 2, AT(Kfm) + 2 * kMode1, "ModeKFM", true),
    MODE_ROW("DEPKFM", INS_ID_KFM + 3, AT(Kfm) + 3 * kMode1, "ModeKFM", true),
    MODE_ROW("LBLKFM", INS_ID_KFM + 4, AT(Kfm) + 4 * kMode1, "ModeKFM", true),
    MODE_ROW("LOGKFM", INS_ID_KFM + 5, AT(Kfm) + 5 * kMode1, "ModeKFM", true),
    MODE_ROW("LOGWTM", INS_ID_KFM + 6, AT(Kfm) + 6 * kMode1, "ModeKFM", true),
    MODE_ROW("UTCINT", INS_ID_INT + 0, AT(Interface) + 0 * kMode1, "Port", true),
    MODE_ROW("GPSINT", INS_ID_INT + 1, AT(Interface) + 1 * kMode1, "Port", true),
    MODE_ROW("LMNINT", INS_ID_INT + 2, AT(Interface) + 2 * kMode1, "Port", true),
    MODE_ROW("GP2INT", INS_ID_INT + 3, AT(Interface) + 3 * kMode1, "Port", true),
    MODE_ROW("DEPINT", INS_ID_INT + 4, AT(Interface) + 4 * kMode1, "Port", true),
    MODE_ROW("LOGINT", INS_ID_INT + 5, AT(Interface) + 5 * kMode1, "Port", true),
    MODE_ROW("LBLINT", INS_ID_INT + 6, AT(Interface) + 6 * kMode1, "Port", true),
    MODE_ROW("LOGSND", INS_ID_INT + 7, AT(Interface) + 7 * kMode1, "Port", true),
    NAMED_MODE_ROW("START_", INS_ID_START, AT(StartMode), "StartMode"),
    NAMED_MODE_ROW("ZUP___", INS_ID_ZUP, AT(ZupMode), "ZupMode"),
    NAMED_MODE_ROW("ALTMDE", INS_ID_ALTMDE, AT(AltitudeMode), "AltitudMode"),
    {"USBKFM", Index::Beacon, INS_ID_USBKFM, INS_MAX_BEACON, AT(Beacon), sizeof(sINS_USBL_BEACON),
     offsetof(sINS_USBL_BEACON, KfmValid), FIELDS(kUsbKfm), "Usbl%d", false},
    {"USBLV_", Index::Beacon, INS_ID_USBLV, INS_MAX_BEACON, AT(Beacon), sizeof(sINS_USBL_BEACON),
     offsetof(sINS_USBL_BEACON, LvValid), FIELDS(kUsbLv), "Usbl%d", false},
    {"USBINT", Index::Beacon, INS_ID_USBINT, INS_MAX_BEACON, AT(Beacon), sizeof(sINS_USBL_BEACON),
     offsetof(sINS_USBL_BEACON, IntValid), FIELDS(kUsbInt), "Usbl%d", false},
    NAMED_MODE_ROW("USBVIE", INS_ID_USBVIE, AT(BeaconViewer), "BeaconViewer"),
    LV_ROW("GPSLV_", 0),
    LV_ROW("LMNLV_", 1),
    LV_ROW("GP2LV_", 2),
    LV_ROW("DEPLV_", 3),
    LV_ROW("LBLLV_", 4),
    LV_ROW("LOGLV_", 5),
    {"LOGCAL", Index::Single, INS_ID_LOGCAL, 1, AT(LogCal), 0, offsetof(sINS_LOGCAL, Valid), FIELDS(kLogCal),
     "LogCal", false},
    {"LOGTAM", Index::Single, INS_ID_LOGTAM, 1, AT(LogTam), 0, offsetof(sINS_LOGTAM, Valid), FIELDS(kLogTam),
     "ModeleCourrant", false},
    {"MANPOS", Index::Single, INS_ID_MANPOS, 1, AT(ManualPosition), 0, offsetof(sINS_MANPOS, Valid),
     FIELDS(kManPos), "Position", false},
    {"UTMWGS", Index::Single, INS_ID_UTMWGS, 1, AT(UtmPosition), 0, offsetof(sINS_UTMPOS, Valid), FIELDS(kUtm),
     "UtmPos", false},
    {"BIAS__", Index::Single, INS_ID_BIAS, 1, AT(Bias), 0, kVecValid, FIELDS(kVector), "Bias", false},
    NAMED_MODE_ROW("AXISOR", INS_ID_AXISOR, AT(AxisOrientation), "Axisor"),
    {"LEVARM", Index::Single, INS_ID_LEVARM, 1, AT(PrimaryLeverArm), 0, kVecValid, FIELDS(kVector), "PriLvArm",
     false},
    {"SECLV", Index::Letter, INS_ID_SECLV, INS_MAX_SECONDARY_ARM, AT(SecondaryLeverArm), sizeof(sINS_VECTOR),
     kVecValid, FIELDS(kVector), "SecLvArm%c", false},
};

const TextAsk kTextAsks[] = {
    {INS_ID_TXT_RSCM, "RSCM_X", INS_TXT_RSCM, {0, 1}, 2},
    {INS_ID_TXT_RSIN, "RSIN_X", INS_TXT_RSIN, {0, 0}, 1},
    {INS_ID_TXT_RSOUT, "RSOUTX", INS_TXT_RSOUT, {0, 0}, 1},
    {INS_ID_TXT_ANOUT, "ANOUTX", INS_TXT_ANOUT, {1, 0}, 1},
    {INS_ID_TXT_IOIN, "IOIN_X", INS_TXT_IOIN, {1, 0}, 1},
    {INS_ID_TXT_IOOUT, "IOOUTX", INS_TXT_IOOUT, {1, 0}, 1},
    {INS_ID_TXT_ZUP, "ZUP___", INS_TXT_ZUP, {0, 0}, 1},
    {INS_ID_TXT_START, "START_", INS_TXT_START, {0, 0}, 1},
    {INS_ID_TXT_ALTMDE, "ALTMDE", INS_TXT_ALTMDE, {0, 0}, 1},
    {INS_ID_TXT_UTCINT, "UTCINT", INS_TXT_UTCINT, {0, 0}, 1},
    {INS_ID_TXT_GPSKFM, "GPSKFM", INS_TXT_GPSKFM, {0, 0}, 1},
};

}  // namespace

const Param* param_for_id(int id)
{
    for (const Param& row : kParams) {
        if (id >= row.first_id && id < row.first_id + row.count)
            return &row;
    }
    return nullptr;
}

const Param* param_for_keyword(std::string_view keyword, int* letter_index)
{
    for (const Param& row : kParams) {
        const std::string_view key(row.keyword);
        if (row.index == Index::Letter) {
            if (keyword.size() != key.size() + 1 || keyword.substr(0, key.size()) != key)
                continue;
            const int index = keyword.back() - 'A';
            if (index < 0 || index >= row.count)
                return nullptr;
            *letter_index = index;
            return &row;
        }
        if (keyword == key) {
            *letter_index = 0;
            return &row;
        }
    }
    return nullptr;
}

std::size_t param_count()
{
    return std::size(kParams);
}

const Param& param(std::size_t i)
{
    return kParams[i];
}

const TextAsk* text_ask_for_id(int id)
{
    for (const TextAsk& row : kTextAsks) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

const TextAsk* text_ask_for_keyword(std::string_view keyword)
{
    for (const TextAsk& row : kTextAsks) {
        if (keyword == row.keyword)
            return &row;
    }
    return nullptr;
}

std::string item_keyword(const Param& row, int index)
{
    std::string out(row.keyword);
    if (row.index == Index::Letter)
        out.push_back(static_cast<char>('A' + index));
    return out;
}

std::string item_section(const Param& row, int index)
{
    char buffer[48];
    if (row.index == Index::Letter)
        std::snprintf(buffer, sizeof buffer, row.section, 'A' + index);
    else if (row.index == Index::Beacon)
        std::snprintf(buffer, sizeof buffer, row.section, index);
    else
        std::snprintf(buffer, sizeof buffer, "%s", row.section);
    return buffer;
}

std::string field_key(const Param& row, const Field& field)
{
    return row.keyed ? std::string(row.keyword) + field.key : std::string(field.key);
}

void append_field(std::string* out, const Field& field, const unsigned char* item)
{
    char buffer[64];
    const unsigned char* at = item + field.offset;
    auto f32 = [&] { float v; std::memcpy(&v, at, sizeof v); return static_cast<double>(v); };
    auto f64 = [&] { double v; std::memcpy(&v, at, sizeof v); return v; };
    switch (field.kind) {
    case Kind::Int: {
        int32_t v;
        std::memcpy(&v, at, sizeof v);
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(v));
        break;
    }
    case Kind::Float2: std::snprintf(buffer, sizeof buffer, "%.02f", f32()); break;
    case Kind::Float3: std::snprintf(buffer, sizeof buffer, "%.03f", f32()); break;
    case Kind::Float4: std::snprintf(buffer, sizeof buffer, "%.04f", f32()); break;
    case Kind::Double3: std::snprintf(buffer, sizeof buffer, "%.03f", f64()); break;
    case Kind::Double8: std::snprintf(buffer, sizeof buffer, "%.08f", f64()); break;
    case Kind::Char: {
        const char c = static_cast<char>(*at);
        out->append(field_safe(std::string_view(&c, 1)));
        return;
    }
    case Kind::Text:
        out->append(field_safe(std::string_view(reinterpret_cast<const char*>(at),
                                                strnlen(reinterpret_cast<const char*>(at), field.size))));
        return;
    }
    out->append(buffer);
}

bool read_field(std::string_view text, const Field& field, unsigned char* item)
{
    unsigned char* at = item + field.offset;
    switch (field.kind) {
    case Kind::Int: {
        int32_t v = 0;
        if (!scan_int(text, &v))
            return false;
        std::memcpy(at, &v, sizeof v);
        return true;
    }
    case Kind::Float2:
    case Kind::Float3:
    case Kind::Float4: {
        float v = 0;
        if (!scan_float(text, &v))
            return false;
        std::memcpy(at, &v, sizeof v);
        return true;
    }
    case Kind::Double3:
    case Kind::Double8: {
        double v = 0;
        if (!scan_double(text, &v))
            return false;
        std::memcpy(at, &v, sizeof v);
        return true;
    }
    case Kind::Char:
        if (text.size() != 1 || text[0] == ',' || text[0] == '*' || text[0] == '$' ||
            static_cast<unsigned char>(text[0]) < 0x20)
            return false;
        *at = static_cast<unsigned char>(text[0]);
        return true;
    case Kind::Text:
        copy_text(text, reinterpret_cast<char*>(at), field.size);
        return true;
    }
    return false;
}

std::string field_safe(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == ',' || c == '*' || c == '$' || static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return out;
}

}  // namespace helm::sensorlink::ins
