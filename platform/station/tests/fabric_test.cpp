#include "helm/station/fabric.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "helm/kernel/messages.h"
#include "helm/kernel/threads.h"
#include "helm/test/support.h"

using namespace helm::station;

namespace {

std::vector<std::byte> packet_bytes(PacketHeader header, const void* payload, size_t size)
{
    std::vector<std::byte> bytes(sizeof header + size);
    std::memcpy(bytes.data(), &header, sizeof header);
    if (size)
        std::memcpy(bytes.data() + sizeof header, payload, size);
    return bytes;
}

PacketHeader header_for(uint16_t kind, size_t payload_size)
{
    PacketHeader header{};
    header.magic = packet_magic;
    header.version = packet_version;
    header.kind = kind;
    header.size = static_cast<uint32_t>(sizeof header + payload_size);
    header.sender_pid = static_cast<uint32_t>(getpid());
    header.sender_tid = GetCurrentThreadId();
    return header;
}

ThreadMessagePayload message_to_me(UINT message)
{
    ThreadMessagePayload payload{};
    payload.thread_id = GetCurrentThreadId();
    payload.message = message;
    payload.wparam = 1;
    payload.lparam = 2;
    return payload;
}

struct RawSender {
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ~RawSender() { close(fd); }
    void send(const std::vector<std::byte>& bytes) const
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = endpoint_path(static_cast<DWORD>(getpid()));
        ASSERT_LT(path.size(), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        ASSERT_EQ(sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address),
                  static_cast<ssize_t>(bytes.size()))
            << std::strerror(errno);
    }
};

// Every malformed datagram is counted as dropped and puts nothing in the
// queue; the good packet sent after them all arrives alone.
TEST(Endpoint, MalformedDatagramsAreDroppedAndTheReceiverGoesOn)
{
    helm::kernel::ensure_current_queue();
    ASSERT_TRUE(open_endpoint());
    const UINT marker = WM_APP + 7;
    auto good = message_to_me(marker);
    auto body = [&](ThreadMessagePayload p) { return packet_bytes(header_for(packet_kind::thread_message, sizeof p), &p, sizeof p); };
    auto with_header = [&](auto change) {
        PacketHeader h = header_for(packet_kind::thread_message, sizeof good);
        change(h);
        return packet_bytes(h, &good, sizeof good);
    };
    std::vector<std::pair<const char*, std::vector<std::byte>>> bad = {
        {"empty", {}},
        {"shorter than a header", std::vector<std::byte>(sizeof(PacketHeader) - 1, std::byte{0x48})},
        {"bad magic", with_header([](PacketHeader& h) { h.magic ^= 1; })},
        {"other version", with_header([](PacketHeader& h) { h.version = 2; })},
        {"size says more", with_header([](PacketHeader& h) { h.size += 1; })},
        {"size says less", with_header([](PacketHeader& h) { h.size -= 1; })},
        {"kind without handler", with_header([](PacketHeader& h) { h.kind = 250; })},
        {"kind out of range", with_header([](PacketHeader& h) { h.kind = 300; })},
        {"no sender", with_header([](PacketHeader& h) { h.sender_pid = 0; })},
        {"reserved set", with_header([](PacketHeader& h) { h.reserved[1] = 1; })},
        {"payload short", packet_bytes(header_for(packet_kind::thread_message, 8), &good, 8)},
        {"no thread", body([&] { auto p = good; p.thread_id = 0; return p; }())},
        {"thread not ours", body([&] { auto p = good; p.thread_id = 0x7FFFFFF0; return p; }())},
        {"payload reserved set", body([&] { auto p = good; p.reserved = 5; return p; }())},
    };
    // Larger than any packet, header claiming that size.
    std::vector<std::byte> huge(max_packet + 100);
    PacketHeader h = header_for(packet_kind::thread_message, huge.size() - sizeof(PacketHeader));
    std::memcpy(huge.data(), &h, sizeof h);
    bad.emplace_back("oversized", huge);

    const FabricStats before = fabric_stats();
    RawSender raw;
    for (auto& [what, bytes] : bad) {
        SCOPED_TRACE(what);
        raw.send(bytes);
    }
    ASSERT_EQ(send_packet(static_cast<DWORD>(getpid()), packet_kind::thread_message, std::as_bytes(std::span(&good, 1))),
              SendResult::sent);

    ASSERT_TRUE(helm::test::eventually([&] { return fabric_stats().received > before.received; }));
    EXPECT_EQ(fabric_stats().dropped - before.dropped, bad.size());
    EXPECT_EQ(fabric_stats().received - before.received, 1u);
    MSG msg{};
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, marker);
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 2);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) << "stray message " << msg.message;
}

