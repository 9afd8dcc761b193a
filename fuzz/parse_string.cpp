// Any frame through the dispatch, under every protocol name of the rule and
// framing tables and any set of option words, at any write offset. A result
// that reports records which do not lie whole in the ring, or that wrote
// outside the ring, is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "helm/portlink/protocol_dispatch.h"
#include "helm/portlink/protocol_table.h"

using namespace helm::portlink;

namespace {

constexpr size_t kGuard = 64;
constexpr uint8_t kGuardByte = 0x5C;

std::vector<std::string> protocol_names()
{
    std::vector<std::string> names;
    for (const ProtocolRule& rule : protocol_rules())
        for (std::string_view word : rule.words)
            if (!word.empty())
                names.emplace_back(word);
    for (const FramingRule& rule : framing_rules())
        names.emplace_back(rule.word);
    names.emplace_back("");
    names.emplace_back("NR202K NR230");
    names.emplace_back("SB_Deso SB_NMEA");
    return names;
}

const char* const kOptionWords[] = {"NOPARSING", "NOGGA", "NOGLL", "NOCLOCK"};
const char* const kNameWords[] = {" NORMC", " NOHDT", " NOVTG"};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<std::string> names = protocol_names();
    static std::vector<BYTE> memory(MMF_RECORD_AREA_SIZE + 2 * kGuard, kGuardByte);
    if (size < 4)
        return 0;
    std::string name = names[data[0] % names.size()];
    std::string options;
    for (unsigned bit = 0; bit < 4; ++bit)
        if (data[1] & (1u << bit))
            options += std::string(kOptionWords[bit]) + ",";
    for (unsigned bit = 0; bit < 3; ++bit)
        if (data[1] & (0x10u << bit))
            name += kNameWords[bit];
    const DWORD start = static_cast<DWORD>(data[2] | data[3] << 8) * 2;  // 0..131070: past the ring too
    const char* frame = reinterpret_cast<const char*>(data + 4);
    const DWORD length = static_cast<DWORD>(size - 4);

    BYTE* ring = memory.data() + kGuard;
    DWORD offsets[PARSE_MAX_RECORDS] = {start};
    int count = -1, bytes = -1;
    const int result = F_ParseStringInMemory(frame, length, name.c_str(), (data[1] & 0x80) ? nullptr : options.c_str(),
                                             1234, ring, offsets, &count, MMF_RECORD_AREA_SIZE, &bytes, nullptr,
                                             nullptr);
    if (result == PARSE_OK) {
        check(count >= 1 && count <= PARSE_MAX_RECORDS);
        uint64_t total = 0;
        for (int i = 0; i < count; ++i) {
            check(offsets[i] < MMF_RECORD_AREA_SIZE - PARSED_RECORD_HEAD_SIZE);
            DWORD record_length;
            std::memcpy(&record_length, ring + offsets[i] + 10, 4);
            check(uint64_t{offsets[i]} + record_length < MMF_RECORD_AREA_SIZE);
            check(ring[offsets[i]] == 0xCE && ring[offsets[i] + 1] == 0xFA);
            total += record_length;
        }
        check(total == static_cast<uint64_t>(bytes));
    } else {
        check(result < 0 && count == 0 && bytes == 0);
    }
    for (size_t i = 0; i < kGuard; ++i)
        check(memory[i] == kGuardByte && memory[kGuard + MMF_RECORD_AREA_SIZE + i] == kGuardByte);

    sPARSED_DATA buffer;
    F_ParseString(frame, length, name.c_str(), options.c_str(), &buffer, 1234, nullptr);
    sPORT_PROTOCOL protocol{};
    std::memcpy(protocol.name, name.data(), std::min(name.size(), sizeof protocol.name));
    P_UpdateFrame(&protocol);
    return 0;
}
