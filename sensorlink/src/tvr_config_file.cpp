// The Talvor configuration file: an INI text with CR LF line ends, one
// section per settings item ("[RSCM_A]", "[KVBIA]"...) and one key per
// field, closed by the "Secure" section that seals everything before it.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/sensorlink/C_Q_TvrCtrlCmd.h"
#include "tvr_tables.h"

using namespace helm::sensorlink;

namespace {

constexpr std::string_view kSecureHeader = "[Secure]\r\n";

// CRC-32 (IEEE 802.3): the seal's 8-bit XOR misses many changes, so the
// file also carries this over the same bytes. Files without it (older
// ones) are checked by the seal alone.
uint32_t crc32_of(std::string_view bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string secure_section(std::string_view body, bool with_crc)
{
    char line[64];
    std::string tail(kSecureHeader);
    std::snprintf(line, sizeof line, "Secure=%d\r\n", C_Q_Tools::F_CryptCnfBytes(body.data(), body.size()));
    tail += line;
    if (with_crc) {
        std::snprintf(line, sizeof line, "Crc32=%08X\r\n", static_cast<unsigned>(crc32_of(body)));
        tail += line;
    }
    return tail;
}

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

using Sections = std::map<std::string, std::map<std::string, std::string>>;

Sections parse_ini(std::string_view body)
{
    Sections sections;
    std::map<std::string, std::string>* current = nullptr;
    while (!body.empty()) {
        std::size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = &sections[lower(line.substr(1, line.size() - 2))];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (current != nullptr && eq != std::string_view::npos)
            (*current)[lower(line.substr(0, eq))] = std::string(line.substr(eq + 1));
    }
    return sections;
}

// The body of a sealed file, or false when the file cannot be read or its
// seal does not match.
bool read_sealed(const std::string& path, std::string* body)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::string bytes;
    char buffer[4096];
    std::size_t got = 0;
    while (bytes.size() <= C_Q_Tools::kMaxCnfFileSize && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    std::fclose(file);
    if (bytes.empty() || bytes.size() > C_Q_Tools::kMaxCnfFileSize || bytes[0] != '[')
        return false;
    std::size_t at = bytes.rfind(std::string("\n") + std::string(kSecureHeader));
    if (at == std::string::npos)
        return false;
    const std::string_view candidate = std::string_view(bytes).substr(0, at + 1);
    const std::string_view tail = std::string_view(bytes).substr(at + 1);
    if (tail != secure_section(candidate, true) && tail != secure_section(candidate, false))
        return false;
    *body = std::string(candidate);
    return true;
}

bool item_in_model(const tvr::SettingsGroup& row, int index, const sTVR_SETTINGS& sys)
{
    if (!(row.models & tvr::model_mask(sys.SystemType)))
        return false;
    if (row.bound == tvr::Bound::RsPort)
        return index < sys.NbRsPort;
    if (row.bound == tvr::Bound::AnalogOutput)
        return index < sys.NbAnalogicOutput;
    return true;
}

template <class F>
void for_each_item(const sTVR_SETTINGS& sys, F f)
{
    for (std::size_t r = 0; r < tvr::settings_group_count(); ++r) {
        const tvr::SettingsGroup& row = tvr::settings_group(r);
        for (int index = 0; index < row.count; ++index) {
            if (item_in_model(row, index, sys))
                f(row, index);
        }
    }
}

template <class F>
void for_each_field(const tvr::SettingsGroup& row, F f)
{
    for (std::size_t i = 0; i < row.layout.count; ++i)
        f(row.layout.fields[i]);
    for (std::size_t i = 0; i < row.file_extra.count; ++i)
        f(row.file_extra.fields[i]);
}

// The read settings with every well-formed value of the file over them.
void apply_file(const Sections& sections, sTVR_SETTINGS* settings)
{
    const sTVR_SETTINGS sys = *settings;
    for_each_item(sys, [&](const tvr::SettingsGroup& row, int index) {
        const auto section = sections.find(lower(tvr::item_name(row, index)));
        if (section == sections.end())
            return;
        unsigned char* item = tvr::item_of(settings, row, index);
        for_each_field(row, [&](const tvr::Field& field) {
            const auto value = section->second.find(lower(field.key));
            if (value != section->second.end())
                tvr::read_field(value->second, field, item);
        });
    });
}

}  // namespace

int C_Q_TvrCtrlCmd::F_SaveTvrCnfFile(const std::string& path)
{
    const sTVR_SETTINGS& sys = m_cnf_sys;
    std::string body = "[System]\r\nSystemType=" + std::to_string(sys.SystemType) + "\r\n";
    body += "SystemName=" + tvr::sentence_safe(std::string_view(sys.SystemName, strnlen(sys.SystemName, TVR_TEXT_SIZE)), true) + "\r\n";
    body += "SerialNumber=" +
            tvr::sentence_safe(std::string_view(sys.SerialNumber, strnlen(sys.SerialNumber, TVR_TEXT_SIZE)), true) + "\r\n";
    sTVR_SETTINGS copy = sys;
    for_each_item(sys, [&](const tvr::SettingsGroup& row, int index) {
        body += "[" + tvr::item_name(row, index) + "]\r\n";
        const unsigned char* item = tvr::item_of(&copy, row, index);
        for_each_field(row, [&](const tvr::Field& field) {
            body += field.key;
            body += '=';
            tvr::append_field(&body, field, item);
            body += "\r\n";
        });
    });
    const std::string bytes = body + secure_section(body, true);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return -1;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed ? 0 : -1;
}

int C_Q_TvrCtrlCmd::F_PrepareLoadTvrCnfFile(const std::string& path)
{
    std::string body;
    if (!read_sealed(path, &body))
        return -2;
    sTVR_SETTINGS loaded = m_cnf_sys;
    apply_file(parse_ini(body), &loaded);
    m_cnf_ihm = loaded;
    return 0;
}

int C_Q_TvrCtrlCmd::F_ReBootLoadTvrCnfFile(const std::string& path)
{
    std::string body;
    if (!read_sealed(path, &body))
        return 0;
    sTVR_SETTINGS loaded = m_cnf_sys;
    apply_file(parse_ini(body), &loaded);
    const sTVR_SETTINGS& sys = m_cnf_sys;
    const bool differs = loaded.AxisOrientation != sys.AxisOrientation ||
                         loaded.EthDhcpMode != sys.EthDhcpMode ||
                         std::memcmp(loaded.EthIpAddress, sys.EthIpAddress, 4) != 0 ||
                         std::memcmp(loaded.EthNetMask, sys.EthNetMask, 4) != 0 || loaded.Bias.X != sys.Bias.X ||
                         loaded.Bias.Y != sys.Bias.Y || loaded.Bias.Z != sys.Bias.Z;
    return differs ? 1 : 0;
}
