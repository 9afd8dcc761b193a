#include "channel_parser.h"

#include <cmath>
#include <cstring>

namespace helm::portserver {

void copy_text_field(char* field, size_t size, const char* text)
{
    const size_t length = text ? strnlen(text, size - 1) : 0;
    if (length)
        std::memcpy(field, text, length);
    std::memset(field + length, 0, size - length);
}

namespace {

DWORD tick_of(double timeMs)
{
    // The raw ring lies in shared memory that any client may write: a time
    // that is not a number, or beyond what a double holds exactly, counts
    // as 0. The tick is 32 bits and wraps, as the Timestamper's does.
    constexpr double kExact = 9007199254740992.0;  // 2^53
    if (!std::isfinite(timeMs) || timeMs <= -kExact || timeMs >= kExact)
        return 0;
    return static_cast<DWORD>(static_cast<uint64_t>(std::llround(timeMs)));
}

}  // namespace

ChannelParser::ChannelParser(int port, std::FILE* log, PortDump& dump, portlink::ChannelBlock& raw,
                             portlink::ChannelBlock& parsed, std::mutex& settingsMutex, const sPORT_PROTOCOL& protocol)
    : m_port(port),
      m_log(log),
      m_dump(dump),
      m_raw(raw),
      m_parsed(parsed),
      m_settings_mutex(settingsMutex),
      m_protocol(protocol)
{
}

void ChannelParser::on_raw_record(DWORD offset)
{
    if (!m_raw.valid() || !m_parsed.valid() || offset > MMF_RECORD_AREA_SIZE - RAW_RECORD_HEAD_SIZE)
        return;
    sRAW_RECORD head;
    const BYTE* record = m_raw.record_area() + offset;
    std::memcpy(&head, record, sizeof head);
    if (head.length > MMF_RECORD_AREA_SIZE - RAW_RECORD_HEAD_SIZE - offset)
        return;
    if (m_reset.exchange(false)) {
        m_cutter.reset();
        m_parsed_next = 0;
        m_context = {};
    }
    if (m_framing_changed.exchange(false)) {
        std::lock_guard lock(m_settings_mutex);
        m_cutter.set_framing(m_protocol);
    }
    m_cutter.feed(record + RAW_RECORD_HEAD_SIZE, head.length, head.time_stamp_ms, head.local_time, m_ms_per_character,
                  [this](const char* frame, uint32_t length, double timeMs, const SYSTEMTIME&) {
                      parse_frame(frame, length, timeMs);
                  });
}

void ChannelParser::parse_frame(const char* frame, uint32_t length, double timeMs)
{
    char name[MMF_PROTOCOL_NAME_SIZE], options[sizeof m_protocol.options];
    {
        std::lock_guard lock(m_settings_mutex);
        std::memcpy(name, m_protocol.name, sizeof name);
        std::memcpy(options, m_protocol.options, sizeof options);
    }
    name[sizeof name - 1] = '\0';
    options[sizeof options - 1] = '\0';
    const DWORD stamp = tick_of(timeMs);
    if (m_log)
        std::fprintf(m_log, "P=%d,T=%d,%.*s\r\n", m_port, static_cast<int>(stamp), static_cast<int>(length), frame);
    DWORD offsets[PARSE_MAX_RECORDS] = {m_parsed_next};
    int count = 0, bytes = 0;
    if (F_ParseStringInMemory(frame, length, name, options, stamp, m_parsed.record_area(), offsets, &count,
                              MMF_RECORD_AREA_SIZE, &bytes, &m_context, nullptr) < 0 ||
        count <= 0)
        return;
    portlink::announce_parsed_records(m_parsed, offsets, count);
    m_dump.parsed(stamp, m_parsed.record_area(), offsets, count);
    m_parsed_next = offsets[0] + static_cast<DWORD>(bytes);
}

}  // namespace helm::portserver
