// The factory model and system files: sealed INI texts (CR LF, bytes kept
// as they are, "[Secure]" last) of the edited settings, one section per
// key with its value under "Value" (matrices: "Row0" to "Row2"). Several
// numbers on one line are separated by tabs. A load reads the whole file
// into a copy first and takes it only when every entry is there and well
// formed, so a broken file never leaves half-loaded calibration behind.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "cnf_file.h"
#include "helm/sensorlink/C_Q_CnfUsineCtrlCmd.h"
#include "helm/sensorlink/sentence_fields.h"

using namespace helm::sensorlink;
using namespace helm::sensorlink::cnf;

namespace {

constexpr int kNbModelTriples = USINE_NB_TRIPLE + 3;

// The triple families in the record's order.
constexpr const char* kFamilies[10] = {"QGF", "QAF", "CAF", "QGB", "QAB", "CAB", "QGS", "CSF", "QAT", "CAT"};

std::string family_key(const char* family, int k)
{
    std::string key(family);
    key.push_back(k == 0 ? '_' : static_cast<char>('0' + k - 1));
    return key;
}

// Key of triple `index` of the record: 0-49 the families, then QGMB,
// QAMB, CRT_.
std::string triple_key(int index)
{
    if (index < USINE_NB_TRIPLE)
        return family_key(kFamilies[index / 5], index % 5);
    static constexpr const char* kLast[3] = {"QGMB", "QAMB", "CRT_"};
    return kLast[index - USINE_NB_TRIPLE];
}

sUSINE_TRIPLE* triple_at(sUSINE_SETTINGS* s, int index)
{
    if (index < USINE_NB_TRIPLE)
        return &s->Triple[index];
    return index == USINE_NB_TRIPLE ? &s->Qgmb : (index == USINE_NB_TRIPLE + 1 ? &s->Qamb : &s->Crt);
}

std::string matrix_key(int index)
{
    return family_key(index < 4 ? "QGM" : "QAM", index % 4);
}

// "%.08f" of each value, tab-separated. The buffer holds the widest double.
std::string doubles_line(std::initializer_list<double> values)
{
    std::string line;
    char text[400];
    for (double v : values) {
        std::snprintf(text, sizeof text, "%.08f", v);
        if (!line.empty())
            line.push_back('\t');
        line += text;
    }
    return line;
}

// Single floats are written with every digit they need to come back
// unchanged.
std::string floats_line(std::initializer_list<float> values)
{
    std::string line;
    char text[64];
    for (float v : values) {
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
        if (!line.empty())
            line.push_back('\t');
        line += text;
    }
    return line;
}

std::string ints_line(std::initializer_list<int32_t> values)
{
    std::string line;
    for (int32_t v : values) {
        if (!line.empty())
            line.push_back('\t');
        line += std::to_string(v);
    }
    return line;
}

// Cuts `line` at its tabs: false unless it has exactly N fields.
template <std::size_t N>
bool split_tabs(std::string_view line, std::array<std::string_view, N>* out)
{
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t tab = line.find('\t');
        if ((tab == std::string_view::npos) != (i + 1 == N))
            return false;
        (*out)[i] = line.substr(0, tab);
        if (tab != std::string_view::npos)
            line.remove_prefix(tab + 1);
    }
    return true;
}

template <std::size_t N>
bool read_doubles(std::string_view line, const std::array<double*, N>& to)
{
    std::array<std::string_view, N> fields;
    std::array<double, N> values{};
    if (!split_tabs(line, &fields))
        return false;
    for (std::size_t i = 0; i < N; ++i) {
        if (!scan_double(fields[i], &values[i]))
            return false;
    }
    for (std::size_t i = 0; i < N; ++i)
        *to[i] = values[i];
    return true;
}

template <std::size_t N>
bool read_floats(std::string_view line, const std::array<float*, N>& to)
{
    std::array<std::string_view, N> fields;
    std::array<float, N> values{};
    if (!split_tabs(line, &fields))
        return false;
    for (std::size_t i = 0; i < N; ++i) {
        if (!scan_float(fields[i], &values[i]))
            return false;
    }
    for (std::size_t i = 0; i < N; ++i)
        *to[i] = values[i];
    return true;
}

bool read_int(std::string_view line, int32_t* to, int32_t low, int32_t high)
{
    int32_t value = 0;
    if (!scan_int(line, &value) || value < low || value > high)
        return false;
    *to = value;
    return true;
}

bool read_any_int(std::string_view line, int32_t* to)
{
    return read_int(line, to, INT32_MIN, INT32_MAX);
}

bool read_u16(std::string_view line, uint16_t* to)
{
    int32_t value = 0;
    if (!read_int(line, &value, 0, 0xFFFF))
        return false;
    *to = static_cast<uint16_t>(value);
    return true;
}

