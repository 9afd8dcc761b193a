#include "helm/sensorlink/C_Q_InsData.h"

#include <cmath>
#include <cstring>

#include "helm/sensorlink/sentence_fields.h"
#include "helm/sensorlink/window_post.h"
#include "helm/station/atoms.h"

using namespace helm::sensorlink;

namespace {

enum class Value : uint8_t { F32, F64, Hex };

struct DataKind {
    const char* keyword;
    int kind;
    Value value;
    std::size_t offsets[3];  // of the three values in sINSDATA
    double limits[3];        // |value| allowed; 0 for no limit
};

#define AT(member) offsetof(sINSDATA, member)
constexpr DataKind kKinds[] = {
    {"ATITUD", INS_DATA_ATTITUDE, Value::F32, {AT(Heading), AT(Roll), AT(Pitch)}, {360, 180, 90}},
    {"HEAVE_", INS_DATA_HEAVE, Value::F32, {AT(Surge), AT(Sway), AT(Heave)}, {0, 0, 0}},
    {"POSITI", INS_DATA_POSITION, Value::F64, {AT(Latitude), AT(Longitude), AT(Altitude)}, {90, 180, 0}},
    {"SPEED_", INS_DATA_SPEED, Value::F32, {AT(SpeedNorth), AT(SpeedEast), AT(SpeedUp)}, {0, 0, 0}},
    {"STATUS", INS_DATA_STATUS, Value::Hex, {AT(SystemStatus), AT(AlgoStatus), AT(HighLevelStatus)}, {0, 0, 0}},
};
#undef AT

}  // namespace

C_Q_InsData::C_Q_InsData()
{
    P_InitAllInsData();
}

void C_Q_InsData::P_InitAllInsData()
{
    std::memset(&m_data, 0, sizeof m_data);
}

UINT C_Q_InsData::F_GetInsDataMsg()
{
    return RegisterWindowMessage("VARNEK_INSDATA");
}

int C_Q_InsData::F_DecodeInsData(const char* sentence, uint32_t time_stamp_ms)
{
    if (sentence == nullptr)
        return -1;
    return F_DecodeInsData(std::string_view(sentence, strnlen(sentence, 4096)), time_stamp_ms);
}

int C_Q_InsData::F_DecodeInsData(std::string_view sentence, uint32_t time_stamp_ms)
{
    SentenceFields f;
    if (!f.split(sentence) || f[0] != "$PVRNK" || f.size() < 2)
        return -1;
    if (f[1] == "SLEEP_" && f.size() == 2) {
        m_data.WakeUpState = 1;
        return 1;
    }
    for (const DataKind& kind : kKinds) {
        if (f[1] != kind.keyword)
            continue;
        if (f.size() != 5)
            return -1;
        // Read all three first: a malformed sentence changes nothing.
        double values[3] = {};
        uint32_t words[3] = {};
        for (int i = 0; i < 3; ++i) {
            if (kind.value == Value::Hex) {
                if (!scan_hex32(f[2 + i], &words[i]))
                    return -1;
            } else if (!scan_double(f[2 + i], &values[i]) ||
                       (kind.limits[i] > 0 && std::fabs(values[i]) > kind.limits[i]) ||
                       std::fabs(values[i]) > 3.0e38) {
                return -1;
            }
        }
        unsigned char* base = reinterpret_cast<unsigned char*>(&m_data);
        for (int i = 0; i < 3; ++i) {
            unsigned char* at = base + kind.offsets[i];
            if (kind.value == Value::Hex) {
                std::memcpy(at, &words[i], sizeof words[i]);
            } else if (kind.value == Value::F64 && i < 2) {
                std::memcpy(at, &values[i], sizeof values[i]);
            } else {
                const float v = static_cast<float>(values[i]);
                std::memcpy(at, &v, sizeof v);
            }
        }
        m_data.TimeStamp = time_stamp_ms;
        m_data.WakeUpState = 0;
        post_to_main_window(F_GetInsDataMsg(), 0, kind.kind);
        return 0;
    }
    return -1;
}
