// The station's message fabric: each process that has a message queue owns
// an endpoint (a Unix datagram socket "p<pid>" in the station directory)
// and a receiver thread that hands each arriving packet to the handler of
// its kind. Higher layers add packet kinds with register_packet_handler and
// send_packet; thread messages are the fabric's own kind.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "helm/kernel/types.h"
#include "helm/station/packet.h"

namespace helm::station {

// Runs on the receiver thread with a packet whose header is checked. It must
// check the payload, return false to reject it (counted as dropped), and
// never wait for another process: hand longer work to a thread with
// helm::kernel::queue_sent_work or post_to_local_thread.
using PacketHandler = std::function<bool(const PacketHeader& header, std::span<const std::byte> payload)>;

// Installs (or replaces) the handler of `kind`; false for a kind out of
// range or an empty handler.
bool register_packet_handler(uint16_t kind, PacketHandler handler);

enum class SendResult {
    sent,
    no_endpoint,  // no live endpoint of that process in this station
    too_large,    // payload over max_payload
    busy,         // the receiver has not drained for send_timeout_ms
    failed,       // no station, or a socket error
};

// Sends one packet to process `pid` of this station (this process too).
// Packets from one process to another arrive in the order sent. Blocks while
// the receiver's buffer is full, up to send_timeout_ms.
SendResult send_packet(DWORD pid, uint16_t kind, std::span<const std::byte> payload, uint32_t request_id = 0);
inline constexpr int send_timeout_ms = 5000;
// Like send_packet, but a full receiver gives `busy` at once: for answers
// sent from the receiver thread, which must never wait for another process.
SendResult try_send_packet(DWORD pid, uint16_t kind, std::span<const std::byte> payload, uint32_t request_id = 0);

// A fresh non-zero id for a request expecting a reply, unique in this process.
uint32_t new_request_id();

// Opens this process's endpoint now if it has none (the kernel asks for it
// when the first message queue is created). False when there is no station
// or the socket cannot be bound.
bool open_endpoint();
// The endpoint file of process `pid` in this station ("" without a station).
std::string endpoint_path(DWORD pid);

// Counters of the receiver, for diagnostics and tests.
struct FabricStats {
    uint64_t received = 0;  // packets handed to a handler that took them
    uint64_t dropped = 0;   // datagrams rejected by the checks or a handler
};
FabricStats fabric_stats();

}  // namespace helm::station
