#include "port_dump.h"

#include <algorithm>
#include <cstring>

#include "helm/portlink/channel_memory.h"
#include "helm/portlink/protocol_dispatch.h"

namespace helm::portserver {

PortDump::~PortDump()
{
    if (m_raw)
        std::fclose(m_raw);
    if (m_parsed)
        std::fclose(m_parsed);
}

std::FILE* PortDump::open(std::FILE*& file, const char* name)
{
    if (!file && on()) {
        const std::string path = m_folder + name + std::to_string(m_port) + ".txt";
        file = std::fopen(path.c_str(), "ab");
    }
    return file;
}

void PortDump::raw(const BYTE* data, size_t length)
{
    if (length == 0 || !open(m_raw, "ZQO_SerialDump"))
        return;
    std::fwrite(data, 1, length, m_raw);
    std::fflush(m_raw);
}

void PortDump::parsed(DWORD timeStamp, const BYTE* recordArea, const DWORD* offsets, int count)
{
    if (count <= 0 || !open(m_parsed, "ZQO_ParsedDump"))
        return;
    for (int i = 0; i < std::min(count, PARSE_MAX_RECORDS); ++i) {
        if (offsets[i] > MMF_RECORD_AREA_SIZE - PARSED_RECORD_HEAD_SIZE)
            continue;
        sPARSED_RECORD head;
        std::memcpy(&head, recordArea + offsets[i], sizeof head);
        std::fprintf(m_parsed, "T=%u,K=%u,L=%u,O=%u\r\n", static_cast<unsigned>(timeStamp),
                     static_cast<unsigned>(head.kind), static_cast<unsigned>(head.length),
                     static_cast<unsigned>(offsets[i]));
    }
    std::fflush(m_parsed);
}

}  // namespace helm::portserver
