#include "talvor_sim/simulator.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace talvor_sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::size_t kMaxLine = 1024;
constexpr const char* kEnd = "________________";

// Field shapes: d integer, 2/3/6 a number written with that many
// decimals, a an IPv4 address, s a text without commas, r the rest of the
// sentence (commas allowed).
bool field_fits(char shape, std::string_view v)
{
    auto number = [&](bool integer) {
        if (v.empty())
            return false;
        std::string text(v);
        char* end = nullptr;
        if (integer)
            std::strtol(text.c_str(), &end, 10);
        else
            std::strtod(text.c_str(), &end);
        return end == text.c_str() + text.size();
    };
    switch (shape) {
    case 'd': return number(true);
    case '2':
    case '3':
    case '6': return number(false);
    case 'a': {
        int parts = 0;
        std::size_t from = 0;
        while (true) {
            const std::size_t dot = v.find('.', from);
            std::string_view part = v.substr(from, dot == std::string_view::npos ? std::string_view::npos : dot - from);
            int value = -1;
            const auto r = std::from_chars(part.data(), part.data() + part.size(), value);
            if (part.empty() || r.ptr != part.data() + part.size() || value < 0 || value > 255)
                return false;
            ++parts;
            if (dot == std::string_view::npos)
                break;
            from = dot + 1;
        }
        return parts == 4;
    }
    default: return true;
    }
}

std::string normalised(char shape, std::string_view v)
{
    if (shape != '2' && shape != '3' && shape != '6')
        return std::string(v);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", shape - '0', std::strtod(std::string(v).c_str(), nullptr));
    return buffer;
}

std::vector<std::string_view> split_fields(std::string_view body)
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

std::string hex8(uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(value));
    return buffer;
}

}  // namespace

std::string with_checksum(std::string_view body)
{
    unsigned sum = 0;
    for (std::size_t i = 1; i < body.size(); ++i)
        sum ^= static_cast<unsigned char>(body[i]);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return std::string(body) + tail;
}

double heading_at(uint32_t ms)
{
    return std::fmod(45.0 + 0.5 * (ms / 1000.0), 360.0);
}

Simulator::Simulator(Model model, uint32_t data_period_ms)
    : m_model(model), m_period_ms(data_period_ms == 0 ? 1 : data_period_ms)
{
    build_configuration();
    build_texts();
}

void Simulator::build_configuration()
{
    const bool t3 = m_model == Model::Talvor3;
    const int ports = t3 ? 3 : 5;
    auto add = [this](const std::string& name, const std::string& head, const std::string& shape,
                      std::vector<std::string> fields) {
        m_items[name] = Item{shape, std::move(fields)};
        m_heads[name] = head;
    };
    auto cnf = [&](const std::string& name, const std::string& shape, std::vector<std::string> fields) {
        add(name, "$KVCNF," + name, shape, std::move(fields));
    };
    for (int p = 0; p < ports; ++p) {
        const std::string L(1, static_cast<char>('A' + p));
        const std::string n = std::to_string(p);
        if (t3) {
            cnf("RSCM_" + L, "ddd", {"5", "1", "0"});
            cnf("RSIN_" + L, "ddd", {"1", std::to_string(1000 + p), "0"});
            cnf("RSOUT" + L, "dddds", {"3", "0", "100", "1", ""});
        } else {
            cnf("RSCM_" + L, "dddd", {"5", "1", "0", n == "0" ? "1" : "0"});
            cnf("RSIN_" + L, "dd", {"1", std::to_string(1000 + p)});
            cnf("RSOUT" + L, "ddddds", {"3", "0", "100", "1", "0", ""});
        }
        cnf("RSUDP" + L, "r", {""});
        cnf("EDIRI" + L, "d", {n});
        cnf("EDIRO" + L, "d", {std::to_string(p % 2)});
        cnf("ELCFI" + L, "dad", {"0", "192.168.0." + std::to_string(10 + p), std::to_string(8200 + p)});
        cnf("ELCFO" + L, "dad", {"1", "192.168.0." + std::to_string(20 + p), std::to_string(8300 + p)});
    }
    cnf("UTCINT", "dd", {"2", "1"});
    cnf("ETHIP", "daa", {"0", "192.168.0.100", "255.255.255.0"});
    if (t3) {
        cnf("IOIN_A", "3d", {"1.500", "1"});
        cnf("IOIN_B", "3d", {"2.500", "0"});
        cnf("IOOUTA", "3d", {"0.250", "2"});
        cnf("IOOUTB", "3d", {"0.750", "1"});
        for (int a = 0; a < 4; ++a)
            cnf(std::string("ANOUT") + static_cast<char>('A' + a), "3dd", {"10.000", std::to_string(a), "1"});
    } else {
        cnf("PPSIN_", "d6", {"1", "0.000000"});
        cnf("SYNCIN", "d6", {"0", "1.000000"});
        cnf("PULSIA", "d6", {"2", "0.500000"});
        cnf("PULSIB", "d6", {"1", "100.000000"});
        cnf("PULSOA", "d6", {"0", "10.000000"});
        cnf("PULSOB", "d6", {"1", "20.000000"});
    }
    add("KVBIA", "$KVBIA", "333", {"0.100", "-0.200", "0.300"});
    add("KVLEV", "$KVLEV", "333", {"1.000", "2.000", "-3.000"});
    add("KVLVA", "$KVLVA", "333", {"4.000", "0.000", "0.000"});
    add("KVLVB", "$KVLVB", "333", {"0.000", "5.000", "0.000"});
    add("KVLVC", "$KVLVC", "333", {"0.000", "0.000", "6.000"});
    add("KVORI", "$KVORI", "d", {"3"});
    add("KVMAN", "$KVMAN", "22", {"12.50", "47.25"});
}

