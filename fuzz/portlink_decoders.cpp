// Every decoder of the dispatch tables, reached on purpose: the first byte
// picks a sentence row (its address and first field are written for it, and
// the checksum is made right unless the second byte says otherwise) or a
// protocol row (the bytes go as they are). The dispatch runs with a port
// context, at any write offset; records that do not lie whole in the ring,
// a write outside it, or a failure reported with records are findings.
#include <cstddef>
#include <cstdint>
#include <cstdio>
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

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Target {
    std::string protocol;
    std::string prefix;  // for a sentence row: "$GP" + id + "," + first field
    bool sentence = false;
};

std::vector<Target> targets()
{
    std::vector<Target> list;
    for (const SentenceRule& rule : sentence_rules()) {
        Target t;
        t.protocol = rule.name_word.empty() ? "NMEA0183" : std::string(rule.name_word);
        const bool talker = rule.id.size() == 3;
        t.prefix = "$" + std::string(talker ? "GP" : "") + std::string(rule.id) + ",";
        if (!rule.first_field.empty())
            t.prefix += std::string(rule.first_field) + ",";
        t.sentence = true;
        list.push_back(t);
    }
    for (const ProtocolRule& rule : protocol_rules())
        if (rule.decoder)
            for (std::string_view word : rule.words)
                if (!word.empty())
                    list.push_back({std::string(word), "", false});
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<Target> all = targets();
    static std::vector<BYTE> memory(MMF_RECORD_AREA_SIZE + 2 * kGuard, kGuardByte);
    static sPORT_PARSE_CONTEXT context{};
    if (size < 4)
        return 0;
    const Target& target = all[data[0] % all.size()];
    const bool keep_checksum = data[1] & 1;
    const char* options = (data[1] & 2) ? "NOCLOCK" : nullptr;
    const DWORD start = static_cast<DWORD>(data[2] | data[3] << 8) * 2;
    std::string frame;
    if (target.sentence) {
        frame = target.prefix;
        frame.append(reinterpret_cast<const char*>(data + 4), size - 4);
        if (!keep_checksum) {
            unsigned sum = 0;
            for (size_t i = 1; i < frame.size(); ++i)
                sum ^= static_cast<unsigned char>(frame[i]);
            char tail[8];
            std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
            frame += tail;
        }
    } else {
        frame.assign(reinterpret_cast<const char*>(data + 4), size - 4);
    }

    BYTE* ring = memory.data() + kGuard;
    DWORD offsets[PARSE_MAX_RECORDS] = {start};
    int count = -1, bytes = -1;
    const int result = F_ParseStringInMemory(frame.data(), static_cast<DWORD>(frame.size()), target.protocol.c_str(),
                                             options, 99, ring, offsets, &count, MMF_RECORD_AREA_SIZE, &bytes,
                                             &context, nullptr);
    if (result == PARSE_OK) {
        check(count >= 1 && count <= PARSE_MAX_RECORDS);
        uint64_t total = 0;
        for (int i = 0; i < count; ++i) {
            DWORD length;
            std::memcpy(&length, ring + offsets[i] + 10, 4);
            check(uint64_t{offsets[i]} + length < MMF_RECORD_AREA_SIZE);
            check(ring[offsets[i]] == 0xCE && ring[offsets[i] + 1] == 0xFA);
            total += length;
        }
        check(total == static_cast<uint64_t>(bytes));
    } else {
        check(result < 0 && count == 0 && bytes == 0);
    }
    for (size_t i = 0; i < kGuard; ++i)
        check(memory[i] == kGuardByte && memory[kGuard + MMF_RECORD_AREA_SIZE + i] == kGuardByte);

    static sPARSED_DATA slots;
    F_ParseString(frame.data(), static_cast<DWORD>(frame.size()), target.protocol.c_str(), options, &slots, 99,
                  nullptr);
    return 0;
}
