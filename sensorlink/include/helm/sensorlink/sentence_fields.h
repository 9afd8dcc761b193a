// One bounded field scanner for the sensor's answers and data sentences:
// a sentence is cut at its commas (from "$" up to "*" or the end of the
// line) into views of the caller's text, and each field is read by kind.
// Nothing is allocated; a malformed field is a false result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace helm::sensorlink {

class SentenceFields {
public:
    static constexpr std::size_t kMaxFields = 24;
    static constexpr std::size_t kMaxSentence = 512;

    // False when there is no "$", the sentence is longer than kMaxSentence
    // or has more than kMaxFields fields. Field 0 is the address ("$KVCNF").
    bool split(std::string_view sentence);

    std::size_t size() const { return m_count; }
    std::string_view operator[](std::size_t i) const { return i < m_count ? m_fields[i] : std::string_view(); }
    // Fields `first` to the end joined as they stand in the sentence,
    // commas included.
    std::string_view rest(std::size_t first) const;

private:
    std::array<std::string_view, kMaxFields> m_fields{};
    std::size_t m_count = 0;
};

// Each is false on an empty, malformed or out-of-range field.
bool scan_int(std::string_view field, int32_t* out);
bool scan_hex32(std::string_view field, uint32_t* out);
bool scan_float(std::string_view field, float* out);
bool scan_double(std::string_view field, double* out);
// "a.b.c.d", each 0 to 255.
bool scan_address(std::string_view field, uint8_t out[4]);
// Copies at most size - 1 bytes and terminates.
void copy_text(std::string_view field, char* out, std::size_t size);

}  // namespace helm::sensorlink
