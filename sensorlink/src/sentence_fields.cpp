#include "helm/sensorlink/sentence_fields.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace helm::sensorlink {

bool SentenceFields::split(std::string_view sentence)
{
    m_count = 0;
    const std::size_t start = sentence.find('$');
    if (start == std::string_view::npos)
        return false;
    std::string_view body = sentence.substr(start);
    const std::size_t end = body.find_first_of("*\r\n");
    if (end != std::string_view::npos)
        body = body.substr(0, end);
    if (body.size() > kMaxSentence)
        return false;
    std::size_t from = 0;
    while (true) {
        if (m_count == kMaxFields)
            return false;
        const std::size_t comma = body.find(',', from);
        m_fields[m_count++] = body.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from);
        if (comma == std::string_view::npos)
            return true;
        from = comma + 1;
    }
}

std::string_view SentenceFields::rest(std::size_t first) const
{
    if (first >= m_count)
        return {};
    const char* begin = m_fields[first].data();
    const char* end = m_fields[m_count - 1].data() + m_fields[m_count - 1].size();
    return std::string_view(begin, static_cast<std::size_t>(end - begin));
}

namespace {

std::string_view without_plus(std::string_view field)
{
    if (!field.empty() && field[0] == '+')
        field.remove_prefix(1);
    return field;
}

template <class T>
bool scan_number(std::string_view field, T* out, int base = 10)
{
    field = without_plus(field);
    if (field.empty())
        return false;
    T value{};
    std::from_chars_result r;
    if constexpr (std::is_floating_point_v<T>)
        r = std::from_chars(field.data(), field.data() + field.size(), value, std::chars_format::general);
    else
        r = std::from_chars(field.data(), field.data() + field.size(), value, base);
    if (r.ec != std::errc() || r.ptr != field.data() + field.size())
        return false;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value))
            return false;
    }
    *out = value;
    return true;
}

}  // namespace

bool scan_int(std::string_view field, int32_t* out)
{
    return scan_number(field, out);
}

bool scan_hex32(std::string_view field, uint32_t* out)
{
    return field.size() <= 8 && field.find_first_of("+-") == std::string_view::npos && scan_number(field, out, 16);
}

bool scan_double(std::string_view field, double* out)
{
    return scan_number(field, out);
}

bool scan_float(std::string_view field, float* out)
{
    double value = 0;
    if (!scan_double(field, &value) || std::fabs(value) > std::numeric_limits<float>::max())
        return false;
    *out = static_cast<float>(value);
    return true;
}

bool scan_address(std::string_view field, uint8_t out[4])
{
    uint8_t bytes[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = field.find('.');
        const std::string_view part = i < 3 ? field.substr(0, dot) : field;
        if ((i < 3 && dot == std::string_view::npos) || part.empty() || part.size() > 3 || part[0] == '+')
            return false;
        int32_t value = 0;
        if (!scan_int(part, &value) || value < 0 || value > 255)
            return false;
        bytes[i] = static_cast<uint8_t>(value);
        if (i < 3)
            field.remove_prefix(dot + 1);
    }
    for (int i = 0; i < 4; ++i)
        out[i] = bytes[i];
    return true;
}

void copy_text(std::string_view field, char* out, std::size_t size)
{
    if (out == nullptr || size == 0)
        return;
    const std::size_t n = field.size() < size - 1 ? field.size() : size - 1;
    field.copy(out, n);
    out[n] = '\0';
}

}  // namespace helm::sensorlink
