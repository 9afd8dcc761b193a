// The server's side of the channel shared memory: a block with its named
// mutex as Portserver creates and owns it, the raw ring writer, and the
// announcement of records to the subscribed threads.
#pragma once

#include "helm/portlink/channel_memory.h"

namespace helm::portlink {

// One block of one port, created with its mutex and removed at destruction.
class ChannelBlock {
public:
    ChannelBlock() = default;
    ~ChannelBlock();
    ChannelBlock(const ChannelBlock&) = delete;
    ChannelBlock& operator=(const ChannelBlock&) = delete;

    // Creates the block and its mutex and zero-fills the header, then sets
    // header size, last record offset -1, port, protocol and a subscriber
    // count of 0 (socket blocks are filled the same way, their protocol in
    // upper case). A socket block whose mutex already exists is refused, as
    // is a name held by a mapping smaller than a block. False on failure,
    // with the last error set.
    bool create(int port, BlockKind kind, const char* protocol);
    void close();

    // The reset at each open and close of the port: the header's fields are
    // set again; the subscriber list and the text to send survive.
    void reset(const char* protocol, double msPerCharacter, bool on, DWORD serverThreadId);

    // Posts `message` to each listed subscriber, in list order. A subscriber
    // whose process has gone (the post fails with ERROR_INVALID_THREAD_ID) is
    // taken off the list, so a dead client is not posted to for ever nor
    // counted as subscribed. Returns the posts that succeeded.
    int post(UINT message, WPARAM wParam, LPARAM lParam);
    // Takes off the list every subscriber whose process has gone (probed
    // with WM_NULL) and returns how many are left, `except` (the server's
    // own monitor thread) not counted.
    int prune_dead_subscribers(DWORD except = 0);

    bool valid() const { return m_view != nullptr; }
    int port() const { return m_port; }
    sMMF_HEADER* header() const { return static_cast<sMMF_HEADER*>(m_view); }
    BYTE* record_area() const { return static_cast<BYTE*>(m_view) + MMF_HEADER_SIZE; }

private:
    void set_protocol(const char* protocol);
    void remove_subscribers(const DWORD* ids, int count);

    HANDLE m_mapping = nullptr;
    HANDLE m_mutex = nullptr;
    void* m_view = nullptr;
    int m_port = 0;
    BlockKind m_kind = BlockKind::raw;
};

// Writes the raw records of one port into its raw block's ring and
// announces them.
class RawRingWriter {
public:
    explicit RawRingWriter(RawRing ring) : m_ring(ring) {}

    // Writes one record at the next offset (0 when it would not fit before
    // the end), sets the header's last record offset and returns the
    // record's offset within the record area; -1 for a record that cannot
    // fit in the ring at all (nothing is written).
    int64_t write(ChannelBlock& block, double timeStampMs, const SYSTEMTIME& localTime, const BYTE* data,
                  uint32_t length);
    // After a reset the next record goes to offset 0.
    void reset() { m_next = 0; }
    uint32_t next_offset() const { return m_next; }

private:
    RawRing m_ring;
    uint32_t m_next = 0;
};

// Posts `message` to each subscriber listed in the header, in list order;
// the list is read without the mutex, as the server always has. A post that
// fails (the thread has ended) is skipped. Returns the posts that succeeded.
int post_to_subscribers(const sMMF_HEADER& header, UINT message, WPARAM wParam, LPARAM lParam);

// A serial port's announcement of the records one parse call wrote: for each
// record, the port byte is stamped, the header's last record offset set to
// it, and the parsed message posted (wParam port, lParam offset + 1438).
// Offsets that do not lie in the record area are skipped.
void announce_parsed_records(ChannelBlock& block, const DWORD* offsets, int count);

// Copies a text for the server to transmit into the header (at most 1023
// bytes and the NUL); false, leaving the area alone, when it is longer.
bool set_text_to_send(sMMF_HEADER& header, const char* text);

}  // namespace helm::portlink
