// Script text to resource text: scripts are UTF-8, and every string must be
// writable in Windows-1252 because the suite reads it back as 8-bit text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace helm::rc {

// Reads one UTF-8 sequence at `pos`, advancing it; nullopt on a malformed
// or overlong sequence.
std::optional<char32_t> decode_utf8(std::string_view text, size_t& pos);

// Whether Windows-1252 has the code point (all such lie in the BMP).
bool in_code_page(char32_t code);

// Upper-cases the ASCII letters, as resource names compare.
std::string ascii_upper(std::string_view text);

}  // namespace helm::rc