void Simulator::build_texts()
{
    const bool t3 = m_model == Model::Talvor3;
    auto list = [this](const std::string& name, int field, std::vector<std::string> texts) {
        auto& target = m_lists[name][field];
        for (std::size_t i = 0; i < texts.size(); ++i)
            target.push_back({static_cast<int>(i), texts[i]});
    };
    m_lists["SERNUM"][0] = {{0, t3 ? "T3-00042" : "T4-01234"}};
    m_lists["LOADER"][0] = {{0, "DSP_LDR_2.1"}};
    m_lists["VERSIO"][0] = {{0, "DSP_FW_5.7"}};
    if (!t3) {
        m_lists["LOADCI"][0] = {{0, "MPC_LDR_1.0"}};
        m_lists["VERSCI"][0] = {{0, "MPC_FW_3.3"}};
    }
    list("RSCM_A", 0, {"4800", "9600", "19200", "38400", "57600", "115200"});
    list("RSCM_A", 1, {"None", "Odd", "Even"});
    list("RSCM_A", 2, {"1_stop", "2_stops"});
    if (!t3)
        list("RSCM_A", 3, {"RS232", "RS422"});
    list("RSIN_A", 0, {"None", "NMEA_GGA", "NMEA_VTG"});
    if (t3)
        list("RSIN_A", 2, {"Normal", "Aided"});
    list("RSOUTA", 0, {"None", "NMEA", "User_defined", "Binary"});
    list("RSOUTA", 1, {"Primary", "Arm_A", "Arm_B", "Arm_C"});
    list("RSOUTA", 3, {"Off", "Low", "High"});
    list("ELCFIA", 0, {"UDP", "TCP"});
    list("ELCFOA", 0, {"UDP", "TCP"});
    list("EDIRIA", 0, {"GPS", "Log", "Depth", "Other", "None"});
    list("EDIROA", 0, {"Repeater", "Autopilot"});
    list("UTCINT", 0, {"None", "ZDA", "GPS_PPS"});
    if (t3) {
        list("IOIN_A", 1, {"Off", "Rising", "Falling"});
        list("IOOUTA", 1, {"Off", "Pulse", "Level"});
        list("ANOUTA", 1, {"Roll", "Pitch", "Heave", "Heading"});
        list("ANOUTA", 2, {"0-10V", "4-20mA"});
    } else {
        list("PPSIN_", 0, {"Off", "Rising", "Falling"});
        list("SYNCIN", 0, {"Off", "Trigger"});
        list("PULSIA", 0, {"Off", "Trigger"});
        list("PULSIB", 0, {"Off", "Pulses_per_mile"});
        list("PULSOA", 0, {"Off", "Sync"});
        list("PULSOB", 0, {"Off", "Sync"});
    }
    // Status bits: code = tree group in bits 12 and up, event category in
    // bits 8 to 11, display mode in the low 4 bits. Two "Spare" bits that are
    // not neighbours test that equal texts are both kept.
    auto status = [this](const std::string& name, int count, uint32_t group) {
        auto& target = m_lists[name][0];
        for (int i = 0; i < count; ++i) {
            const std::string text = (i == 3 || i == 7) ? "Spare" : name + "_bit_" + std::to_string(i);
            const uint32_t code = ((group + static_cast<uint32_t>(i / 8)) << 12) | ((i % 3) << 8) | (2 + i % 7);
            target.push_back({static_cast<int>(code), text});
        }
    };
    status("STAALG", 40, 0x10000);
    status("STASYS", 12, 0x20000);
    status("STASOR", 6, 0x30000);
    status("STA_HL", 4, 0x40000);
}