// What a window layer's request handler sees, caught on the receiver thread.
struct Caught {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<PacketHeader, std::vector<std::byte>>> packets;

    bool wait_for(size_t count)
    {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(5), [&] { return packets.size() >= count; });
    }
};

TEST(Endpoint, RegisteredKindGetsHeaderAndWholePayload)
{
    ASSERT_TRUE(open_endpoint());
    static Caught caught;
    {
        std::lock_guard lock(caught.mutex);
        caught.packets.clear();
    }
    const uint16_t kind = packet_kind::first_window_kind + 3;
    ASSERT_TRUE(register_packet_handler(kind, [](const PacketHeader& header, std::span<const std::byte> payload) {
        std::lock_guard lock(caught.mutex);
        caught.packets.emplace_back(header, std::vector<std::byte>(payload.begin(), payload.end()));
        caught.arrived.notify_all();
        return true;
    }));

    std::vector<std::byte> largest(max_payload);
    for (size_t i = 0; i < largest.size(); ++i)
        largest[i] = static_cast<std::byte>(i * 7 + i / 251);
    const uint32_t request = new_request_id();
    const DWORD self = static_cast<DWORD>(getpid());
    ASSERT_EQ(send_packet(self, kind, largest, request), SendResult::sent);
    ASSERT_EQ(send_packet(self, kind, {}), SendResult::sent);
    ASSERT_TRUE(caught.wait_for(2));

    std::lock_guard lock(caught.mutex);
    const auto& [header, payload] = caught.packets[0];
    EXPECT_EQ(header.kind, kind);
    EXPECT_EQ(header.sender_pid, self);
    EXPECT_EQ(header.sender_tid, GetCurrentThreadId());
    EXPECT_EQ(header.request_id, request);
    EXPECT_EQ(payload, largest);
    EXPECT_TRUE(caught.packets[1].second.empty());
    EXPECT_EQ(caught.packets[1].first.request_id, 0u);
}

TEST(Endpoint, RefusesWhatCannotTravel)
{
    const DWORD self = static_cast<DWORD>(getpid());
    std::vector<std::byte> too_big(max_payload + 1);
    EXPECT_EQ(send_packet(self, packet_kind::first_window_kind, too_big), SendResult::too_large);
    EXPECT_EQ(send_packet(self, packet_kind::limit, {}), SendResult::no_endpoint);
    auto handler = [](const PacketHeader&, std::span<const std::byte>) { return true; };
    EXPECT_FALSE(register_packet_handler(0, handler));
    EXPECT_FALSE(register_packet_handler(packet_kind::limit, handler));
    EXPECT_FALSE(register_packet_handler(packet_kind::first_window_kind, nullptr));
    EXPECT_NE(new_request_id(), new_request_id());
}

TEST(Endpoint, IsAPrivateSocketNamedAfterTheProcess)
{
    helm::kernel::ensure_current_queue();
    ASSERT_TRUE(open_endpoint());
    struct stat st {};
    ASSERT_EQ(lstat(endpoint_path(static_cast<DWORD>(getpid())).c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