// A text kept on one line: control characters (a line end would split the
// entry) become blanks; Windows-1252 bytes stay.
std::string text_line(const char* text, std::size_t size)
{
    std::string out(text, strnlen(text, size));
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return out;
}

// A text that fits its field (with the terminator) and holds no control
// character; a longer one is refused rather than cut.
bool read_text(std::string_view line, char* to, std::size_t size)
{
    if (line.size() >= size)
        return false;
    for (char c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    copy_text(line, to, size);
    return true;
}

// One key of the system file: how it is written from, and read into, the
// settings. `read` is false on a malformed value.
struct SystemKey {
    const char* name;
    std::string (*write)(const sUSINE_SETTINGS&);
    bool (*read)(std::string_view, sUSINE_SETTINGS*);
};

// ALGO holds its wire values 2, 1 and HARD 1, 3, 2: the keys follow the
// wire order (ALGO: algorithm type, data-ready frequency; HARD: gyro,
// accelerometer, mechanics types). TMOD is written in wire order too.
using S = sUSINE_SETTINGS;
const SystemKey kSystemKeys[] = {
    {"TypeAlgo", [](const S& s) { return ints_line({s.Algo.V[1]}); },
     [](std::string_view v, S* s) { return read_any_int(v, &s->Algo.V[1]); }},
    {"FreqDataReady", [](const S& s) { return ints_line({s.Algo.V[0]}); },
     [](std::string_view v, S* s) { return read_any_int(v, &s->Algo.V[0]); }},
    {"TypeGyro", [](const S& s) { return ints_line({s.Hard.V[0]}); },
     [](std::string_view v, S* s) { return read_any_int(v, &s->Hard.V[0]); }},
    {"TypeAcc", [](const S& s) { return ints_line({s.Hard.V[2]}); },
     [](std::string_view v, S* s) { return read_any_int(v, &s->Hard.V[2]); }},
    {"TypeMeca", [](const S& s) { return ints_line({s.Hard.V[1]}); },
     [](std::string_view v, S* s) { return read_any_int(v, &s->Hard.V[1]); }},
    {"TcFog", [](const S& s) { return floats_line({s.Tfog.A, s.Tfog.B}); },
     [](std::string_view v, S* s) { return read_floats<2>(v, {&s->Tfog.A, &s->Tfog.B}); }},
    {"TcAcc", [](const S& s) { return floats_line({s.Tacc.A, s.Tacc.B}); },
     [](std::string_view v, S* s) { return read_floats<2>(v, {&s->Tacc.A, &s->Tacc.B}); }},
    {"TcAna", [](const S& s) { return floats_line({s.Tana.A, s.Tana.B}); },
     [](std::string_view v, S* s) { return read_floats<2>(v, {&s->Tana.A, &s->Tana.B}); }},
    {"TcFilter", [](const S& s) { return floats_line({s.Tfct.V[0], s.Tfct.V[1], s.Tfct.V[2]}); },
     [](std::string_view v, S* s) { return read_floats<3>(v, {&s->Tfct.V[0], &s->Tfct.V[1], &s->Tfct.V[2]}); }},
    {"TcModel", [](const S& s) { return floats_line({s.Tmod.V[0], s.Tmod.V[2], s.Tmod.V[1]}); },
     [](std::string_view v, S* s) { return read_floats<3>(v, {&s->Tmod.V[0], &s->Tmod.V[2], &s->Tmod.V[1]}); }},
    {"Csor", [](const S& s) { return floats_line({s.Csor.A, s.Csor.B}); },
     [](std::string_view v, S* s) { return read_floats<2>(v, {&s->Csor.A, &s->Csor.B}); }},
    {"FreqAlgo", [](const S& s) { return ints_line({s.Freq.V[0]}); },
     [](std::string_view v, S* s) { return read_any_int(v, &s->Freq.V[0]); }},
    {"FreqOutput", [](const S& s) { return ints_line({s.Freq.V[1]}); },
     [](std::string_view v, S* s) { return read_any_int(v, &s->Freq.V[1]); }},
    {"IpAdresse",
     [](const S& s) {
         char text[20];
         std::snprintf(text, sizeof text, "%u.%u.%u.%u", s.Net.Ip[0], s.Net.Ip[1], s.Net.Ip[2], s.Net.Ip[3]);
         return std::string(text);
     },
     [](std::string_view v, S* s) { return scan_address(v, s->Net.Ip); }},
    {"MacAdresse", [](const S& s) { return text_line(s.Net.Mac, sizeof s.Net.Mac); },
     [](std::string_view v, S* s) { return read_text(v, s->Net.Mac, sizeof s->Net.Mac); }},
    {"IpPort1", [](const S& s) { return ints_line({s.Net.Port1}); },
     [](std::string_view v, S* s) { return read_u16(v, &s->Net.Port1); }},
    {"IpPort2", [](const S& s) { return ints_line({s.Net.Port2}); },
     [](std::string_view v, S* s) { return read_u16(v, &s->Net.Port2); }},
    {"DHCP Mode", [](const S& s) { return ints_line({s.Mode.Dhcp != 0 ? 1 : 0}); },
     [](std::string_view v, S* s) {
         int32_t mode = 0;
         if (!read_int(v, &mode, 0, 1))
             return false;
         s->Mode.Dhcp = static_cast<uint8_t>(mode);
         return true;
     }},
    {"QCONN Mode", [](const S& s) { return ints_line({static_cast<int32_t>(s.Mode.Second & 0xFFFFu)}); },
     [](std::string_view v, S* s) {
         uint16_t mode = 0;
         if (!read_u16(v, &mode))
             return false;
         s->Mode.Second = mode;
         return true;
     }},
};

std::string section(const std::string& name, std::string_view key, const std::string& value)
{
    std::string out = "[" + name + "]\r\n";
    out.append(key);
    out += "=" + value + "\r\n";
    return out;
}

// The value of `key` in section `name`, or nullptr.
const std::string* find_value(const Sections& sections, const std::string& name, const char* key)
{
    const auto at = sections.find(lower(name));
    if (at == sections.end())
        return nullptr;
    const auto value = at->second.find(key);
    return value == at->second.end() ? nullptr : &value->second;
}

// 0 with the sections of a sealed file, or -1.
int read_file(const std::string& path, Sections* sections)
{
    std::string body;
    if (!read_sealed(path, &body))
        return -1;
    *sections = parse_ini(body);
    return 0;
}

}  // namespace