std::vector<std::string> Simulator::item(const std::string& name) const
{
    const auto found = m_items.find(name);
    return found == m_items.end() ? std::vector<std::string>() : found->second.fields;
}

void Simulator::receive(std::string_view bytes, uint32_t now_ms)
{
    advance(now_ms);
    for (char c : bytes) {
        if (c == '\n') {
            std::string line = m_rx;
            m_rx.clear();
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            handle(line, now_ms);
        } else if (m_rx.size() < kMaxLine) {
            m_rx.push_back(c);
        } else {
            m_rx.clear();  // an overlong line is dropped whole
            ++m_refused;
        }
    }
}

void Simulator::handle(std::string_view line, uint32_t now_ms)
{
    const std::size_t dollar = line.find('$');
    if (dollar == std::string_view::npos)
        return;
    std::string_view body;
    if (!checksum_ok(line.substr(dollar), &body)) {
        ++m_refused;
        return;
    }
    const std::vector<std::string_view> f = split_fields(body);
    const std::string address(f[0]);
    if (address == "$KVTXT") {
        handle_text_ask(f);
    } else if (address == "$KVCNF" && f.size() >= 2) {
        std::vector<std::string_view> values(f.begin() + 2, f.end());
        handle_item(std::string(f[1]), values, "$KVCNF," + std::string(f[1]));
    } else if (address == "$KVST_" && f.size() >= 2 && f[1] == "WAKE") {
        if (m_asleep) {
            m_asleep = false;
            answer("$KVST_,AWAKE", now_ms);
        }
    } else if (address == "$KVST_" && f.size() >= 2 && f[1] == "RESET") {
        ++m_resets;
    } else if (address == "$KVSAV") {
        ++m_saves;
        answer("$KVSAV,OK", now_ms);
    } else if (address.size() > 1) {
        std::vector<std::string_view> values(f.begin() + 1, f.end());
        handle_item(address.substr(1), values, address);
    }
}

void Simulator::handle_text_ask(const std::vector<std::string_view>& f)
{
    if (f.size() == 4 && f[1] == "EQP___" && f[2].empty() && f[3].empty()) {
        answer(std::string("$KVTXT,EQP___,E,1,0,") + model_code(), m_last_now_ms);
        return;
    }
    int field = 0, cursor = 0;
    if (f.size() != 5 || f[2] != "E" || !field_fits('d', f[3]) || !field_fits('d', f[4])) {
        ++m_refused;
        return;
    }
    field = std::atoi(std::string(f[3]).c_str());
    cursor = std::atoi(std::string(f[4]).c_str());
    const std::string name(f[1]);
    const auto named = m_lists.find(name);
    const std::vector<Text>* texts = nullptr;
    if (named != m_lists.end()) {
        const auto at = named->second.find(field);
        if (at != named->second.end())
            texts = &at->second;
    }
    const int count = texts != nullptr ? static_cast<int>(texts->size()) : 0;
    std::string body = "$KVTXT," + name + ",E,";
    if (texts != nullptr && cursor >= 0 && cursor < count)
        body += std::to_string((*texts)[cursor].code) + "," + std::to_string(count) + "," + (*texts)[cursor].text;
    else
        body += "0," + std::to_string(count) + "," + kEnd;
    answer(body, m_last_now_ms);
}

std::string Simulator::answer_of(const std::string& name, const std::string& head) const
{
    std::string body = head;
    for (const std::string& v : m_items.at(name).fields)
        body += "," + v;
    return body;
}

void Simulator::handle_item(const std::string& name, const std::vector<std::string_view>& values,
                            const std::string& head)
{
    const auto found = m_items.find(name);
    if (found == m_items.end() || m_heads[name] != head) {
        ++m_refused;
        return;
    }
    Item& item = found->second;
    const bool ask = values.size() == 2 && values[0].empty() && values[1].empty();
    if (!ask) {
        const bool rest = item.shape == "r";
        if (!rest && values.size() != item.shape.size()) {
            ++m_refused;
            return;
        }
        for (std::size_t i = 0; !rest && i < values.size(); ++i) {
            if (!field_fits(item.shape[i], values[i])) {
                ++m_refused;
                return;
            }
        }
        if (rest) {
            std::string joined;
            for (std::size_t i = 0; i < values.size(); ++i)
                joined += (i ? "," : "") + std::string(values[i]);
            item.fields = {joined};
            return;  // the definition is answered with its output protocol
        }
        for (std::size_t i = 0; i < values.size(); ++i)
            item.fields[i] = normalised(item.shape[i], values[i]);
        ++m_sets;
    }
    if (name.rfind("RSUDP", 0) == 0) {
        answer(answer_of(name, head), m_last_now_ms);
        return;
    }
    if (name.rfind("RSOUT", 0) == 0 && item.fields[0] == "2") {
        const std::string udp = "RSUDP" + name.substr(5);
        answer(answer_of(udp, m_heads[udp]), m_last_now_ms);
    }
    if (ask)
        ++m_answered;
    answer(answer_of(name, head), m_last_now_ms);
}

