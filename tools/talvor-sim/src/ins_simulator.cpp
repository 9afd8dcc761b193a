#include "talvor_sim/ins_simulator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "talvor_sim/simulator.h"

namespace talvor_sim {
namespace {

constexpr std::size_t kMaxLine = 1024;
constexpr const char* kEnd = "________________";

std::vector<std::string_view> split(std::string_view body)
{
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = body.find(',', from);
        fields.push_back(body.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
        if (comma == std::string_view::npos)
            return fields;
        from = comma + 1;
    }
}

// Field shapes: d integer, 2/3/4/8 a number with that many decimals, c one
// letter, s a text without commas.
bool fits(char shape, std::string_view v)
{
    if (shape == 's')
        return true;
    if (shape == 'c')
        return v.size() == 1;
    if (v.empty())
        return false;
    const std::string text(v);
    char* end = nullptr;
    if (shape == 'd')
        std::strtol(text.c_str(), &end, 10);
    else
        std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

std::string normalised(char shape, std::string_view v)
{
    if (shape < '2' || shape > '8')
        return std::string(v);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", shape - '0', std::strtod(std::string(v).c_str(), nullptr));
    return buffer;
}

bool checksum_ok(std::string_view line, std::string_view* body)
{
    const std::size_t star = line.find('*');
    if (line.empty() || line[0] != '$' || star == std::string_view::npos || star + 3 > line.size())
        return false;
    unsigned sum = 0;
    for (std::size_t i = 1; i < star; ++i)
        sum ^= static_cast<unsigned char>(line[i]);
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", sum);
    if (line.substr(star + 1, 2) != std::string_view(digits, 2))
        return false;
    *body = line.substr(0, star);
    return true;
}

struct Counts {
    const char* code;
    int serial, pulse, analog;
};
constexpr Counts kCounts[] = {{"SELVO", 3, 2, 0}, {"QUIL3", 3, 2, 4}, {"PELNO", 7, 2, 4}, {"GRAVO", 7, 2, 4},
                              {"QUIL7", 7, 2, 4}, {"TARNO", 3, 2, 0}, {"SUBQU", 6, 2, 0}};

}  // namespace

InertialSimulator::InertialSimulator(std::string code, uint32_t data_period_ms)
    : m_code(std::move(code)), m_period_ms(data_period_ms == 0 ? 1 : data_period_ms)
{
    for (const Counts& c : kCounts) {
        if (m_code == c.code) {
            m_serial = c.serial;
            m_pulse = c.pulse;
            m_analog = c.analog;
        }
    }
    build();
}

void InertialSimulator::build()
{
    auto add = [this](const std::string& keyword, const std::string& shape, std::vector<std::string> fields) {
        m_items[keyword] = Item{shape, std::move(fields)};
    };
    for (int p = 0; p < 7; ++p) {
        const std::string L(1, static_cast<char>('A' + p));
        add("RSCM_" + L, "dd", {std::to_string(p % 6), "0"});
        add("RSIN_" + L, "ddd", {std::to_string(p % 3), "1000", std::to_string(p)});
        add("RSOUT" + L, "ddddd", {"1", std::to_string(100 * (p + 1)), "0", "0", std::to_string(p)});
        // Ports A and B only send, C only receives, the others do both.
        add("IORS_" + L, "d", {p < 2 ? "1" : (p == 2 ? "2" : "3")});
    }
    for (int a = 0; a < 4; ++a)
        add(std::string("ANOUT") + static_cast<char>('A' + a), "3d3", {"10.000", std::to_string(a), "0.500"});
    for (int k = 0; k < 2; ++k) {
        const std::string L(1, static_cast<char>('A' + k));
        add("IOOUT" + L, "3d", {"0.250", "1"});
        add("IOIN_" + L, "3d", {"1.500", "2"});
    }
    int n = 0;
    for (const char* kw : {"GPSKFM", "LMNKFM", "GP2KFM", "DEPKFM", "LBLKFM", "LOGKFM", "LOGWTM"})
        add(kw, "d", {std::to_string(n++ % 3)});
    n = 0;
    for (const char* kw : {"UTCINT", "GPSINT", "LMNINT", "GP2INT", "DEPINT", "LOGINT", "LBLINT", "LOGSND"})
        add(kw, "d", {std::to_string(n++)});
    add("START_", "d", {"1"});
    add("ZUP___", "d", {"0"});
    add("ALTMDE", "d", {"2"});
    for (int b = 0; b < 3; ++b) {
        const std::string B = std::to_string(b);
        add("USBKFM" + B, "d", {std::to_string(b + 1)});
        add("USBLV_" + B, "333", {"1.000", std::to_string(b) + ".500", "-2.000"});
        add("USBINT" + B, "ds", {std::to_string(b), "BCN" + B});
    }
    add("USBVIE", "d", {"1"});
    n = 0;
    for (const char* kw : {"GPSLV_", "LMNLV_", "GP2LV_", "DEPLV_", "LBLLV_", "LOGLV_"}) {
        add(kw, "333", {std::to_string(n) + ".125", "-1.000", "0.000"});
        ++n;
    }
    add("LOGCAL", "3334", {"1.000", "0.000", "0.500", "1.0025"});
    add("LOGTAM", "22", {"0.75", "180.00"});
    add("MANPOS", "883", {"47.12345678", "-3.98765432", "12.500"});
    add("UTMWGS", "cd333", {"N", "30", "500000.125", "5220000.250", "12.500"});
    add("BIAS__", "333", {"0.010", "-0.020", "0.030"});
    add("AXISOR", "d", {"4"});
    add("LEVARM", "333", {"1.000", "2.000", "-3.000"});
    for (const char* kw : {"SECLVA", "SECLVB", "SECLVC"})
        add(kw, "333", {"0.500", "0.500", "0.500"});
    add("DDRECK", "d", {"0"});

    m_info["SERNUM"] = "INS-" + m_code + "-0042";
    m_info["VERFRM"] = "FRM_4.2.1";
    m_info["VERLDR"] = "LDR_1.0";
    auto list = [this](const std::string& key, int field, std::vector<std::string> texts) {
        auto& target = m_lists[key + "/" + std::to_string(field)];
        for (std::size_t i = 0; i < texts.size(); ++i)
            target.push_back({static_cast<int>(i), texts[i]});
    };
    list("RSCM_X", 0, {"4800", "9600", "19200", "38400", "57600", "115200"});
    list("RSCM_X", 1, {"None", "Odd", "Even"});
    list("RSIN_X", 0, {"None", "GGA", "DVL", "Depth"});
    list("RSOUTX", 0, {"None", "NMEA", "Binary"});
    list("ANOUTX", 1, {"Roll", "Pitch", "Heave", "Heading"});
    list("IOIN_X", 1, {"Off", "Rising", "Falling"});
    list("IOOUTX", 1, {"Off", "Pulse"});
    list("ZUP___", 0, {"Off", "Auto"});
    list("START_", 0, {"Manual", "GPS", "Stored"});
    list("ALTMDE", 0, {"None", "Depth", "GPS"});
    list("UTCINT", 0, {"None", "Port_A", "Port_B", "Port_C"});
    list("GPSKFM", 0, {"Auto", "Always", "Never"});
    // Status bits: group in bits 12 and up, display mode in the low bits.
    // Two "Spare" bits apart test that equal texts are both kept.
    auto status = [this](const std::string& key, int count, uint32_t group) {
        auto& target = m_lists[key + "/0"];
        for (int i = 0; i < count; ++i) {
            const std::string text = (i == 2 || i == 5) ? "Spare" : key + "_bit_" + std::to_string(i);
            const uint32_t code = ((group + static_cast<uint32_t>(count - i)) << 12) | (2 + i % 7);
            target.push_back({static_cast<int>(code), text});
        }
    };
    status("STATUS", 20, 0x10);
    status("ALGSTS", 9, 0x20);
    status("HT_STS", 4, 0x30);
}

std::vector<std::string> InertialSimulator::item(const std::string& keyword) const
{
    const auto found = m_items.find(keyword);
    return found == m_items.end() ? std::vector<std::string>() : found->second.fields;
}

void InertialSimulator::receive(std::string_view bytes, uint32_t now_ms)
{
    advance(now_ms);
    for (char c : bytes) {
        if (c == '\n') {
            std::string line;
            line.swap(m_rx);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::string_view body;
            if (checksum_ok(line, &body))
                handle(body);
            else
                ++m_refused;
        } else if (m_rx.size() < kMaxLine) {
            m_rx.push_back(c);
        } else {
            m_rx.clear();
            ++m_refused;
        }
    }
}

void InertialSimulator::handle(std::string_view body)
{
    const std::vector<std::string_view> f = split(body);
    if (f.size() < 3 || f[0] != "$PVRNK") {
        ++m_refused;
        return;
    }
    if (f[1] == "TEXT__")
        handle_text(f);
    else if (f[1] == "CONFIG")
        handle_config(f);
    else
        ++m_refused;
}

void InertialSimulator::handle_text(const std::vector<std::string_view>& f)
{
    const std::string key(f[2]);
    const std::string head = "$PVRNK,TEXT__," + key + ",";
    if (key == "EQP___")
        return answer(head + "1,0," + m_code);
    if (m_info.count(key))
        return answer(head + "0,1," + m_info[key]);
    if (f.size() != 6) {
        ++m_refused;
        return;
    }
    const auto found = m_lists.find(key + "/" + std::string(f[3]));
    if (found == m_lists.end()) {
        ++m_refused;
        return;
    }
    const int index = std::atoi(std::string(f[4]).c_str());
    const auto& texts = found->second;
    if (index < 0 || index >= static_cast<int>(texts.size()))
        return answer(head + "0," + std::to_string(texts.size()) + "," + kEnd);
    std::string text = texts[static_cast<std::size_t>(index)].second;
    for (char& c : text) {
        if (c == ' ')
            c = '_';
    }
    answer(head + std::to_string(texts[static_cast<std::size_t>(index)].first) + "," +
           std::to_string(texts.size()) + "," + text);
}

void InertialSimulator::handle_config(const std::vector<std::string_view>& f)
{
    const std::string key(f[2]);
    const std::string head = "$PVRNK,CONFIG," + key;
    if (key == "WAKEUP") {
        m_asleep = false;
        return answer(head + ",OK");
    }
    if (key == "SAVE__") {
        ++m_saves;
        return answer(head + ",OK");
    }
    if (key == "RESET_") {
        ++m_resets;
        return;
    }
    if (key == "RAZNAV" || key == "GONAV_" || key == "CVSTAT")
        return;
    if (key == "USBNBB")
        return answer(head + "," + std::to_string(m_beacons));
    if (key == "NBRIO_")
        return answer(head + "," + std::to_string(m_serial) + "," + std::to_string(m_pulse) + "," +
                      std::to_string(m_analog));
    // Beacon settings carry the beacon as their last field.
    const bool beacon = key == "USBKFM" || key == "USBLV_" || key == "USBINT";
    std::string name = key;
    std::vector<std::string_view> values(f.begin() + 3, f.end());
    if (beacon) {
        if (values.empty()) {
            ++m_refused;
            return;
        }
        name += std::string(values.back());
        values.pop_back();
    }
    const auto found = m_items.find(name);
    if (found == m_items.end() || (key.rfind("IORS_", 0) == 0 && key[5] - 'A' >= m_serial)) {
        ++m_refused;
        return;
    }
    Item& item = found->second;
    const bool is_ask = std::all_of(values.begin(), values.end(), [](std::string_view v) { return v.empty(); });
    if (!is_ask && key != "DDRECK") {
        if (values.size() != item.shape.size()) {
            ++m_refused;
            return;
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!fits(item.shape[i], values[i])) {
                ++m_refused;
                return;
            }
        }
        for (std::size_t i = 0; i < values.size(); ++i)
            item.fields[i] = normalised(item.shape[i], values[i]);
        ++m_sets;
    } else if (key == "DDRECK" && !is_ask) {
        item.fields[0] = std::string(values.empty() ? std::string_view("0") : values[0]);
        ++m_sets;
    }
    std::string out = head;
    for (const std::string& v : item.fields)
        out += "," + v;
    if (beacon)
        out += "," + name.substr(6);
    answer(out);
}

void InertialSimulator::answer(const std::string& body)
{
    if (m_drop > 0) {
        --m_drop;
        return;
    }
    m_out += with_checksum(body);
}

void InertialSimulator::advance(uint32_t now_ms)
{
    if (!m_data_on)
        return;
    if (!m_data_started) {
        m_data_started = true;
        m_next_data_ms = now_ms;
    }
    int rounds = 0;
    while (static_cast<int32_t>(now_ms - m_next_data_ms) >= 0 && rounds++ < 100) {
        send_data(m_next_data_ms);
        m_next_data_ms += m_period_ms;
    }
}

void InertialSimulator::send_data(uint32_t at_ms)
{
    if (m_asleep) {
        m_out += with_checksum("$PVRNK,SLEEP_");
        return;
    }
    const double t = at_ms / 1000.0;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "$PVRNK,ATITUD,%.3f,%.3f,%.3f", std::fmod(90.0 + 2.0 * t, 360.0),
                  5.0 * std::sin(t / 4.0), 2.0 * std::sin(t / 6.0));
    m_out += with_checksum(buffer);
    std::snprintf(buffer, sizeof buffer, "$PVRNK,HEAVE_,%.3f,%.3f,%.3f", 0.2 * std::sin(t / 5.0),
                  0.1 * std::cos(t / 5.0), 0.8 * std::sin(t / 3.0));
    m_out += with_checksum(buffer);
    if (m_rounds % 10 == 0) {
        std::snprintf(buffer, sizeof buffer, "$PVRNK,POSITI,%.8f,%.8f,%.3f", 47.1 + t * 1e-6, -3.9 + t * 1e-6, 0.0);
        m_out += with_checksum(buffer);
        std::snprintf(buffer, sizeof buffer, "$PVRNK,SPEED_,%.3f,%.3f,%.3f", 5.0, 0.5, 0.0);
        m_out += with_checksum(buffer);
        m_out += with_checksum("$PVRNK,STATUS,00000001,00000010,00000000");
    }
    ++m_rounds;
}

std::string InertialSimulator::take_output()
{
    std::string out;
    out.swap(m_out);
    return out;
}

}  // namespace talvor_sim
