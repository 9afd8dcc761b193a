#include "helm/portlink/channel_block.h"

#include "helm/portlink/protocol_dispatch.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include <windows.h>

namespace helm::portlink {

ChannelBlock::~ChannelBlock() { close(); }

bool ChannelBlock::create(int port, BlockKind kind, const char* protocol)
{
    close();
    if (!is_channel_port(port)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const BlockNames names = block_names(port, kind);
    m_mutex = CreateMutex(nullptr, FALSE, names.mutex);
    if (!m_mutex)
        return false;
    if (is_socket_port(port) && GetLastError() == ERROR_ALREADY_EXISTS) {
        close();
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    m_mapping = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, MMF_BLOCK_SIZE, names.mapping);
    if (!m_mapping) {
        close();
        return false;
    }
    // An existing mapping keeps its own size; the view of a whole block
    // fails on one that is too small.
    m_view = MapViewOfFile(m_mapping, FILE_MAP_ALL_ACCESS, 0, 0, MMF_BLOCK_SIZE);
    if (!m_view) {
        const DWORD error = GetLastError();
        close();
        SetLastError(error);
        return false;
    }
    m_port = port;
    m_kind = kind;
    sMMF_HEADER& h = *header();
    std::memset(&h, 0, sizeof h);
    h.header_size = MMF_HEADER_SIZE;
    h.last_record_offset = -1;
    h.port = port;
    h.subscriber_count = 0;
    set_protocol(protocol);
    return true;
}

void ChannelBlock::close()
{
    if (m_view)
        UnmapViewOfFile(m_view);
    if (m_mapping)
        CloseHandle(m_mapping);
    if (m_mutex)
        CloseHandle(m_mutex);
    m_view = nullptr;
    m_mapping = nullptr;
    m_mutex = nullptr;
    m_port = 0;
}

void ChannelBlock::set_protocol(const char* protocol)
{
    sMMF_HEADER& h = *header();
    std::memset(h.protocol, 0, sizeof h.protocol);
    if (!protocol)
        return;
    const size_t length = strnlen(protocol, sizeof h.protocol - 1);
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(protocol[i]);
        h.protocol[i] = static_cast<char>(is_socket_port(m_port) && c < 0x80 ? std::toupper(c) : c);
    }
}

void ChannelBlock::reset(const char* protocol, double msPerCharacter, bool on, DWORD serverThreadId)
{
    if (!m_view)
        return;
    sMMF_HEADER& h = *header();
    h.header_size = MMF_HEADER_SIZE;
    h.last_record_offset = -1;
    h.ms_per_character = msPerCharacter;
    h.port = m_port;
    set_protocol(protocol);
    h.on = on ? 1 : 0;
    h.server_thread_id = serverThreadId;
}

int ChannelBlock::post(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_view)
        return 0;
    const sMMF_HEADER& h = *header();
    const int32_t listed = h.subscriber_count;
    const int32_t count = std::clamp<int32_t>(listed, 0, MMF_MAX_SUBSCRIBERS);
    DWORD ids[MMF_MAX_SUBSCRIBERS];
    std::memcpy(ids, h.subscribers, sizeof ids);
    DWORD dead[MMF_MAX_SUBSCRIBERS];
    int posted = 0, gone = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (ids[i] == 0)
            continue;
        if (PostThreadMessage(ids[i], message, wParam, lParam))
            ++posted;
        else if (GetLastError() == ERROR_INVALID_THREAD_ID)
            dead[gone++] = ids[i];
    }
    if (gone > 0)
        remove_subscribers(dead, gone);
    return posted;
}

