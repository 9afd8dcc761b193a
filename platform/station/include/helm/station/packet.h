// The packets processes of a station exchange, one Unix datagram each.
//
// Every packet starts with PacketHeader; the payload that follows is the
// kind's own structure. All fields are in the host's byte order (a station
// never leaves the machine). A receiver checks magic, version, size and
// kind before a handler sees the packet, and each handler checks its
// payload.
#pragma once

#include <cstddef>
#include <cstdint>

namespace helm::station {

inline constexpr uint32_t packet_magic = 0x534D4C48;  // "HLMS"
inline constexpr uint16_t packet_version = 1;

struct PacketHeader {
    uint32_t magic;
    uint16_t version;
    uint16_t kind;
    uint32_t size;        // header and payload, in bytes: the datagram's length
    uint32_t sender_pid;
    uint32_t sender_tid;  // the thread that sent, for replies to it
    uint32_t request_id;  // non-zero in a request that wants a reply, and in that reply
    uint32_t reserved[2]; // zero
};
static_assert(sizeof(PacketHeader) == 32);

// Payloads up to this size (a WM_COPYDATA block of 64 KiB with its fields
// and headroom) cross the fabric.
inline constexpr size_t max_payload = 64 * 1024 + 1024;
inline constexpr size_t max_packet = sizeof(PacketHeader) + max_payload;

// Kinds below 16 belong to the fabric; 16..255 are for the window layer.
namespace packet_kind {
inline constexpr uint16_t thread_message = 1;
inline constexpr uint16_t thread_gone = 2;
inline constexpr uint16_t first_window_kind = 16;
inline constexpr uint16_t limit = 256;
}  // namespace packet_kind

// packet_kind::thread_message: a PostThreadMessage to a thread of the
// receiving process.
struct ThreadMessagePayload {
    uint32_t thread_id;
    uint32_t message;
    uint64_t wparam;
    int64_t lparam;
    uint32_t time;
    int32_t pt_x;
    int32_t pt_y;
    uint32_t reserved;  // zero
};
static_assert(sizeof(ThreadMessagePayload) == 40);

// packet_kind::thread_gone: the answer to a thread message for a thread
// that has no queue in the receiving process (it has ended), so that the
// sender stops taking it for one of that process's threads.
struct ThreadGonePayload {
    uint32_t thread_id;
    uint32_t reserved;  // zero
};
static_assert(sizeof(ThreadGonePayload) == 8);

}  // namespace helm::station
