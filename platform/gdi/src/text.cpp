#include "helm/gdi/text.h"

#include <strings.h>

#include <iterator>

#include "font_face.h"
#include "objects.h"

namespace helm::gdi {
namespace {

// Windows-1252's bytes 0x80..0x9F; 0 marks the five unassigned ones.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void append_utf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

struct FaceMapping {
    const char* face;
    const char* family;
};

// The Windows faces the suite names, drawn with metric-compatible faces
// where one is installed.
constexpr FaceMapping kFaces[] = {
    {"MS Shell Dlg", "Liberation Sans"},   {"MS Shell Dlg 2", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},  {"Microsoft Sans Serif", "Liberation Sans"},
    {"Tahoma", "Liberation Sans"},         {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},      {"System", "Liberation Sans"},
    {"Segoe UI", "Liberation Sans"},       {"Verdana", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},    {"Courier", "Liberation Mono"},
    {"Fixedsys", "Liberation Mono"},       {"Terminal", "Liberation Mono"},
    {"Lucida Console", "Liberation Mono"}, {"Consolas", "Liberation Mono"},
    {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
};

}  // namespace

std::string utf8_from_1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char byte : text) {
        auto b = static_cast<unsigned char>(byte);
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0 && kHighControls[b - 0x80] != 0)
            c = kHighControls[b - 0x80];
        append_utf8(out, c);
    }
    return out;
}

char cp1252_from_unicode(char32_t c)
{
    if (c == 0 || c >= 0x10000)
        return 0;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (size_t i = 0; i < std::size(kHighControls); ++i)
        if (kHighControls[i] != 0 && kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    // The five unassigned bytes come back from their C1 code points.
    if (c >= 0x80 && c < 0xA0 && kHighControls[c - 0x80] == 0)
        return static_cast<char>(c);
    return 0;
}

std::string text_1252_from_utf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        char32_t c = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
        bool valid = length != 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        const char byte = cp1252_from_unicode(c);
        out += byte || c == 0 ? byte : '?';
        i += length;
    }
    return out;
}

std::string family_for_face(std::string_view face)
{
    if (face.empty())
        return "Liberation Sans";
    for (const FaceMapping& mapping : kFaces) {
        if (face.size() == strlen(mapping.face) && strncasecmp(face.data(), mapping.face, face.size()) == 0)
            return mapping.family;
    }
    return std::string(face);
}

SIZE dialog_base_units(HFONT handle)
{
    auto font = find_object<Font>(handle);
    if (!font)
        return SIZE{0, 0};
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    int width = font->face->width(kAlphabet);
    return SIZE{(width / 26 + 1) / 2, font->face->height()};
}

}  // namespace helm::gdi
