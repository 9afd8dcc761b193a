#include "helm/sensorlink/C_Q_Tools.h"

#include <cstdio>

#include "helm/kernel/station_path.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

struct StatusLevel {
    uint16_t red, green, blue, bold, event_type;
};

StatusLevel level_for_mode(uint32_t mode)
{
    switch (mode) {
    case 2: return {255, 255, 255, 0, 0};
    case 3: return {255, 255, 255, 2, 0};
    case 4: return {0, 255, 0, 0, 2};
    case 5: return {0, 255, 0, 2, 2};
    case 6: return {255, 150, 0, 0, 1};
    case 7: return {255, 150, 0, 2, 1};
    case 8: return {255, 0, 0, 0, 1};
    default: return {255, 0, 0, 2, 1};
    }
}

}  // namespace

int C_Q_Tools::F_AddChecksum(std::string* frame)
{
    if (frame == nullptr || frame->empty() || (*frame)[0] != '$')
        return -1;
    unsigned char sum = 0;
    for (std::size_t i = 1; i < frame->size(); ++i)
        sum ^= static_cast<unsigned char>((*frame)[i]);
    frame->push_back('*');
    frame->push_back(kHexDigits[sum >> 4]);
    frame->push_back(kHexDigits[sum & 0x0F]);
    frame->append("\r\n");
    return 0;
}

int C_Q_Tools::F_AddChecksum(CString* frame)
{
    if (frame == nullptr)
        return -1;
    std::string text = frame->str();
    if (F_AddChecksum(&text) != 0)
        return -1;
    *frame = CString(text);
    return 0;
}

bool C_Q_Tools::F_TestNMEAChecksum(const CString* sentence)
{
    return sentence != nullptr && F_TestNMEAChecksum(std::string_view(sentence->str()));
}

bool C_Q_Tools::F_TestNMEAChecksum(std::string_view sentence)
{
    std::size_t i = sentence.find('$');
    if (i == std::string_view::npos)
        return false;
    unsigned char sum = 0;
    for (++i; i < sentence.size(); ++i) {
        const char c = sentence[i];
        if (c == '\r' || c == '\n')
            return false;
        if (c == '*')
            break;
        sum ^= static_cast<unsigned char>(c);
    }
    if (i >= sentence.size() || sentence.size() - i < 3)
        return false;
    return sentence[i + 1] == kHexDigits[sum >> 4] && sentence[i + 2] == kHexDigits[sum & 0x0F];
}

void C_Q_Tools::P_DecodageN1(sSTATUS* status)
{
    if (status == nullptr)
        return;
    const StatusLevel level = level_for_mode(status->code & 0x0F);
    status->red = level.red;
    status->green = level.green;
    status->blue = level.blue;
    status->bold = level.bold;
    status->event_type = level.event_type;
}

int C_Q_Tools::F_CryptCnfBytes(const char* bytes, std::size_t size)
{
    signed char running = 0;
    for (std::size_t i = 1; i < size; ++i)
        running = static_cast<signed char>(running ^ static_cast<signed char>(bytes[i]));
    const unsigned low = static_cast<unsigned char>(running);
    const char digits[2] = {kHexDigits[low >> 4], kHexDigits[low & 0x0F]};
    int result = 0;
    for (char digit : digits) {
        const unsigned c = static_cast<unsigned char>(digit);
        for (int bit = 0; bit < 8; ++bit) {
            if ((c >> bit) & 1u)
                result |= 1 << (bit % 2 == 0 ? 2 * bit : 2 * bit + 14);
        }
        result ^= 0x5D1;
    }
    return result;
}

int C_Q_Tools::F_CryptFileCnf(CString path, int* error)
{
    int local_error = 0;
    int* err = error != nullptr ? error : &local_error;
    std::FILE* file = std::fopen(helm::kernel::native_path(path.str()).c_str(), "rb");
    if (file == nullptr) {
        *err = -1;
        return -1;
    }
    std::string bytes;
    char buffer[2048];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
        if (bytes.size() > kMaxCnfFileSize)
            break;
    }
    std::fclose(file);
    if (bytes.empty() || bytes.size() > kMaxCnfFileSize) {
        *err = -1;
        return -1;
    }
    *err = 0;
    return F_CryptCnfBytes(bytes.data(), bytes.size());
}
