// What the sensors' configuration files share: an INI text with CR LF line
// ends, closed by the "[Secure]" section that seals every byte before it
// (the 8-bit seal of C_Q_Tools and a CRC-32).
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace helm::sensorlink::cnf {

// Section and key names are compared without case.
using Sections = std::map<std::string, std::map<std::string, std::string>>;

std::string lower(std::string_view text);
Sections parse_ini(std::string_view body);
// The "[Secure]" section for `body`, with or without its CRC line.
std::string secure_section(std::string_view body, bool with_crc);
// The body of a sealed file, or false when the file cannot be read, is
// over the size limit, does not start with a section, has no seal at its
// end or a seal that does not match.
bool read_sealed(const std::string& path, std::string* body);
// Writes the body and its seal: false when the file cannot be written.
bool write_sealed(const std::string& path, const std::string& body);

}  // namespace helm::sensorlink::cnf
