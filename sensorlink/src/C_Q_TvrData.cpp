#include "helm/sensorlink/C_Q_TvrData.h"

#include <cstring>

#include "helm/sensorlink/sentence_fields.h"
#include "helm/sensorlink/window_post.h"
#include "helm/station/atoms.h"

using namespace helm::sensorlink;

namespace {

bool scan_floats(const SentenceFields& fields, std::size_t first, float* const* out, std::size_t count)
{
    float values[4] = {};
    for (std::size_t i = 0; i < count; ++i) {
        if (!scan_float(fields[first + i], &values[i]))
            return false;
    }
    for (std::size_t i = 0; i < count; ++i)
        *out[i] = values[i];
    return true;
}

struct StatusSentence {
    const char* name;
    int kind;
    std::size_t words;
    uint32_t sTVRDATA::*first;
    uint32_t sTVRDATA::*second;
};

constexpr StatusSentence kStatusSentences[] = {
    {"STASYS", TVR_DATA_STATUS_SYS, 2, &sTVRDATA::SystemStatus1, &sTVRDATA::SystemStatus2},
    {"STAALG", TVR_DATA_STATUS_ALG, 2, &sTVRDATA::AlgoStatus1, &sTVRDATA::AlgoStatus2},
    {"STASOR", TVR_DATA_STATUS_SOR, 2, &sTVRDATA::SensorStatus1, &sTVRDATA::SensorStatus2},
    {"STA_HL", TVR_DATA_STATUS_HL, 1, &sTVRDATA::HighLevelStatus, nullptr},
};

}  // namespace

C_Q_TvrData::C_Q_TvrData()
{
    P_InitAllTvrData();
}

void C_Q_TvrData::P_InitAllTvrData()
{
    std::memset(&m_data, 0, sizeof m_data);
}

UINT C_Q_TvrData::F_GetTvrDataMsg()
{
    return RegisterWindowMessage("VARNEK_TVRDATA");
}

void C_Q_TvrData::post(int kind)
{
    post_to_main_window(F_GetTvrDataMsg(), 0, kind);
}

int C_Q_TvrData::F_DecodeTvrData(const char* sentence, uint32_t time_stamp_ms)
{
    if (sentence == nullptr)
        return -1;
    return F_DecodeTvrData(std::string_view(sentence, strnlen(sentence, 4096)), time_stamp_ms);
}

int C_Q_TvrData::F_DecodeTvrData(std::string_view sentence, uint32_t time_stamp_ms)
{
    SentenceFields f;
    if (!f.split(sentence))
        return -1;
    const std::string_view address = f[0];
    const std::size_t n = f.size();
    sTVRDATA& d = m_data;

    if (address == "$KVST_") {
        if (n == 2 && f[1] == "SLEEP")
            d.WakeUpState = 1;
        else if (n == 2 && f[1] == "AWAKE")
            d.WakeUpState = 0;
        else
            return -1;
        return 1;
    }

    int kind = 0;
    if (address == "$HEHDT") {
        float heading = 0;
        if (n != 3 || f[2] != "T" || !scan_float(f[1], &heading))
            return -1;
        d.PreviousHeading = d.Heading;
        d.Heading = heading;
        kind = TVR_DATA_HEADING;
    } else if (address == "$KVTRO") {
        float* out[] = {&d.Roll, &d.Pitch};
        if (n != 3 || !scan_floats(f, 1, out, 2))
            return -1;
        kind = TVR_DATA_ATTITUDE;
    } else if (address == "$KVLIN") {
        float* out[] = {&d.Heave, &d.Surge, &d.Sway};
        if (n != 4 || !scan_floats(f, 1, out, 3))
            return -1;
        kind = TVR_DATA_HEAVE;
    } else if (address == "$KVSPD") {
        float* out[] = {&d.SpeedSurge, &d.SpeedSway, &d.SpeedHeave};
        if (n != 4 || !scan_floats(f, 1, out, 3))
            return -1;
        kind = TVR_DATA_SPEEDS;
    } else if (address == "$KVCMP") {
        double latitude = 0;
        float speed = 0;
        if (n != 3 || !scan_double(f[1], &latitude) || latitude < -90 || latitude > 90 || !scan_float(f[2], &speed))
            return -1;
        d.Latitude = latitude;
        d.SpeedKnots = speed;
        kind = TVR_DATA_LAT_SPEED;
    } else if (address == "$KVINF") {
        uint32_t user = 0;
        int32_t hours = 0, minutes = 0;
        float seconds = 0;
        if (n != 5 || !scan_hex32(f[1], &user) || !scan_int(f[2], &hours) || hours < 0 || hours > 23 ||
            !scan_int(f[3], &minutes) || minutes < 0 || minutes > 59 || !scan_float(f[4], &seconds) ||
            seconds < 0 || seconds >= 61)
            return -1;
        d.UserStatus = user;
        d.UtcHours = static_cast<uint16_t>(hours);
        d.UtcMinutes = static_cast<uint16_t>(minutes);
        d.UtcSeconds = seconds;
        d.TimeStamp = time_stamp_ms;
        d.WakeUpState = 0;
        post(TVR_DATA_USER_WORD);
        post(TVR_DATA_UTC_TIME);
        return 0;
    } else if (address == "$KVSTS") {
        const StatusSentence* match = nullptr;
        for (const StatusSentence& s : kStatusSentences) {
            if (n >= 2 && f[1] == s.name)
                match = &s;
        }
        uint32_t words[2] = {};
        if (match == nullptr || n != 2 + match->words)
            return -1;
        for (std::size_t i = 0; i < match->words; ++i) {
            if (!scan_hex32(f[2 + i], &words[i]))
                return -1;
        }
        d.*(match->first) = words[0];
        if (match->second != nullptr)
            d.*(match->second) = words[1];
        kind = match->kind;
    } else {
        return -1;
    }
    d.TimeStamp = time_stamp_ms;
    d.WakeUpState = 0;
    post(kind);
    return 0;
}
