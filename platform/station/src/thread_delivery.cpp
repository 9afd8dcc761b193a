// Cross-process PostThreadMessage: the kernel hands the station every post
// to a thread of another process; it travels as one thread_message packet
// to that process's endpoint, whose receiver puts it in the thread's queue.
//
// A sender remembers which process each thread belongs to, so a post costs
// no look at /proc. What it remembers is forgotten when the send fails (the
// process has gone) or when the process answers a message with thread_gone
// (the thread has ended there): the post after that looks again and fails.

#include <unistd.h>

#include <cstring>
#include <thread>

#include "helm/kernel/error.h"
#include "helm/kernel/messages.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/threads.h"
#include "helm/kernel/trace.h"
#include "helm/station/fabric.h"
#include "process_info.h"

namespace helm::station {
namespace {

// How long an arriving message waits for room in a full queue before it is
// dropped, as a post to a full queue fails on Windows. Meanwhile the
// receiver reads nothing, so senders feel the back-pressure.
constexpr uint64_t full_queue_patience_ms = 2000;

// Tells the sender that `threadId` is no thread of this process (any more).
// Best effort: a sender whose endpoint is full hears it at its next post.
// This process knows its own threads and never posts to them through here.
void answer_thread_gone(DWORD sender, DWORD threadId)
{
    if (sender == current_process_id())
        return;
    ThreadGonePayload gone{};
    gone.thread_id = threadId;
    try_send_packet(sender, packet_kind::thread_gone, std::as_bytes(std::span(&gone, 1)));
}

bool forget_gone_thread(const PacketHeader& header, std::span<const std::byte> payload)
{
    ThreadGonePayload gone;
    if (payload.size() != sizeof gone)
        return false;
    std::memcpy(&gone, payload.data(), sizeof gone);
    if (gone.thread_id == 0 || gone.reserved != 0)
        return false;
    forget_thread_of(gone.thread_id, header.sender_pid);
    return true;
}

bool deliver_thread_message(const PacketHeader& header, std::span<const std::byte> payload)
{
    ThreadMessagePayload packet;
    if (payload.size() != sizeof packet)
        return false;
    std::memcpy(&packet, payload.data(), sizeof packet);
    if (packet.thread_id == 0 || packet.reserved != 0)
        return false;
    MSG msg{};
    msg.message = packet.message;
    msg.wParam = static_cast<WPARAM>(packet.wparam);
    msg.lParam = static_cast<LPARAM>(packet.lparam);
    msg.time = packet.time;
    msg.pt = {packet.pt_x, packet.pt_y};
    switch (kernel::post_to_local_thread(packet.thread_id, msg)) {
    case kernel::LocalPost::delivered: return true;
    case kernel::LocalPost::no_queue:
        answer_thread_gone(header.sender_pid, packet.thread_id);
        return false;
    case kernel::LocalPost::full: break;
    }
    const uint64_t deadline = kernel::steady_ms() + full_queue_patience_ms;
    while (kernel::steady_ms() < deadline && kernel::is_local_thread(packet.thread_id)) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (kernel::post_to_local_thread(packet.thread_id, msg) == kernel::LocalPost::delivered)
            return true;
    }
    kernel::trace("station: queue of thread %u stayed full, message 0x%x dropped\n", packet.thread_id,
                  packet.message);
    return false;
}

class StationDelivery final : public kernel::RemoteDelivery {
public:
    BOOL post_thread_message(DWORD threadId, const MSG& msg) override
    {
        DWORD pid = process_of_thread_cached(threadId);
        if (pid == 0 || pid == current_process_id()) {
            SetLastError(ERROR_INVALID_THREAD_ID);
            return FALSE;
        }
        ThreadMessagePayload packet{};
        packet.thread_id = threadId;
        packet.message = msg.message;
        packet.wparam = static_cast<uint64_t>(msg.wParam);
        packet.lparam = static_cast<int64_t>(msg.lParam);
        packet.time = msg.time;
        packet.pt_x = msg.pt.x;
        packet.pt_y = msg.pt.y;
        switch (send_packet(pid, packet_kind::thread_message, std::as_bytes(std::span(&packet, 1)))) {
        case SendResult::sent:
            return TRUE;
        case SendResult::busy:
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return FALSE;
        default:
            forget_thread(threadId);
            SetLastError(ERROR_INVALID_THREAD_ID);
            return FALSE;
        }
    }

    void first_queue_created() override { open_endpoint(); }
};

// Installed when the library loads; the endpoint waits for the first queue.
const bool installed = [] {
    register_packet_handler(packet_kind::thread_message, deliver_thread_message);
    register_packet_handler(packet_kind::thread_gone, forget_gone_thread);
    kernel::set_remote_delivery(new StationDelivery);  // lives as long as the process
    return true;
}();

}  // namespace
}  // namespace helm::station
