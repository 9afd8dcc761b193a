// Sockets over loopback only.
#include "helm/net/sockets.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <thread>

#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/threads.h"
#include "helm/test/support.h"

namespace {

using namespace helm::net;

Endpoint loopback(uint16_t port)
{
    return {kLoopback, port};
}

std::string receive_text(TcpClient& client, DWORD timeout_ms = 2000)
{
    char buffer[256];
    int n = client.receive(buffer, sizeof buffer, timeout_ms);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

TEST(Ipv4, ParsesOnlyDottedQuads)
{
    struct {
        const char* text;
        bool ok;
        uint32_t address;
    } cases[] = {{"127.0.0.1", true, 0x7F000001u}, {"0.0.0.0", true, 0},       {"255.255.255.255", true, 0xFFFFFFFFu},
                 {"192.168.1.10", true, 0xC0A8010Au}, {"256.0.0.1", false, 0}, {"1.2.3", false, 0},
                 {"1.2.3.4.5", false, 0},            {"1.2.3.4 ", false, 0},   {"1..3.4", false, 0},
                 {"0001.2.3.4", false, 0},           {"a.b.c.d", false, 0},    {"", false, 0}};
    for (auto& c : cases) {
        uint32_t address = 0;
        EXPECT_EQ(parse_ipv4(c.text, address), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(address, c.address);
            EXPECT_EQ(format_ipv4(address), c.text);
        }
    }
}

TEST(TcpServerTest, ServesSeveralClientsAndDropsThoseThatLeave)
{
    TcpServer server(3);
    ASSERT_TRUE(server.listen(loopback(0)));
    ASSERT_NE(server.local_port(), 0);

    TcpClient clients[3];
    for (TcpClient& c : clients)
        ASSERT_TRUE(c.connect(loopback(server.local_port())));

    std::map<int, std::string> heard;  // by client id
    for (int i = 0; i < 3; ++i) {
        std::string text = "$GPZDA," + std::to_string(i) + "\r\n";
        ASSERT_EQ(clients[i].send(text.data(), static_cast<int>(text.size())), static_cast<int>(text.size()));
    }
    for (int round = 0; round < 50 && heard.size() < 3; ++round) {
        char buffer[64];
        int id = 0;
        int n = server.receive(buffer, sizeof buffer, 200, &id);
        if (n > 0)
            heard[id] += std::string(buffer, static_cast<size_t>(n));
    }
    ASSERT_EQ(heard.size(), 3u) << "each client with its own id";
    std::set<std::string> texts;
    for (auto& [id, text] : heard)
        texts.insert(text);
    EXPECT_EQ(texts, (std::set<std::string>{"$GPZDA,0\r\n", "$GPZDA,1\r\n", "$GPZDA,2\r\n"}));
    EXPECT_EQ(server.client_count(), 3u);

    EXPECT_EQ(server.send_to_all("all\n", 4), 3);
    for (TcpClient& c : clients)
        EXPECT_EQ(receive_text(c), "all\n");
    EXPECT_TRUE(server.send_to(heard.begin()->first, "one", 3));

    clients[1].close();
    char buffer[16];
    for (int round = 0; round < 20 && server.client_count() == 3; ++round)
        server.receive(buffer, sizeof buffer, 50);
    EXPECT_EQ(server.client_count(), 2u);
    EXPECT_EQ(server.send_to_all("x", 1), 2);
    EXPECT_FALSE(server.send_to(999, "x", 1));
    EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
}

TEST(TcpServerTest, ClientsBeyondTheLimitAreTurnedAway)
{
    TcpServer server(1);
    ASSERT_TRUE(server.listen(loopback(0)));
    TcpClient first, second;
    ASSERT_TRUE(first.connect(loopback(server.local_port())));
    char buffer[16];
    server.receive(buffer, sizeof buffer, 100);
    ASSERT_TRUE(second.connect(loopback(server.local_port())));  // the kernel accepts it first
    server.receive(buffer, sizeof buffer, 100);
    EXPECT_EQ(server.client_count(), 1u);
    second.set_retry_interval(60000);
    EXPECT_EQ(second.receive(buffer, sizeof buffer, 1000), -1);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
}

TEST(TcpClientTest, ReconnectsAfterItsServerRestarts)
{
    auto server = std::make_unique<TcpServer>();
    ASSERT_TRUE(server->listen(loopback(0)));
    const uint16_t port = server->local_port();

    TcpClient client;
    client.set_retry_interval(50);
    ASSERT_TRUE(client.connect(loopback(port)));
    char buffer[64];
    ASSERT_EQ(server->receive(buffer, sizeof buffer, 200), 0);  // accepts
    ASSERT_EQ(server->send_to_all("before\n", 7), 1);
    EXPECT_EQ(receive_text(client), "before\n");

    server.reset();  // the server goes away
    EXPECT_EQ(client.receive(buffer, sizeof buffer, 1000), -1);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    EXPECT_FALSE(client.is_connected());
    EXPECT_EQ(client.send("x", 1), -1);
    EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
    EXPECT_EQ(client.receive(buffer, sizeof buffer, 200), 0) << "nobody to connect to: a time-out";

    server = std::make_unique<TcpServer>();
    ASSERT_TRUE(server->listen(loopback(port))) << "the same port at once: " << WSAGetLastError();
    bool reconnected = false;
    for (int i = 0; i < 40 && !reconnected; ++i) {
        client.receive(buffer, sizeof buffer, 50);
        server->receive(buffer, sizeof buffer, 10);
        reconnected = client.is_connected() && server->client_count() == 1;
    }
    ASSERT_TRUE(reconnected);
    ASSERT_EQ(client.send("after\n", 6), 6);
    int n = server->receive(buffer, sizeof buffer, 1000);
    ASSERT_EQ(n, 6);
    EXPECT_EQ(std::string(buffer, 6), "after\n");
}

TEST(TcpClientTest, RefusedConnectionAndWakeUp)
{
    TcpServer probe;
    ASSERT_TRUE(probe.listen(loopback(0)));
    uint16_t closed_port = probe.local_port();
    probe.close();

    TcpClient client;
    EXPECT_FALSE(client.connect(loopback(closed_port), 500));
    EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);

    client.set_retry_interval(10000);
    std::thread waker([&] {
        Sleep(100);
        client.wake();
    });
    char buffer[8];
    uint64_t start = helm::kernel::steady_ms();
    EXPECT_EQ(client.receive(buffer, sizeof buffer, 5000), 0);
    EXPECT_LT(helm::kernel::steady_ms() - start, 2000u) << "wake() ends the wait";
    waker.join();

    TcpClient never_set;
    EXPECT_EQ(never_set.receive(buffer, sizeof buffer, 10), -1);
    EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
}

TEST(UdpTest, PeersExchangeDatagramsAndOversizeIsReported)
{
    UdpPeer a, b;
    ASSERT_TRUE(a.open(loopback(0), loopback(0)));
    ASSERT_TRUE(b.open(loopback(0), loopback(a.local_port())));
    ASSERT_EQ(b.send("$HEHDT,12.5,T*00\r\n", 18), 18);
    char buffer[64];
    Endpoint from;
    ASSERT_EQ(a.receive(buffer, sizeof buffer, 1000, &from), 18);
    EXPECT_EQ(std::string(buffer, 18), "$HEHDT,12.5,T*00\r\n");
    EXPECT_EQ(from, loopback(b.local_port()));

    ASSERT_EQ(a.send_to(from, "0123456789", 10), 10);
    char small[4];
    EXPECT_EQ(b.receive(small, sizeof small, 1000), -1);
    EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
    EXPECT_EQ(std::string(small, 4), "0123");
    EXPECT_EQ(b.receive(small, sizeof small, 50), 0) << "the rest of the datagram is gone, as on Windows";

    std::thread waker([&] {
        Sleep(50);
        a.wake();
    });
    uint64_t start = helm::kernel::steady_ms();
    EXPECT_EQ(a.receive(buffer, sizeof buffer, 5000), 0);
    EXPECT_LT(helm::kernel::steady_ms() - start, 2000u);
    waker.join();

    a.close();
    EXPECT_EQ(a.send("x", 1), -1);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

TEST(UdpTest, BroadcastOnTheLoopbackNetwork)
{
    const Endpoint loopback_broadcast{0x7FFFFFFFu, 0};  // 127.255.255.255
    UdpPeer listener;
    ASSERT_TRUE(listener.open({kAnyAddress, 0}, loopback(0)));
    Endpoint target{loopback_broadcast.address, listener.local_port()};

    UdpPeer plain;
    ASSERT_TRUE(plain.open(loopback(0), target));
    EXPECT_EQ(plain.send("no", 2), -1) << "broadcast needs the broadcast peer";
    EXPECT_EQ(WSAGetLastError(), WSAEACCES);

    UdpBroadcast sender;
    ASSERT_TRUE(sender.open({kAnyAddress, 0}, target));
    ASSERT_EQ(sender.send("$GPRMC\r\n", 8), 8);
    char buffer[32];
    ASSERT_EQ(listener.receive(buffer, sizeof buffer, 1000), 8);
    EXPECT_EQ(std::string(buffer, 8), "$GPRMC\r\n");
}

}  // namespace
