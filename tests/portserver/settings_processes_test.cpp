// The settings file between programs: two writers of different ports at
// the same moment lose none of each other's keys; values no line takes do
// not make a port unusable; a program that holds the socket settings' lock
// and stops hangs no one.
#include <signal.h>
#include <sys/wait.h>

#include <cstring>

#include "server_fixture.h"

using namespace helm::portserver::testing;

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

// Four ports, each on in the file with one value no line takes: the
// server opens every one of them with the default in its place.
TEST(SettingsProcesses, AValueNoLineTakesLeavesThePortUsable)
{
    helm::test::TempDir dir;
    setenv("HELM_PORTLINK_INI", dir.file("Portserver.ini").c_str(), 1);
    std::vector<std::unique_ptr<helm::serial::testing::PtyPort>> ptys;
    for (int port = 1; port <= 4; ++port) {
        ptys.push_back(std::make_unique<helm::serial::testing::PtyPort>(port));
        ASSERT_TRUE(ptys.back()->ok());
    }
    helm::test::write_file(dir.file("Portserver.ini"),
                           "[Parametres Port serie]\r\n"
                           "On : 1, Off : 00=1\r\nParity0=77\r\n"
                           "On : 1, Off : 01=1\r\nData Bit1=0\r\n"
                           "On : 1, Off : 02=1\r\nStop Bit2=9\r\n"
                           "On : 1, Off : 03=1\r\nBaudRate3=0\r\n");
    ASSERT_EQ(F_RunServer(0), 1);
    ASSERT_TRUE(helm::test::eventually(server_running, 10000));
    for (int port = 1; port <= 4; ++port) {
        SCOPED_TRACE(port);
        EXPECT_EQ(F_IsPortDispo(port), 1);
        EXPECT_EQ(F_GetPortOnOff(port), 1);
        EXPECT_EQ(F_ConnectWriteDataToPort(port, "up\r\n"), 1);
        EXPECT_EQ(ptys[port - 1]->read(4), "up\r\n");
    }
    EXPECT_EQ(F_StopServer(), 1);
    EXPECT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
    unsetenv("HELM_PORTLINK_INI");
}

// Takes the socket settings' lock and stops, holding it, until killed.
HELM_TEST_CHILD(hold_socket_settings_lock)
{
    HANDLE mutex = CreateMutex(nullptr, FALSE, "READ_WRITE_SOCK_CONFIG");
    if (!mutex || WaitForSingleObject(mutex, 5000) != WAIT_OBJECT_0)
        return 2;
    raise(SIGSTOP);
    return 0;
}

TEST(SettingsProcesses, AStoppedHolderOfTheSocketSettingsLockHangsNoOne)
{
    helm::test::TempDir dir;
    setenv("HELM_PORTLINK_INI", dir.file("Portserver.ini").c_str(), 1);
    const std::string sockets = "[Parametres Ethernet]\r\nSocket Port0=8110\r\nSocket Cnx Mode0=1\r\n";
    helm::test::write_file(dir.file("Portserver.ini"), sockets);
    helm::test::Child holder = helm::test::spawn_child("hold_socket_settings_lock");
    ASSERT_TRUE(helm::test::eventually([&] {
        return helm::test::read_file("/proc/" + std::to_string(holder.pid()) + "/stat").find(") T") !=
               std::string::npos;
    }));

    sSOCK_CONFIG sock{};
    SetLastError(0);
    EXPECT_EQ(F_ReadSockConfig(&sock, nullptr, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_EQ(F_GetPortOnOff(33), 0);
    // The server starts all the same, its serial ports at hand.
    ASSERT_EQ(F_RunServerInSleepMode(0), 1);
    ASSERT_TRUE(helm::test::eventually(server_running, 10000));
    EXPECT_EQ(F_StopServer(), 1);
    EXPECT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
    // What it could not read it did not write back.
    EXPECT_NE(helm::test::read_file(dir.file("Portserver.ini")).find("Socket Port0=8110"), std::string::npos);

    // Killed, the holder gives the lock up.
    holder.kill();
    EXPECT_EQ(F_ReadSockConfig(&sock, nullptr, 1), 1);
    EXPECT_EQ(sock.ip_port, 8110);
    unsetenv("HELM_PORTLINK_INI");
}

}  // namespace