int ChannelBlock::prune_dead_subscribers(DWORD except)
{
    if (!m_view)
        return 0;
    post(WM_NULL, 0, 0);
    const sMMF_HEADER& h = *header();
    const int32_t listed = h.subscriber_count;
    const int32_t count = std::clamp<int32_t>(listed, 0, MMF_MAX_SUBSCRIBERS);
    DWORD ids[MMF_MAX_SUBSCRIBERS];
    std::memcpy(ids, h.subscribers, sizeof ids);
    return static_cast<int>(std::count_if(ids, ids + count, [except](DWORD id) { return except == 0 || id != except; }));
}

void ChannelBlock::remove_subscribers(const DWORD* ids, int count)
{
    const DWORD result = WaitForSingleObject(m_mutex, MMF_MUTEX_WAIT_MS);
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED)
        return;
    sMMF_HEADER& h = *header();
    const int32_t stored = h.subscriber_count;
    int32_t listed = std::clamp<int32_t>(stored, 0, MMF_MAX_SUBSCRIBERS);
    for (int i = 0; i < count; ++i) {
        for (int32_t j = 0; j < listed; ++j) {
            if (h.subscribers[j] != ids[i])
                continue;
            std::memmove(&h.subscribers[j], &h.subscribers[j + 1], (listed - j - 1) * sizeof(DWORD));
            h.subscribers[--listed] = 0;
            break;
        }
    }
    h.subscriber_count = listed;
    ReleaseMutex(m_mutex);
}

int64_t RawRingWriter::write(ChannelBlock& block, double timeStampMs, const SYSTEMTIME& localTime, const BYTE* data,
                             uint32_t length)
{
    if (!block.valid() || (length > 0 && !data))
        return -1;
    const int64_t at = raw_ring_place(m_next, length, m_ring);
    if (at < 0)
        return -1;
    sRAW_RECORD head{};
    head.time_stamp_ms = timeStampMs;
    head.length = static_cast<WORD>(length);
    head.local_time = localTime;
    BYTE* record = block.record_area() + at;
    std::memcpy(record, &head, sizeof head);
    if (length > 0)
        std::memcpy(record + RAW_RECORD_HEAD_SIZE, data, length);
    m_next = static_cast<uint32_t>(at) + RAW_RECORD_HEAD_SIZE + length;
    block.header()->last_record_offset = static_cast<int32_t>(at);
    return at;
}

int post_to_subscribers(const sMMF_HEADER& header, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int32_t listed = header.subscriber_count;
    const int32_t count = std::clamp<int32_t>(listed, 0, MMF_MAX_SUBSCRIBERS);
    DWORD ids[MMF_MAX_SUBSCRIBERS];
    std::memcpy(ids, header.subscribers, sizeof ids);
    int posted = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (ids[i] != 0 && PostThreadMessage(ids[i], message, wParam, lParam))
            ++posted;
    }
    return posted;
}

void announce_parsed_records(ChannelBlock& block, const DWORD* offsets, int count)
{
    if (!block.valid() || !offsets)
        return;
    sMMF_HEADER& h = *block.header();
    const UINT message = channel_messages().new_parsed_data;
    const int port = h.port;
    count = std::clamp(count, 0, PARSE_MAX_RECORDS);
    for (int i = 0; i < count; ++i) {
        const DWORD offset = offsets[i];
        if (offset > MMF_RECORD_AREA_SIZE - PARSED_RECORD_HEAD_SIZE)
            continue;
        block.record_area()[offset + offsetof(sPARSED_RECORD, port)] = static_cast<BYTE>(port);
        h.last_record_offset = static_cast<int32_t>(offset);
        block.post(message, static_cast<WPARAM>(port), static_cast<LPARAM>(offset) + MMF_HEADER_SIZE);
    }
}

bool set_text_to_send(sMMF_HEADER& header, const char* text)
{
    if (!text)
        return false;
    const size_t length = strnlen(text, MMF_TEXT_TO_SEND_SIZE);
    if (length >= MMF_TEXT_TO_SEND_SIZE)
        return false;
    std::memcpy(header.text_to_send, text, length + 1);
    return true;
}

}  // namespace helm::portlink
