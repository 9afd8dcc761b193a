// String tables: block id / 16 + 1 of RT_STRING holds the sixteen strings
// of that range, each a length and its UTF-16 characters.

#include <algorithm>
#include <cstring>

#include "resource_codepage.h"
#include "resource_table.h"

namespace helm::user {
namespace {

struct WideString {
    const unsigned char* chars = nullptr;  // UTF-16 little-endian, not terminated
    size_t length = 0;
};

// The string inside a block, or nullopt when the block is too short for
// what its lengths claim.
std::optional<WideString> string_in_block(const ResourceEntry& block, UINT id)
{
    size_t at = 0;
    for (UINT slot = 0;; ++slot) {
        if (at + 2 > block.size)
            return std::nullopt;
        const size_t length = block.data[at] | (block.data[at + 1] << 8);
        at += 2;
        if (length * 2 > block.size - at)
            return std::nullopt;
        if (slot == (id & 15))
            return WideString{block.data + at, length};
        at += length * 2;
    }
}

std::optional<WideString> find_string(HMODULE module, UINT id, std::optional<LANGID> language)
{
    if (id > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return std::nullopt;
    }
    DWORD error = 0;
    const ResourceEntry* block =
        resources::find(module, RT_STRING, MAKEINTRESOURCE(id / 16 + 1), language, &error);
    if (!block) {
        SetLastError(error);
        return std::nullopt;
    }
    const auto found = string_in_block(*block, id);
    if (!found || found->length == 0) {
        SetLastError(found ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_DATA_NOT_FOUND);
        return std::nullopt;
    }
    return found;
}

char16_t wide_at(const WideString& s, size_t i)
{
    return static_cast<char16_t>(s.chars[2 * i] | (s.chars[2 * i + 1] << 8));
}

// UTF-16 to 8-bit text; a character the code page lacks becomes '?', as
// WideCharToMultiByte does by default.
char narrow(char16_t c)
{
    const int byte = codepage::from_unicode(c);
    return static_cast<char>(byte < 0 ? '?' : byte);
}

}  // namespace

std::optional<std::string> string_resource(HMODULE module, UINT id, LANGID language)
{
    const auto found = find_string(module, id, language);
    if (!found)
        return std::nullopt;
    std::string out(found->length, '\0');
    for (size_t i = 0; i < found->length; ++i)
        out[i] = narrow(wide_at(*found, i));
    return out;
}

}  // namespace helm::user

int LoadString(HINSTANCE module, UINT id, LPSTR buffer, int size)
{
    if (!buffer || size <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = 0;
    const auto found = helm::user::find_string(module, id, std::nullopt);
    if (!found)
        return 0;
    const size_t count = std::min(found->length, static_cast<size_t>(size - 1));
    for (size_t i = 0; i < count; ++i)
        buffer[i] = helm::user::narrow(helm::user::wide_at(*found, i));
    buffer[count] = 0;
    return static_cast<int>(count);
}

int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int size)
{
    if (!buffer || size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (size > 0)
        buffer[0] = 0;
    const auto found = helm::user::find_string(module, id, std::nullopt);
    if (!found)
        return 0;
    if (size == 0) {
        // The resource's own characters: little-endian UTF-16, aligned by
        // the compiler, so they read as WCHARs in place.
        const auto* chars = reinterpret_cast<LPCWSTR>(found->chars);
        std::memcpy(buffer, &chars, sizeof chars);
        return static_cast<int>(found->length);
    }
    const size_t count = std::min(found->length, static_cast<size_t>(size - 1));
    for (size_t i = 0; i < count; ++i)
        buffer[i] = helm::user::wide_at(*found, i);
    buffer[count] = 0;
    return static_cast<int>(count);
}