int C_Q_CnfUsineCtrlCmd::F_SaveFileCnfModele(CString path) const
{
    sUSINE_SETTINGS copy = m_cnf_ihm;
    std::string body;
    for (int i = 0; i < kNbModelTriples; ++i) {
        const sUSINE_TRIPLE& t = *triple_at(&copy, i);
        body += section(triple_key(i), "Value", doubles_line({t.X, t.Y, t.Z}));
    }
    for (int k = 0; k < USINE_NB_MATRIX; ++k) {
        body += "[" + matrix_key(k) + "]\r\n";
        for (int r = 0; r < 3; ++r) {
            const double* row = copy.Matrix[k].M[r];
            body += "Row" + std::to_string(r) + "=" + doubles_line({row[0], row[1], row[2]}) + "\r\n";
        }
    }
    return write_sealed(path.str(), body) ? 0 : -1;
}

int C_Q_CnfUsineCtrlCmd::F_LoadFileCnfModele(CString path)
{
    Sections sections;
    if (read_file(path.str(), &sections) != 0)
        return -1;
    sUSINE_SETTINGS loaded = m_cnf_ihm;
    for (int i = 0; i < kNbModelTriples; ++i) {
        const std::string* value = find_value(sections, triple_key(i), "value");
        sUSINE_TRIPLE* t = triple_at(&loaded, i);
        if (value == nullptr || !read_doubles<3>(*value, {&t->X, &t->Y, &t->Z}))
            return -2;
    }
    for (int k = 0; k < USINE_NB_MATRIX; ++k) {
        for (int r = 0; r < 3; ++r) {
            const std::string key = "row" + std::to_string(r);
            const std::string* value = find_value(sections, matrix_key(k), key.c_str());
            double* row = loaded.Matrix[k].M[r];
            if (value == nullptr || !read_doubles<3>(*value, {&row[0], &row[1], &row[2]}))
                return -2;
        }
    }
    m_cnf_ihm = loaded;
    return 0;
}

int C_Q_CnfUsineCtrlCmd::F_SaveFileCnfSystem(CString path) const
{
    std::string body;
    for (const SystemKey& key : kSystemKeys)
        body += section(key.name, "Value", key.write(m_cnf_ihm));
    return write_sealed(path.str(), body) ? 0 : -1;
}

int C_Q_CnfUsineCtrlCmd::F_LoadFileCnfSystem(CString path)
{
    Sections sections;
    if (read_file(path.str(), &sections) != 0)
        return -1;
    sUSINE_SETTINGS loaded = m_cnf_ihm;
    for (const SystemKey& key : kSystemKeys) {
        const std::string* value = find_value(sections, key.name, "value");
        if (value == nullptr || !key.read(*value, &loaded))
            return -2;
    }
    m_cnf_ihm = loaded;
    return 0;
}
