#include "cnf_file.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "helm/kernel/station_path.h"
#include "helm/sensorlink/C_Q_Tools.h"

namespace helm::sensorlink::cnf {
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

}  // namespace

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
    std::FILE* file = std::fopen(helm::kernel::native_path(path).c_str(), "rb");
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

bool write_sealed(const std::string& path, const std::string& body)
{
    const std::string bytes = body + secure_section(body, true);
    std::FILE* file = std::fopen(helm::kernel::native_path(path).c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

}  // namespace helm::sensorlink::cnf
