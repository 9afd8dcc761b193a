// Two programs writing the settings of different ports into one settings
// file at the same moment lose none of each other's keys.
#include <cstring>

#include "server_fixture.h"

namespace {

constexpr int kRounds = 40;

// Writes the serial keys of port args[0] and the keys of socket args[1],
// kRounds times, the baud rate and IP port counting up.
HELM_TEST_CHILD(settings_writer)
{
    const int port = std::atoi(args.at(0).c_str());
    const int socket = std::atoi(args.at(1).c_str());
    for (int i = 1; i <= kRounds; ++i) {
        sCOM_CONFIG com{0, 1, 1000 * port + i, 1, 2, 7, 0, 100 + i};
        sPORT_PROTOCOL protocol{};
        std::snprintf(protocol.name, sizeof protocol.name, "P%d", port);
        if (F_WritePortConfig(&com, &protocol, port) != 1)
            return 2;
        sSOCK_CONFIG sock{1, 0, 5000 + i, {10, 0, 0, static_cast<BYTE>(socket)}, 100, SOCK_MODE_TCP_SERVER};
        if (F_WriteSockConfig(&sock, &protocol, socket) != 1)
            return 3;
    }
    return 0;
}

TEST(SettingsProcesses, TwoWritersOfDifferentPortsLoseNothing)
{
    helm::test::TempDir dir;
    setenv("HELM_PORTLINK_INI", dir.file("Portserver.ini").c_str(), 1);
    helm::test::Child a = helm::test::spawn_child("settings_writer", {"3", "1"});
    helm::test::Child b = helm::test::spawn_child("settings_writer", {"4", "2"});
    ASSERT_EQ(a.wait(), 0);
    ASSERT_EQ(b.wait(), 0);
    for (int port : {3, 4}) {
        sCOM_CONFIG com{};
        sPORT_PROTOCOL protocol{};
        ASSERT_EQ(F_ReadPortConfig(&com, &protocol, port), 1);
        EXPECT_EQ(com.on_off, 1);
        EXPECT_EQ(com.baud, 1000 * port + kRounds);
        EXPECT_EQ(+com.timeout_ms, 100 + kRounds);
        EXPECT_EQ(com.data_bits, 7);
        EXPECT_EQ(std::string(protocol.name), "P" + std::to_string(port));
    }
    for (int socket : {1, 2}) {
        sSOCK_CONFIG sock{};
        ASSERT_EQ(F_ReadSockConfig(&sock, nullptr, socket), 1);
        EXPECT_EQ(sock.ip_port, 5000 + kRounds);
        EXPECT_EQ(sock.ip_address[3], socket);
    }
    unsetenv("HELM_PORTLINK_INI");
}

}  // namespace
