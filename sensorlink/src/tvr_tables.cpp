#include "tvr_tables.h"

#include <charconv>
#include <cstddef>
#include <cstring>
#include <iterator>

namespace helm::sensorlink::tvr {
namespace {

#define FIELD(kind, type, member, key) Field{Kind::kind, offsetof(type, member), sizeof(type::member), key}
#define LAYOUT(array) Layout{array, std::size(array)}

constexpr Field kRscm4[] = {
    FIELD(Int, sTVR_RS_PORT, Baudrate, "Baudrate"), FIELD(Int, sTVR_RS_PORT, Parity, "Parity"),
    FIELD(Int, sTVR_RS_PORT, StopBits, "StopBits"), FIELD(Int, sTVR_RS_PORT, RsLevel, "RsLevel")};
constexpr Field kRscm3[] = {
    FIELD(Int, sTVR_RS_PORT, Baudrate, "Baudrate"), FIELD(Int, sTVR_RS_PORT, Parity, "Parity"),
    FIELD(Int, sTVR_RS_PORT, StopBits, "StopBits")};
constexpr Field kRsin4[] = {
    FIELD(Int, sTVR_RS_PORT, InProtocol, "Protocol"), FIELD(Int, sTVR_RS_PORT, InTimeOut, "TimeOut")};
constexpr Field kRsin3[] = {
    FIELD(Int, sTVR_RS_PORT, InProtocol, "Protocol"), FIELD(Int, sTVR_RS_PORT, InTimeOut, "TimeOut"),
    FIELD(Int, sTVR_RS_PORT, InMode, "Mode")};
constexpr Field kRsout4[] = {
    FIELD(Int, sTVR_RS_PORT, OutProtocol, "Protocol"), FIELD(Int, sTVR_RS_PORT, LeverArm, "LeverArm"),
    FIELD(Int, sTVR_RS_PORT, OutRate, "Rate"), FIELD(Int, sTVR_RS_PORT, HeaveFilter, "HeaveFilter"),
    FIELD(Int, sTVR_RS_PORT, Zda, "Zda"), FIELD(Text, sTVR_RS_PORT, UserProtocolName, "UserProtocolName")};
constexpr Field kRsout3[] = {
    FIELD(Int, sTVR_RS_PORT, OutProtocol, "Protocol"), FIELD(Int, sTVR_RS_PORT, LeverArm, "LeverArm"),
    FIELD(Int, sTVR_RS_PORT, OutRate, "Rate"), FIELD(Int, sTVR_RS_PORT, HeaveFilter, "HeaveFilter"),
    FIELD(Text, sTVR_RS_PORT, UserProtocolName, "UserProtocolName")};
constexpr Field kRsoutFile[] = {FIELD(Rest, sTVR_RS_PORT, UserProtocol, "UserProtocol")};
constexpr Field kDevice[] = {FIELD(Int, sTVR_DEVICE, Device, "Device")};
constexpr Field kEthernet[] = {
    FIELD(Int, sTVR_ETHERNET_CHANNEL, Transport, "Transport"),
    FIELD(Address, sTVR_ETHERNET_CHANNEL, IpAddress, "IpAddress"),
    FIELD(Int, sTVR_ETHERNET_CHANNEL, IpPort, "IpPort")};
constexpr Field kAnalog[] = {
    FIELD(Float3, sTVR_ANALOG_OUTPUT, Scale, "Scale"), FIELD(Int, sTVR_ANALOG_OUTPUT, Variable, "Variable"),
    FIELD(Int, sTVR_ANALOG_OUTPUT, Range, "Range")};
constexpr Field kPulse4[] = {
    FIELD(Int, sTVR_PULSE, Protocol, "Protocol"), FIELD(Float6, sTVR_PULSE, Parameter, "Parameter")};
constexpr Field kPulse3[] = {
    FIELD(Float3, sTVR_PULSE, Parameter, "Parameter"), FIELD(Int, sTVR_PULSE, Protocol, "Protocol")};
constexpr Field kUtc[] = {
    FIELD(Int, sTVR_SETTINGS, UtcInterface, "Interface"), FIELD(Int, sTVR_SETTINGS, UtcPpsMode, "PpsMode")};
constexpr Field kEthBoot[] = {
    FIELD(Int, sTVR_SETTINGS, EthDhcpMode, "DhcpMode"), FIELD(Address, sTVR_SETTINGS, EthIpAddress, "IpAddress"),
    FIELD(Address, sTVR_SETTINGS, EthNetMask, "NetMask")};
constexpr Field kVector[] = {
    FIELD(Float3, sTVR_VECTOR, X, "X"), FIELD(Float3, sTVR_VECTOR, Y, "Y"), FIELD(Float3, sTVR_VECTOR, Z, "Z")};
constexpr Field kOrient[] = {FIELD(Int, sTVR_SETTINGS, AxisOrientation, "Orientation")};
constexpr Field kManual[] = {
    FIELD(Float2, sTVR_SETTINGS, ManualSpeed, "Speed"), FIELD(Float2, sTVR_SETTINGS, ManualLatitude, "Latitude")};

constexpr std::size_t kPort = offsetof(sTVR_SETTINGS, RsPort);
constexpr std::size_t kPortStride = sizeof(sTVR_RS_PORT);

#define AT(member) offsetof(sTVR_SETTINGS, member)

const SettingsGroup kSettings[] = {
    {"$KVCNF", "RSCM_", true, TVR_ID_RSCM, 5, kTalvor4, Bound::RsPort, kPort, kPortStride,
     offsetof(sTVR_RS_PORT, RsCmValid), LAYOUT(kRscm4), {}, false},
    {"$KVCNF", "RSCM_", true, TVR_ID_RSCM, 5, kTalvor3, Bound::RsPort, kPort, kPortStride,
     offsetof(sTVR_RS_PORT, RsCmValid), LAYOUT(kRscm3), {}, false},
    {"$KVCNF", "RSIN_", true, TVR_ID_RSIN, 5, kTalvor4, Bound::RsPort, kPort, kPortStride,
     offsetof(sTVR_RS_PORT, RsInValid), LAYOUT(kRsin4), {}, false},
    {"$KVCNF", "RSIN_", true, TVR_ID_RSIN, 5, kTalvor3, Bound::RsPort, kPort, kPortStride,
     offsetof(sTVR_RS_PORT, RsInValid), LAYOUT(kRsin3), {}, false},
    {"$KVCNF", "RSOUT", true, TVR_ID_RSOUT, 5, kTalvor4, Bound::RsPort, kPort, kPortStride,
     offsetof(sTVR_RS_PORT, RsOutValid), LAYOUT(kRsout4), LAYOUT(kRsoutFile), true},
    {"$KVCNF", "RSOUT", true, TVR_ID_RSOUT, 5, kTalvor3, Bound::RsPort, kPort, kPortStride,
     offsetof(sTVR_RS_PORT, RsOutValid), LAYOUT(kRsout3), LAYOUT(kRsoutFile), true},
    {"$KVBIA", nullptr, false, TVR_ID_BIAS, 1, kBoth, Bound::None, AT(Bias), 0, offsetof(sTVR_VECTOR, Valid),
     LAYOUT(kVector), {}, false},
    {"$KVLEV", nullptr, false, TVR_ID_LEVER, 1, kBoth, Bound::None, AT(LeverArm), 0, offsetof(sTVR_VECTOR, Valid),
     LAYOUT(kVector), {}, false},
    {"$KVLV", nullptr, true, TVR_ID_LEVER2, 3, kBoth, Bound::None, AT(LeverArm2), sizeof(sTVR_VECTOR),
     offsetof(sTVR_VECTOR, Valid), LAYOUT(kVector), {}, false},
    {"$KVORI", nullptr, false, TVR_ID_ORIENT, 1, kBoth, Bound::None, 0, 0, AT(AxisOrientationValid),
     LAYOUT(kOrient), {}, false},
    {"$KVCNF", "EDIRI", true, TVR_ID_EDIRI, 5, kBoth, Bound::RsPort, AT(DeviceIn), sizeof(sTVR_DEVICE),
     offsetof(sTVR_DEVICE, Valid), LAYOUT(kDevice), {}, false},
    {"$KVCNF", "EDIRO", true, TVR_ID_EDIRO, 5, kBoth, Bound::RsPort, AT(DeviceOut), sizeof(sTVR_DEVICE),
     offsetof(sTVR_DEVICE, Valid), LAYOUT(kDevice), {}, false},
    {"$KVCNF", "ELCFI", true, TVR_ID_ELCFI, 5, kBoth, Bound::RsPort, AT(EthernetIn), sizeof(sTVR_ETHERNET_CHANNEL),
     offsetof(sTVR_ETHERNET_CHANNEL, Valid), LAYOUT(kEthernet), {}, false},
    {"$KVCNF", "ELCFO", true, TVR_ID_ELCFO, 5, kBoth, Bound::RsPort, AT(EthernetOut), sizeof(sTVR_ETHERNET_CHANNEL),
     offsetof(sTVR_ETHERNET_CHANNEL, Valid), LAYOUT(kEthernet), {}, false},
    {"$KVCNF", "UTCINT", false, TVR_ID_UTCINT, 1, kBoth, Bound::None, 0, 0, AT(UtcValid), LAYOUT(kUtc), {}, false},
    {"$KVCNF", "PPSIN_", false, TVR_ID_PULSE + 0, 1, kTalvor4, Bound::None, AT(Pulse) + 0 * sizeof(sTVR_PULSE), 0,
     offsetof(sTVR_PULSE, Valid), LAYOUT(kPulse4), {}, false},
    {"$KVCNF", "SYNCIN", false, TVR_ID_PULSE + 1, 1, kTalvor4, Bound::None, AT(Pulse) + 1 * sizeof(sTVR_PULSE), 0,
     offsetof(sTVR_PULSE, Valid), LAYOUT(kPulse4), {}, false},
    {"$KVCNF", "PULSIA", false, TVR_ID_PULSE + 2, 1, kTalvor4, Bound::None, AT(Pulse) + 2 * sizeof(sTVR_PULSE), 0,
     offsetof(sTVR_PULSE, Valid), LAYOUT(kPulse4), {}, false},
    {"$KVCNF", "PULSIB", false, TVR_ID_PULSE + 3, 1, kTalvor4, Bound::None, AT(Pulse) + 3 * sizeof(sTVR_PULSE), 0,
     offsetof(sTVR_PULSE, Valid), LAYOUT(kPulse4), {}, false},
    {"$KVCNF", "PULSOA", false, TVR_ID_PULSE + 4, 1, kTalvor4, Bound::None, AT(Pulse) + 4 * sizeof(sTVR_PULSE), 0,
     offsetof(sTVR_PULSE, Valid), LAYOUT(kPulse4), {}, false},
    {"$KVCNF", "PULSOB", false, TVR_ID_PULSE + 5, 1, kTalvor4, Bound::None, AT(Pulse) + 5 * sizeof(sTVR_PULSE), 0,
     offsetof(sTVR_PULSE, Valid), LAYOUT(kPulse4), {}, false},
    {"$KVCNF", "IOIN_", true, TVR_ID_PULSE + 2, 2, kTalvor3, Bound::None, AT(Pulse) + 2 * sizeof(sTVR_PULSE),
     sizeof(sTVR_PULSE), offsetof(sTVR_PULSE, Valid), LAYOUT(kPulse3), {}, false},
    {"$KVCNF", "IOOUT", true, TVR_ID_PULSE + 4, 2, kTalvor3, Bound::None, AT(Pulse) + 4 * sizeof(sTVR_PULSE),
     sizeof(sTVR_PULSE), offsetof(sTVR_PULSE, Valid), LAYOUT(kPulse3), {}, false},
    {"$KVCNF", "ETHIP", false, TVR_ID_ETHIP, 1, kBoth, Bound::None, 0, 0, AT(EthBootValid), LAYOUT(kEthBoot), {},
     false},
    {"$KVMAN", nullptr, false, TVR_ID_MANUAL, 1, kBoth, Bound::None, 0, 0, AT(ManualValid), LAYOUT(kManual), {},
     false},
    {"$KVCNF", "ANOUT", true, TVR_ID_ANOUT, 4, kTalvor3, Bound::AnalogOutput, AT(AnalogOutput),
     sizeof(sTVR_ANALOG_OUTPUT), offsetof(sTVR_ANALOG_OUTPUT, Valid), LAYOUT(kAnalog), {}, false},
};

#define FIELDS(...) {__VA_ARGS__}
const TextGroup kTexts[] = {
    {TVR_ID_SERNUM, "SERNUM", TVR_TXT_SERNUM, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_LOADER, "LOADER", TVR_TXT_LOADER, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_VERSIO, "VERSIO", TVR_TXT_VERSIO, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_LOADCI, "LOADCI", TVR_TXT_LOADCI, kTalvor4, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_VERSCI, "VERSCI", TVR_TXT_VERSCI, kTalvor4, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_RSCM, "RSCM_A", TVR_TXT_RSCM, kBoth, FIELDS(0, 1, 2, 3), 4, FIELDS(0, 1, 2), 3},
    {TVR_ID_TXT_RSIN, "RSIN_A", TVR_TXT_RSIN, kBoth, FIELDS(0), 1, FIELDS(0, 2), 2},
    {TVR_ID_TXT_RSOUT, "RSOUTA", TVR_TXT_RSOUT, kBoth, FIELDS(0, 1, 3), 3, FIELDS(0, 1, 3), 3},
    {TVR_ID_TXT_IOIN, "IOIN_A", TVR_TXT_IOIN, kBoth, FIELDS(1), 1, FIELDS(1), 1},
    {TVR_ID_TXT_IOOUT, "IOOUTA", TVR_TXT_IOOUT, kBoth, FIELDS(1), 1, FIELDS(1), 1},
    {TVR_ID_TXT_PPSIN, "PPSIN_", TVR_TXT_PPSIN, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_SYNCIN, "SYNCIN", TVR_TXT_SYNCIN, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_PULSIA, "PULSIA", TVR_TXT_PULSIA, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_PULSIB, "PULSIB", TVR_TXT_PULSIB, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_ELCFI, "ELCFIA", TVR_TXT_ELCFI, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_ELCFO, "ELCFOA", TVR_TXT_ELCFO, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_EDIRI, "EDIRIA", TVR_TXT_EDIRI, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_EDIRO, "EDIROA", TVR_TXT_EDIRO, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_UTCINT, "UTCINT", TVR_TXT_UTCINT, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_ANOUT, "ANOUTA", TVR_TXT_ANOUT, kTalvor3, FIELDS(1, 2), 2, FIELDS(1, 2), 2},
    {TVR_ID_TXT_PULSOA, "PULSOA", TVR_TXT_PULSOA, kBoth, FIELDS(0), 1, FIELDS(0), 1},
    {TVR_ID_TXT_PULSOB, "PULSOB", TVR_TXT_PULSOB, kBoth, FIELDS(0), 1, FIELDS(0), 1},
};

bool equal_prefix_letter(std::string_view text, std::string_view base, bool lettered, int count, int* index)
{
    if (!lettered) {
        *index = 0;
        return text == base;
    }
    if (text.size() != base.size() + 1 || text.substr(0, base.size()) != base)
        return false;
    const int letter = text.back() - 'A';
    if (letter < 0 || letter >= count)
        return false;
    *index = letter;
    return true;
}

}  // namespace

uint8_t model_mask(uint16_t system_type)
{
    return system_type == TVR_MODEL_TALVOR3 ? kTalvor3 : kTalvor4;
}

const SettingsGroup* settings_group_for_id(int id, uint16_t system_type)
{
    const uint8_t mask = model_mask(system_type);
    for (const SettingsGroup& group : kSettings) {
        if ((group.models & mask) && id >= group.first_id && id < group.first_id + group.count)
            return &group;
    }
    return nullptr;
}

const SettingsGroup* settings_group_for_sentence(const SentenceFields& fields, uint16_t system_type, int* index)
{
    const uint8_t mask = model_mask(system_type);
    for (const SettingsGroup& group : kSettings) {
        if (!(group.models & mask))
            continue;
        if (group.ident != nullptr) {
            if (fields[0] == group.address &&
                equal_prefix_letter(fields[1], group.ident, group.lettered, group.count, index))
                return &group;
        } else if (equal_prefix_letter(fields[0], group.address, group.lettered, group.count, index)) {
            return &group;
        }
    }
    return nullptr;
}

std::size_t settings_group_count()
{
    return std::size(kSettings);
}

const SettingsGroup& settings_group(std::size_t i)
{
    return kSettings[i];
}

const TextGroup* text_group_for_id(int id)
{
    for (const TextGroup& group : kTexts) {
        if (group.id == id)
            return &group;
    }
    return nullptr;
}

const TextGroup* text_group_for_name(std::string_view name)
{
    for (const TextGroup& group : kTexts) {
        if (name == group.name)
            return &group;
    }
    return nullptr;
}

const uint8_t* text_group_fields(const TextGroup& group, uint16_t system_type, uint8_t* count)
{
    if (system_type == TVR_MODEL_TALVOR3) {
        *count = group.count3;
        return group.fields3;
    }
    *count = group.count4;
    return group.fields4;
}

std::string item_name(const SettingsGroup& group, int index)
{
    std::string name = group.ident != nullptr ? group.ident : group.address + 1;
    if (group.lettered)
        name.push_back(static_cast<char>('A' + index));
    return name;
}

std::string item_head(const SettingsGroup& group, int index)
{
    if (group.ident != nullptr)
        return std::string(group.address) + "," + item_name(group, index);
    std::string head = group.address;
    if (group.lettered)
        head.push_back(static_cast<char>('A' + index));
    return head;
}

std::string sentence_safe(std::string_view text, bool allow_commas)
{
    std::string out(text);
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '$' || c == '*' || c == 0x7F || (!allow_commas && c == ','))
            c = ' ';
    }
    return out;
}

