#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/station/atoms.h"
#include "helm/station/fabric.h"
#include "helm/station/handles.h"
#include "station_test_util.h"

using namespace station_test;
using helm::test::spawn_child;

namespace {

constexpr int shared_name_count = 200;

std::string shared_name(int i) { return "Helm.Station.Test." + std::to_string(i); }

// Registers the shared names in an order of its own (forward, backward, or
// odd first) with its own letter case, and publishes "<index> <number>" lines.
HELM_TEST_CHILD(register_names)
{
    const int order = std::stoi(args.at(1));
    std::vector<int> indices(shared_name_count);
    for (int i = 0; i < shared_name_count; ++i)
        indices[static_cast<size_t>(i)] = i;
    if (order == 1)
        std::reverse(indices.begin(), indices.end());
    if (order == 2)
        std::stable_partition(indices.begin(), indices.end(), [](int i) { return i % 2; });
    std::ostringstream out;
    for (int i : indices) {
        std::string name = shared_name(i);
        if (order % 2)
            std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        out << i << ' ' << RegisterWindowMessage(name.c_str()) << '\n';
    }
    publish(args.at(0), out.str());
    return 0;
}

TEST(StationSharing, ProcessesAgreeOnRegisteredNumbers)
{
    const UINT first = RegisterWindowMessage(shared_name(7).c_str());
    helm::test::TempDir dir;
    std::vector<helm::test::Child> children;
    for (int c = 0; c < 4; ++c)
        children.push_back(spawn_child("register_names", {dir.file("out" + std::to_string(c)), std::to_string(c % 3)}));
    std::map<int, UINT> agreed;
    for (int c = 0; c < 4; ++c) {
        ASSERT_EQ(children[static_cast<size_t>(c)].wait(), 0);
        std::istringstream in(helm::test::read_file(dir.file("out" + std::to_string(c))));
        int index;
        UINT number;
        int lines = 0;
        while (in >> index >> number) {
            ++lines;
            EXPECT_GE(number, 0xC000u);
            EXPECT_LE(number, 0xFFFFu);
            auto [it, fresh] = agreed.emplace(index, number);
            EXPECT_EQ(it->second, number) << "child " << c << " disagrees on " << shared_name(index);
        }
        EXPECT_EQ(lines, shared_name_count);
    }
    EXPECT_EQ(agreed[7], first);
    std::set<UINT> distinct;
    for (auto& [index, number] : agreed) {
        distinct.insert(number);
        EXPECT_EQ(RegisterWindowMessage(shared_name(index).c_str()), number);
    }
    EXPECT_EQ(distinct.size(), agreed.size());
}

// In a station of its own: registers a name, tries to post to the parent,
// publishes "<its tid> <number> <post result> <error>", waits to be released.
HELM_TEST_CHILD(elsewhere)
{
    helm::kernel::ensure_current_queue();
    const UINT number = RegisterWindowMessage("Helm.Elsewhere.Name");
    SetLastError(0);
    BOOL posted = PostThreadMessage(to_dword(args.at(1)), WM_APP, 0, 0);
    DWORD error = GetLastError();
    std::ostringstream out;
    out << GetCurrentThreadId() << ' ' << number << ' ' << posted << ' ' << error;
    publish(args.at(0), out.str());
    return wait_for_file(args.at(0) + ".release", 20000) ? 0 : 30;
}

TEST(StationSharing, AnotherStationIsNotReachedAndHasItsOwnTable)
{
    helm::kernel::ensure_current_queue();
    // Take two numbers here, so the name's number here differs from its
    // number in a fresh table.
    RegisterWindowMessage("Helm.Here.One");
    RegisterWindowMessage("Helm.Here.Two");
    const UINT here = RegisterWindowMessage("Helm.Elsewhere.Name");

    helm::test::TempDir other_station, dir;
    auto child = spawn_child("elsewhere", {dir.file("report"), std::to_string(GetCurrentThreadId())},
                             {{"HELM_STATION", other_station.path()}});
    ASSERT_TRUE(wait_for_file(dir.file("report")));
    std::istringstream in(helm::test::read_file(dir.file("report")));
    DWORD child_thread = 0, error = 0;
    UINT there = 0;
    int posted = -1;
    in >> child_thread >> there >> posted >> error;
    EXPECT_EQ(there, 0xC000u) << "its first name is the first of its own table";
    EXPECT_NE(there, here);
    EXPECT_EQ(posted, FALSE);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_THREAD_ID));

    SetLastError(0);
    EXPECT_FALSE(PostThreadMessage(child_thread, WM_APP, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
    publish(dir.file("report.release"), "go");
    EXPECT_EQ(child.wait(), 0);
}

HELM_TEST_CHILD(allocate_handles)
{
    std::ostringstream out;
    for (int i = 0; i < 300; ++i)
        out << helm::station::allocate_handle() << '\n';
    publish(args.at(0), out.str());
    return 0;
}

TEST(StationSharing, HandlesAreUniqueAcrossProcesses)
{
    helm::test::TempDir dir;
    std::vector<helm::test::Child> children;
    for (int c = 0; c < 4; ++c)
        children.push_back(spawn_child("allocate_handles", {dir.file("h" + std::to_string(c))}));
    std::set<uint32_t> seen;
    for (int i = 0; i < 300; ++i)
        seen.insert(helm::station::allocate_handle());
    for (int c = 0; c < 4; ++c) {
        ASSERT_EQ(children[static_cast<size_t>(c)].wait(), 0);
        std::istringstream in(helm::test::read_file(dir.file("h" + std::to_string(c))));
        uint32_t h;
        int count = 0;
        while (in >> h) {
            ++count;
            EXPECT_GE(h, helm::station::first_station_handle);
            EXPECT_TRUE(seen.insert(h).second) << "handle " << h << " handed out twice";
        }
        EXPECT_EQ(count, 300);
    }
    EXPECT_EQ(seen.size(), 1500u);
    EXPECT_EQ(seen.count(0), 0u);
}

// A request and its reply over the fabric, as the window layer's
// synchronous sends will make them.
constexpr uint16_t echo_request = helm::station::packet_kind::first_window_kind;
constexpr uint16_t echo_reply = helm::station::packet_kind::first_window_kind + 1;

// Answers each request with its payload reversed, until told to stop.
HELM_TEST_CHILD(echo_server)
{
    helm::station::register_packet_handler(echo_request, [](const helm::station::PacketHeader& header,
                                                            std::span<const std::byte> payload) {
        if (header.request_id == 0)
            return false;
        std::vector<std::byte> reversed(payload.rbegin(), payload.rend());
        return helm::station::send_packet(header.sender_pid, echo_reply, reversed, header.request_id) ==
               helm::station::SendResult::sent;
    });
    helm::kernel::ensure_current_queue();
    publish(args.at(0), std::to_string(GetCurrentThreadId()));
    MSG msg{};
    return get_message_within(msg, 30000) && msg.message == WM_QUIT ? 0 : 40;
}

TEST(StationSharing, RequestGetsItsReplyFromAnotherProcess)
{
    static std::mutex mutex;
    static std::condition_variable arrived;
    static std::map<uint32_t, std::pair<uint32_t, std::vector<std::byte>>> replies;  // id -> sender, payload
    helm::station::register_packet_handler(echo_reply, [](const helm::station::PacketHeader& header,
                                                          std::span<const std::byte> payload) {
        std::lock_guard lock(mutex);
        replies[header.request_id] = {header.sender_pid, {payload.begin(), payload.end()}};
        arrived.notify_all();
        return true;
    });
    {
        std::lock_guard lock(mutex);
        replies.clear();
    }
    ASSERT_TRUE(helm::station::open_endpoint());

    helm::test::TempDir dir;
    auto child = spawn_child("echo_server", {dir.file("tid")});
    ASSERT_TRUE(wait_for_file(dir.file("tid")));
    const DWORD server = static_cast<DWORD>(child.pid());

    std::vector<std::byte> small{std::byte{1}, std::byte{2}, std::byte{3}};
    std::vector<std::byte> largest(helm::station::max_payload);
    for (size_t i = 0; i < largest.size(); ++i)
        largest[i] = static_cast<std::byte>(i % 253);
    const uint32_t first = helm::station::new_request_id();
    const uint32_t second = helm::station::new_request_id();
    ASSERT_EQ(helm::station::send_packet(server, echo_request, small, first), helm::station::SendResult::sent);
    ASSERT_EQ(helm::station::send_packet(server, echo_request, largest, second), helm::station::SendResult::sent);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(10), [] { return replies.size() >= 2; }));
        EXPECT_EQ(replies[first].first, server);
        EXPECT_EQ(replies[first].second, std::vector<std::byte>(small.rbegin(), small.rend()));
        EXPECT_EQ(replies[second].second, std::vector<std::byte>(largest.rbegin(), largest.rend()));
    }
    PostThreadMessage(to_dword(helm::test::read_file(dir.file("tid"))), WM_QUIT, 0, 0);
    EXPECT_EQ(child.wait(), 0);
}

}  // namespace
