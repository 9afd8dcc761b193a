#include "talvor_sim/factory_simulator.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "talvor_sim/simulator.h"

namespace talvor_sim {
namespace {

constexpr std::size_t kMaxLine = 1024;

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

bool is_matrix(const std::string& key)
{
    return (key.rfind("QGM", 0) == 0 || key.rfind("QAM", 0) == 0) && key != "QGMB" && key != "QAMB";
}

std::string signed_text(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%c%.9f", v < 0 ? '-' : '+', std::fabs(v));
    return buffer;
}

}  // namespace

FactorySimulator::FactorySimulator(int dsp_type) : m_dsp(dsp_type)
{
    const char* families[] = {"QGF", "QGB", "QGS", "CSF", "QAF", "QAB", "QAT", "CAF", "CAB", "CAT"};
    int n = 0;
    for (const char* f : families) {
        for (const char* suffix : {"_", "0", "1", "2", "3"}) {
            m_values[std::string(f) + suffix] = {n + 0.125, -(n + 0.5), n * 0.01};
            ++n;
        }
    }
    for (const char* m : {"QGM_", "QGM0", "QGM1", "QGM2", "QAM_", "QAM0", "QAM1", "QAM2"}) {
        std::vector<double> v(9, 0.0);
        for (int i = 0; i < 9; ++i)
            v[static_cast<std::size_t>(i)] = (i % 4 == 0 ? 1.0 : 0.001 * (i + 1));
        m_values[m] = v;
    }
    m_values["QGMB"] = {0.1, 0.2, 0.3};
    m_values["QAMB"] = {-0.1, -0.2, -0.3};
    m_values["CRT_"] = {1.0, 2.0, 3.0};
    m_values["ALGO"] = {2, 5, 0};
    m_values["CSOR"] = {0.25, 0.75, 0};
    m_values["HARD"] = {1, 2, 3};
    m_values["TFOG"] = {0.5, 1.5, 0};
    m_values["TACC"] = {2.5, 3.5, 0};
    m_values["TANA"] = {4.5, 5.5, 0};
    m_values["FREQ"] = {400, 100, 0};
    m_values["TFCT"] = {1.25, 2.25, 3.25};
    m_values["TMOD"] = {4, 5, 6};
    m_texts["NET_"] = {"192.168.0.77", "02:00:00:00:00:01", "8110", "8111"};
    m_texts["MODE"] = {"1", "12"};
}

std::vector<double> FactorySimulator::values(const std::string& key) const
{
    const auto found = m_values.find(key);
    return found == m_values.end() ? std::vector<double>() : found->second;
}

std::vector<std::string> FactorySimulator::texts(const std::string& key) const
{
    const auto found = m_texts.find(key);
    return found == m_texts.end() ? std::vector<std::string>() : found->second;
}

void FactorySimulator::receive(std::string_view bytes)
{
    for (char c : bytes) {
        if (c == '\n') {
            std::string line;
            line.swap(m_rx);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::size_t star = line.rfind('*');
            if (line.empty() || line[0] != '$' || star == std::string::npos ||
                with_checksum(line.substr(0, star)) != line + "\r\n") {
                ++m_refused;
                continue;
            }
            handle(std::string_view(line).substr(0, star));
        } else if (m_rx.size() < kMaxLine) {
            m_rx.push_back(c);
        } else {
            m_rx.clear();
            ++m_refused;
        }
    }
}

void FactorySimulator::answer(const std::string& body)
{
    m_out += with_checksum(body);
}

void FactorySimulator::answer_info()
{
    char number[16];
    std::snprintf(number, sizeof number, "%d", m_number);
    if (m_dsp == 5)
        answer("$CIPRG,WA33,DSP-D,DSP-C," + m_serial + "," + number + ",VB-2.0,VA-1.0");
    else
        answer("$KVST_,WA33,VB-2.0,VA-1.0," + m_serial + "," + number);
}

void FactorySimulator::answer_values(const std::string& head, const std::string& key)
{
    std::string out = head + "," + key;
    if (const auto t = m_texts.find(key); t != m_texts.end()) {
        for (const std::string& v : t->second)
            out += "," + v;
    } else {
        for (double v : m_values[key])
            out += "," + signed_text(v);
    }
    answer(out);
}

void FactorySimulator::handle(std::string_view body)
{
    const std::vector<std::string_view> f = split(body);
    if (f.size() < 2 || (f[0] != "$KVST_" && f[0] != "$CIPRG" && f[0] != "$")) {
        ++m_refused;
        return;
    }
    const std::string head(f[0]);
    const std::string key(f[1]);
    if (key == "WAKE" || key == "WKP2" || key == "WKO3" || key == "VERS") {
        ++m_wake_ups;
        return answer_info();
    }
    if (key == "SERI" && f.size() == 5) {
        m_serial = std::string(f[2]);
        m_number = std::atoi(std::string(f[3]).c_str());
        return;
    }
    if (key == "MFIN" || key == "RAZ_" || key == "ININ")
        return;
    if (key == "PFIN" || key == "CHOK") {
        m_finished = true;
        return;
    }
    if (key == "IADR") {
        m_address = static_cast<uint32_t>(std::strtoul(std::string(f.size() > 2 ? f[2] : "").c_str(), nullptr, 16));
        m_program.clear();
        m_xor = 0;
        return;
    }
    if (key == "CHEC") {
        ++m_blocks;
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "%s,CHOK,%08X", head.c_str(), static_cast<unsigned>(m_xor));
        return answer(buffer);
    }
    if (head == "$" || key == "PROG") {
        const std::size_t at = head == "$" ? 2 : std::string("$CIPRG,PROG,").size();
        if (!take_program(body.substr(at))) {
            ++m_refused;
            return;
        }
        return answer(head == "$" ? "$KVST_,PROG,OK" : "$CIPRG,PROG,OK");
    }
    if (!m_values.count(key) && !m_texts.count(key)) {
        ++m_refused;
        return;
    }
    std::vector<std::string_view> v(f.begin() + 2, f.end());
    const bool ask = v.empty() || v.back().empty();
    if (is_matrix(key)) {
        // Ask: "r,c,"; set: row, column, element.
        if (v.size() != 3) {
            ++m_refused;
            return;
        }
        const int row = static_cast<int>(std::strtod(std::string(v[0]).c_str(), nullptr));
        const int column = static_cast<int>(std::strtod(std::string(v[1]).c_str(), nullptr));
        if (row < 0 || row > 2 || column < 0 || column > 2) {
            ++m_refused;
            return;
        }
        double& element = m_values[key][static_cast<std::size_t>(row * 3 + column)];
        if (!ask)
            element = std::strtod(std::string(v[2]).c_str(), nullptr);
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "$KVST_,%s,+%d.000000000,+%d.000000000,%s", key.c_str(), row, column,
                      signed_text(element).c_str());
        return answer(buffer);
    }
    if (!ask) {
        if (m_texts.count(key)) {
            std::vector<std::string> stored;
            for (std::string_view s : v)
                stored.emplace_back(s);
            if (stored.size() != m_texts[key].size()) {
                ++m_refused;
                return;
            }
            m_texts[key] = stored;
        } else {
            if (v.size() != 3) {
                ++m_refused;
                return;
            }
            for (std::size_t i = 0; i < 3; ++i)
                m_values[key][i] = std::strtod(std::string(v[i]).c_str(), nullptr);
        }
    }
    answer_values(head, key);
}

bool FactorySimulator::take_program(std::string_view data)
{
    // 32 words of four bytes with bit 7 set, then 32 hex digits that give
    // back each word's four bit-7 values.
    if (data.size() != 32 * 4 + 32)
        return false;
    for (int w = 0; w < 32; ++w) {
        const char digit = data[static_cast<std::size_t>(128 + w)];
        const int high = digit >= 'A' ? digit - 'A' + 10 : digit - '0';
        if (high < 0 || high > 15)
            return false;
        uint32_t word = 0;
        for (int b = 0; b < 4; ++b) {
            const unsigned c = static_cast<unsigned char>(data[static_cast<std::size_t>(w * 4 + b)]);
            if (!(c & 0x80u))
                return false;
            const unsigned byte = (c & 0x7Fu) | (((static_cast<unsigned>(high) >> (3 - b)) & 1u) << 7);
            word |= static_cast<uint32_t>(byte) << (8 * b);
        }
        m_program.push_back(word);
        m_xor ^= word;
    }
    return true;
}

std::string FactorySimulator::take_output()
{
    std::string out;
    out.swap(m_out);
    return out;
}

}  // namespace talvor_sim