void append_field(std::string* out, const Field& field, const unsigned char* item)
{
    const unsigned char* at = item + field.offset;
    char buffer[64];
    auto append_float = [&](int precision) {
        float value;
        std::memcpy(&value, at, sizeof value);
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                     std::chars_format::fixed, precision);
        out->append(buffer, r.ptr);
    };
    switch (field.kind) {
    case Kind::Int: {
        int32_t value;
        std::memcpy(&value, at, sizeof value);
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
        out->append(buffer, r.ptr);
        break;
    }
    case Kind::Float2: append_float(2); break;
    case Kind::Float3: append_float(3); break;
    case Kind::Float6: append_float(6); break;
    case Kind::Address:
        for (int i = 0; i < 4; ++i) {
            if (i > 0)
                out->push_back('.');
            const auto r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<int>(at[i]));
            out->append(buffer, r.ptr);
        }
        break;
    case Kind::Text:
    case Kind::Rest: {
        const char* text = reinterpret_cast<const char*>(at);
        out->append(sentence_safe(std::string_view(text, strnlen(text, field.size)), field.kind == Kind::Rest));
        break;
    }
    }
}

bool read_field(std::string_view text, const Field& field, unsigned char* item)
{
    unsigned char* at = item + field.offset;
    switch (field.kind) {
    case Kind::Int: {
        int32_t value;
        if (!scan_int(text, &value))
            return false;
        std::memcpy(at, &value, sizeof value);
        return true;
    }
    case Kind::Float2:
    case Kind::Float3:
    case Kind::Float6: {
        float value;
        if (!scan_float(text, &value))
            return false;
        std::memcpy(at, &value, sizeof value);
        return true;
    }
    case Kind::Address: return scan_address(text, at);
    case Kind::Text:
    case Kind::Rest: copy_text(text, reinterpret_cast<char*>(at), field.size); return true;
    }
    return false;
}

}  // namespace helm::sensorlink::tvr
