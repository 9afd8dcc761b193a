// The one field scanner of the decoders: a sentence cut into its
// comma-separated fields, and the reading of those fields as a short format
// says. Nothing here allocates; every field is a view into the frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace helm::portlink {

enum class FieldState : uint8_t {
    missing,  // the sentence ends before this field: not carried
    empty,    // carried without a value
    value,
};

struct Field {
    FieldState state = FieldState::missing;
    double number = 0;  // numbers, times (seconds of day), dates (yyyymmdd), angles (degrees)
    char letter = 0;    // 'c' fields and hemispheres

    bool carried() const { return state != FieldState::missing; }
    bool has_value() const { return state == FieldState::value; }
};

// "$ADDR,f0,f1,...*hh" with its CR LF or without. The checksum, when there
// is a "*", must match; the address is not a field.
class SentenceFields {
public:
    static constexpr size_t kMaxFields = 40;

    // PARSE_OK, PARSE_MALFORMED (no "$", more than kMaxFields fields, a
    // "*" without two hex digits) or PARSE_BAD_CHECKSUM.
    int split(std::string_view frame);

    size_t size() const { return m_count; }
    // Field i after the address; an empty view past the last.
    std::string_view operator[](size_t i) const
    {
        return i < m_count ? std::string_view(m_fields[i].data, m_fields[i].size) : std::string_view();
    }
    bool carries(size_t i) const { return i < m_count; }

private:
    // Left uninitialised: only the first m_count are ever read, and a
    // sentence is split once per frame on every port.
    struct Span {
        const char* data;
        size_t size;
    };
    Span m_fields[kMaxFields];
    size_t m_count = 0;
};

// Reads the fields from `first` on, one letter of `format` each, into
// out[0..]; "_" skips a field without an output. Letters:
//   f  number                 i  integer             x  hexadecimal integer
//   c  one character          t  time hhmmss[.ss]    d  date ddmmyy (yyyymmdd)
//   a  latitude ddmm.mm and N/S (two fields)   o  longitude dddmm.mm and E/W (two fields)
// An empty field gives FieldState::empty, a field past the sentence's end
// FieldState::missing. PARSE_MALFORMED for a field that is not what its
// letter asks, a time or date out of range, or more letters than `out_size`.
int scan_fields(const SentenceFields& fields, size_t first, std::string_view format, Field* out, size_t out_size);

// One decimal number filling all of `text` ("+" or "-" allowed, no spaces).
bool parse_number(std::string_view text, double* value);
// `text` without the spaces at both ends.
std::string_view trim(std::string_view text);

}  // namespace helm::portlink
