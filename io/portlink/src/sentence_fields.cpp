#include "sentence_fields.h"

#include <charconv>
#include <cmath>

#include "helm/portlink/protocol_dispatch.h"

namespace helm::portlink {
namespace {

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool all_digits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.empty();
}

int two_digits(std::string_view text, size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

// hhmmss[.sss]
bool parse_time(std::string_view text, double* seconds)
{
    if (text.size() < 6 || !all_digits(text.substr(0, 6)))
        return false;
    double fraction = 0;
    if (text.size() > 6) {
        if (text[6] != '.' || !all_digits(text.substr(7)) || !parse_number(text.substr(6), &fraction))
            return false;
    }
    const int h = two_digits(text, 0), m = two_digits(text, 2), s = two_digits(text, 4);
    if (h > 23 || m > 59 || s > 60)  // 60: a leap second
        return false;
    *seconds = h * 3600.0 + m * 60.0 + s + fraction;
    return true;
}

// ddmmyy; two-digit years from 80 on are the 1900s.
bool parse_date(std::string_view text, double* date)
{
    if (text.size() != 6 || !all_digits(text))
        return false;
    const int d = two_digits(text, 0), m = two_digits(text, 2), y = two_digits(text, 4);
    const int year = y < 80 ? 2000 + y : 1900 + y;
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12)
        return false;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (d < 1 || d > kDays[m - 1] + (m == 2 && leap ? 1 : 0))
        return false;
    *date = year * 10000.0 + m * 100.0 + d;
    return true;
}

// (d)ddmm.mmm with its hemisphere letter.
bool parse_angle(std::string_view text, std::string_view hemisphere, bool latitude, double* degrees)
{
    double raw = 0;
    if (!parse_number(text, &raw) || raw < 0)
        return false;
    const double whole = std::floor(raw / 100.0);
    const double minutes = raw - whole * 100.0;
    if (minutes >= 60.0)
        return false;
    double value = whole + minutes / 60.0;
    if (value > (latitude ? 90.0 : 180.0))
        return false;
    if (hemisphere.size() != 1)
        return false;
    const char h = hemisphere[0];
    if (latitude ? (h != 'N' && h != 'S') : (h != 'E' && h != 'W'))
        return false;
    if (h == 'S' || h == 'W')
        value = -value;
    *degrees = value;
    return true;
}

}  // namespace

std::string_view trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool parse_number(std::string_view text, double* value)
{
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty() || text[0] == '+')
        return false;
    double result = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(result))
        return false;
    *value = result;
    return true;
}

// One pass over the sentence: the checksum and the field boundaries
// together.
int SentenceFields::split(std::string_view frame)
{
    m_count = 0;
    while (!frame.empty() && (frame.back() == '\n' || frame.back() == '\r'))
        frame.remove_suffix(1);
    if (frame.empty() || frame[0] != '$')
        return PARSE_MALFORMED;
    const char* p = frame.data() + 1;
    const char* const end = frame.data() + frame.size();
    unsigned sum = 0;
    const char* field = nullptr;  // start of the current field, null within the address
    size_t count = 0;
    for (; p != end && *p != '*'; ++p) {
        sum ^= static_cast<unsigned char>(*p);
        if (*p != ',')
            continue;
        if (field) {
            if (count == kMaxFields)
                return PARSE_MALFORMED;
            m_fields[count++] = {field, static_cast<size_t>(p - field)};
        }
        field = p + 1;
    }
    if (field) {
        if (count == kMaxFields)
            return PARSE_MALFORMED;
        m_fields[count++] = {field, static_cast<size_t>(p - field)};
    }
    if (p != end) {
        if (end - p != 3 || hex_digit(p[1]) < 0 || hex_digit(p[2]) < 0)
            return PARSE_MALFORMED;
        if (sum != static_cast<unsigned>(hex_digit(p[1]) * 16 + hex_digit(p[2])))
            return PARSE_BAD_CHECKSUM;
    }
    m_count = count;
    return PARSE_OK;
}

int scan_fields(const SentenceFields& fields, size_t first, std::string_view format, Field* out, size_t out_size)
{
    size_t at = first, n = 0;
    for (char letter : format) {
        if (letter == '_') {
            ++at;
            continue;
        }
        if (n == out_size)
            return PARSE_MALFORMED;
        Field& f = out[n++];
        f = Field{};
        const bool two = letter == 'a' || letter == 'o';
        const std::string_view text = fields[at];
        const std::string_view second = fields[at + 1];
        const bool carried = fields.carries(at);
        at += two ? 2 : 1;
        if (!carried)
            continue;
        if (text.empty()) {  // a hemisphere without its angle is no value either
            f.state = FieldState::empty;
            continue;
        }
        bool ok = false;
        switch (letter) {
        case 'f': ok = parse_number(text, &f.number); break;
        case 'i':
            ok = all_digits(text[0] == '-' ? text.substr(1) : text) && parse_number(text, &f.number);
            break;
        case 'x': {
            unsigned long long v = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
            ok = error == std::errc() && end == text.data() + text.size();
            f.number = static_cast<double>(v);
            break;
        }
        case 'c': ok = text.size() == 1; f.letter = text[0]; break;
        case 't': ok = parse_time(text, &f.number); break;
        case 'd': ok = parse_date(text, &f.number); break;
        case 'a': ok = parse_angle(text, second, true, &f.number); f.letter = second.empty() ? 0 : second[0]; break;
        case 'o': ok = parse_angle(text, second, false, &f.number); f.letter = second.empty() ? 0 : second[0]; break;
        default: return PARSE_MALFORMED;
        }
        if (!ok)
            return PARSE_MALFORMED;
        f.state = FieldState::value;
    }
    return PARSE_OK;
}

}  // namespace helm::portlink