void Simulator::answer(const std::string& body, uint32_t now_ms)
{
    if (m_drop > 0) {
        --m_drop;
        return;
    }
    if (m_delay_ms > 0) {
        m_delayed.emplace_back(now_ms + m_delay_ms, body);
        return;
    }
    send(body);
}

void Simulator::send(const std::string& body)
{
    if (m_garbage)
        m_out += "\x01\xFEgarbage#,,\r\n";
    if (m_overlong > 0) {
        --m_overlong;
        m_out += with_checksum("$KVTXT," + std::string(700, 'X'));
    }
    std::string sentence = with_checksum(body);
    if (m_corrupt > 0) {
        --m_corrupt;
        char& digit = sentence[sentence.size() - 3];
        digit = digit == '0' ? '1' : '0';
    }
    m_out += sentence;
}

void Simulator::advance(uint32_t now_ms)
{
    m_last_now_ms = now_ms;
    while (!m_delayed.empty() && static_cast<int32_t>(now_ms - m_delayed.front().first) >= 0) {
        send(m_delayed.front().second);
        m_delayed.pop_front();
    }
    if (!m_data_on)
        return;
    if (m_data_rounds == 0 && m_next_data_ms == 0)
        m_next_data_ms = now_ms;
    int rounds = 0;
    while (static_cast<int32_t>(now_ms - m_next_data_ms) >= 0 && rounds++ < 100) {
        send_data(m_next_data_ms);
        m_next_data_ms += m_period_ms;
    }
}

void Simulator::send_data(uint32_t at_ms)
{
    ++m_data_rounds;
    if (m_asleep) {
        send("$KVST_,SLEEP");
        return;
    }
    const double t = at_ms / 1000.0;
    char b[160];
    std::snprintf(b, sizeof b, "$HEHDT,%.3f,T", heading_at(at_ms));
    send(b);
    std::snprintf(b, sizeof b, "$KVTRO,%.3f,%.3f", 8.0 * std::sin(2 * kPi * t / 9.0), 3.0 * std::sin(2 * kPi * t / 6.0 + 1.0));
    send(b);
    const double w = 2 * kPi / 8.0;
    std::snprintf(b, sizeof b, "$KVLIN,%.3f,%.3f,%.3f", 1.5 * std::sin(w * t), 0.2 * std::sin(w * t + 0.5),
                  0.3 * std::cos(w * t));
    send(b);
    std::snprintf(b, sizeof b, "$KVSPD,%.3f,%.3f,%.3f", 0.2 * w * std::cos(w * t + 0.5), -0.3 * w * std::sin(w * t),
                  1.5 * w * std::cos(w * t));
    send(b);
    std::snprintf(b, sizeof b, "$KVCMP,%.6f,%.2f", 47.5 + t * 1e-5, 12.0);
    send(b);
    const double day = std::fmod(43200.0 + t, 86400.0);
    const int hours = static_cast<int>(day / 3600);
    const int minutes = static_cast<int>(std::fmod(day, 3600.0) / 60);
    std::snprintf(b, sizeof b, "$KVINF,%s,%02d,%02d,%06.3f", hex8(0x00000011).c_str(), hours, minutes,
                  std::fmod(day, 60.0));
    send(b);
    if (m_data_rounds % 10 == 1) {
        send("$KVSTS,STASYS," + hex8(0x00000005) + "," + hex8(0));
        send("$KVSTS,STAALG," + hex8(0x00000003) + "," + hex8(0x00000001));
        send("$KVSTS,STASOR," + hex8(0x00000001) + "," + hex8(0));
        send("$KVSTS,STA_HL," + hex8(0x00000001));
    }
}

std::string Simulator::take_output()
{
    std::string out;
    out.swap(m_out);
    return out;
}

}  // namespace talvor_sim
