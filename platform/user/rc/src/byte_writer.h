// Little-endian writer for the resource byte forms, with the WORD and
// DWORD alignment those forms require.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace helm::rc {

class ByteWriter {
public:
    void byte(uint8_t value) { m_bytes.push_back(value); }
    void word(uint16_t value)
    {
        byte(static_cast<uint8_t>(value));
        byte(static_cast<uint8_t>(value >> 8));
    }
    void dword(uint32_t value)
    {
        word(static_cast<uint16_t>(value));
        word(static_cast<uint16_t>(value >> 16));
    }
    void bytes(const uint8_t* data, size_t size) { m_bytes.insert(m_bytes.end(), data, data + size); }
    // The characters and a terminating zero.
    void wide_string(const std::u16string& text)
    {
        for (char16_t c : text)
            word(c);
        word(0);
    }
    void align(size_t boundary)
    {
        while (m_bytes.size() % boundary)
            byte(0);
    }
    void patch_word(size_t at, uint16_t value)
    {
        m_bytes[at] = static_cast<uint8_t>(value);
        m_bytes[at + 1] = static_cast<uint8_t>(value >> 8);
    }
    size_t size() const { return m_bytes.size(); }
    std::vector<uint8_t> take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

}  // namespace helm::rc
