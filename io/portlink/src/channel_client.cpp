#include "helm/portlink/channel_client.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include <windows.h>

namespace helm::portlink {
namespace {

sMMF_HEADER* header_of(const sMMF_BLOCK_CLIENT& block) { return static_cast<sMMF_HEADER*>(block.view); }

// Mapping, view, then mutex; a mutex that cannot be opened leaves its handle
// null. A view of a whole block is asked for, so a mapping of that name that
// is smaller than a block cannot be used to reach past its end.
bool open_block(sMMF_BLOCK_CLIENT& block, const BlockNames& names)
{
    block.mapping = OpenFileMapping(FILE_MAP_ALL_ACCESS, FALSE, names.mapping);
    if (!block.mapping)
        return false;
    block.view = MapViewOfFile(block.mapping, FILE_MAP_ALL_ACCESS, 0, 0, MMF_BLOCK_SIZE);
    if (!block.view)
        return false;
    block.mutex = OpenMutex(MUTEX_ALL_ACCESS, FALSE, names.mutex);
    return true;
}

DWORD close_block(sMMF_BLOCK_CLIENT& block)
{
    if (!block.mapping)
        return 0;
    DWORD error = 0;
    if (block.mutex && !CloseHandle(block.mutex))
        error = GetLastError();
    if (block.view && !UnmapViewOfFile(block.view))
        error = GetLastError();
    if (!CloseHandle(block.mapping))
        error = GetLastError();
    block = {};
    return error;
}

// The block's mutex for one change of its subscriber list. An abandoned
// mutex is owned by the waiter; it is released at once so that the list is
// not locked for good, and the change is refused (the dead owner may have
// left the list half changed; the next caller finds it bounded).
class ListLock {
public:
    explicit ListLock(HANDLE mutex) : m_mutex(mutex)
    {
        if (!mutex)
            return;
        const DWORD result = WaitForSingleObject(mutex, MMF_MUTEX_WAIT_MS);
        if (result == WAIT_OBJECT_0) {
            m_owned = true;
        } else if (result == WAIT_ABANDONED) {
            ReleaseMutex(mutex);
            m_refused = true;
        } else if (result == WAIT_TIMEOUT) {
            m_refused = true;
        }
    }
    ~ListLock()
    {
        if (m_owned)
            ReleaseMutex(m_mutex);
    }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
    bool refused() const { return m_refused; }

private:
    HANDLE m_mutex;
    bool m_owned = false;
    bool m_refused = false;
};

// The count as it can be trusted: another process may have written anything.
int32_t bounded_count(const sMMF_HEADER& header)
{
    const int32_t listed = header.subscriber_count;  // a copy: the field is packed
    return std::clamp<int32_t>(listed, 0, MMF_MAX_SUBSCRIBERS);
}

int join_list(const sMMF_BLOCK_CLIENT& block, DWORD threadId)
{
    if (!block.view)
        return 0;
    ListLock lock(block.mutex);
    if (lock.refused())
        return 0;
    sMMF_HEADER& header = *header_of(block);
    const int32_t count = bounded_count(header);
    if (count >= MMF_MAX_SUBSCRIBERS)
        return 0;
    header.subscribers[count] = threadId;
    // The server reads the list without the mutex: the id is there before
    // the count that makes it visible.
    std::atomic_thread_fence(std::memory_order_release);
    header.subscriber_count = count + 1;
    return 1;
}

int leave_list(const sMMF_BLOCK_CLIENT& block, DWORD threadId)
{
    if (!block.view)
        return 0;
    ListLock lock(block.mutex);
    if (lock.refused())
        return 0;
    sMMF_HEADER& header = *header_of(block);
    const int32_t count = bounded_count(header);
    if (count == 0)
        return 0;
    for (int32_t i = 0; i < count; ++i) {
        if (header.subscribers[i] != threadId)
            continue;
        for (int32_t j = i + 1; j < count; ++j)
            header.subscribers[j - 1] = header.subscribers[j];
        header.subscriber_count = count - 1;
        break;
    }
    return 1;
}

template <class T>
T load(const BYTE* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The record's extent as its own length field gives it, checked against the
// view: 0 when it does not lie whole in the record area.
int get_record(const sMMF_BLOCK_CLIENT& block, LPARAM offset, BYTE** record, BlockKind kind)
{
    if (!record)
        return 0;
    *record = nullptr;
    if (!block.view || offset < MMF_HEADER_SIZE || offset >= MMF_BLOCK_SIZE)
        return 0;
    const BYTE* at = static_cast<const BYTE*>(block.view) + offset;
    const uint64_t room = static_cast<uint64_t>(MMF_BLOCK_SIZE - offset);
    uint64_t extent = 0;
    if (kind == BlockKind::parsed) {
        if (room < PARSED_RECORD_HEAD_SIZE)
            return 0;
        extent = load<DWORD>(at + offsetof(sPARSED_RECORD, length));
        if (extent < PARSED_RECORD_HEAD_SIZE)
            return 0;
    } else {
        if (room < RAW_RECORD_HEAD_SIZE)
            return 0;
        extent = RAW_RECORD_HEAD_SIZE + static_cast<uint64_t>(load<WORD>(at + offsetof(sRAW_RECORD, length)));
    }
    if (extent > room)
        return 0;
    *record = static_cast<BYTE*>(block.view) + offset;
    return 1;
}

}  // namespace

sMMF_HEADER* parsed_header(const sMMF_CLIENT& handle) { return header_of(handle.parsed); }
sMMF_HEADER* raw_header(const sMMF_CLIENT& handle) { return header_of(handle.raw); }

int read_raw_text(const sMMF_CLIENT& handle, LPARAM offset, char* out, size_t size)
{
    BYTE* record = nullptr;
    if (!out || size == 0 || !get_record(handle.parsed, offset, &record, BlockKind::parsed))
        return -1;
    // One copy of the head, so that a writer changing it meanwhile cannot
    // move the bounds after they were checked.
    sRAW_TEXT_RECORD head;
    const uint64_t room = static_cast<uint64_t>(MMF_BLOCK_SIZE - offset);
    if (room < sizeof head)
        return -1;
    std::memcpy(&head, record, sizeof head);
    if (head.magic != PARSED_RECORD_MAGIC || head.kind != REC_RAW_TEXT)
        return -1;
    const uint64_t text_end = RAW_TEXT_HEAD_SIZE + static_cast<uint64_t>(head.text_length);
    if (text_end > head.length || text_end > room || head.text_length >= size)
        return -1;
    std::memcpy(out, record + RAW_TEXT_HEAD_SIZE, head.text_length);
    out[head.text_length] = '\0';
    return head.text_length;
}

}  // namespace helm::portlink

using namespace helm::portlink;

int F_OpenSerialMMF(sMMF_CLIENT* handle, int port)
{
    if (!handle)
        return 0;
    *handle = {};
    if (!is_channel_port(port))
        return 0;
    handle->port = static_cast<DWORD>(port);
    if (!open_block(handle->parsed, block_names(port, BlockKind::parsed)))
        return 0;
    if (!open_block(handle->raw, block_names(port, BlockKind::raw)))
        return 0;
    return 1;
}

int F_CloseSerialMMF(sMMF_CLIENT* handle)
{
    if (!handle)
        return ERROR_INVALID_PARAMETER;
    const DWORD parsed = close_block(handle->parsed);
    const DWORD raw = close_block(handle->raw);
    return static_cast<int>(raw ? raw : parsed);
}

int F_ConnectThreadToMMF(sMMF_CLIENT* handle, DWORD threadId, int mode)
{
    if (!handle)
        return 0;
    switch (mode) {
    case 0: return join_list(handle->parsed, threadId);
    case 1: return join_list(handle->raw, threadId);
    case 2: return join_list(handle->parsed, threadId) && join_list(handle->raw, threadId) ? 1 : 0;
    default: return 0;
    }
}

int F_DisconnectThreadToMMF(sMMF_CLIENT* handle, DWORD threadId)
{
    if (!handle)
        return 0;
    const int parsed = leave_list(handle->parsed, threadId);
    const int raw = leave_list(handle->raw, threadId);
    return parsed && raw ? 1 : 0;
}

int F_GetParsedMMFData(sMMF_CLIENT* handle, LPARAM offset, BYTE** record)
{
    if (!handle) {
        if (record)
            *record = nullptr;
        return 0;
    }
    return get_record(handle->parsed, offset, record, BlockKind::parsed);
}

int F_GetRawMMFData(sMMF_CLIENT* handle, LPARAM offset, BYTE** record)
{
    if (!handle) {
        if (record)
            *record = nullptr;
        return 0;
    }
    return get_record(handle->raw, offset, record, BlockKind::raw);
}
