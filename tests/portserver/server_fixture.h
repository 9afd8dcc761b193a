// A Portserver started through Portlink, as client programs start it, on a
// settings file of the test's own, with COM1 on a pseudo-terminal.
#pragma once

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <windows.h>

#include "helm/portlink/channel_client.h"
#include "helm/portlink/port_settings.h"
#include "helm/portlink/server_client.h"
#include "helm/serial/comm.h"
#include "helm/serial/pty_port.h"
#include "helm/test/support.h"

namespace helm::portserver::testing {

// "$" + body + "*" + checksum + CR LF.
inline std::string sentence(const std::string& body)
{
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

inline bool server_running() { return FindWindow(PORTSERVER_WINDOW_CLASS, nullptr) != nullptr; }

// The server this test started: Portlink starts it as a child of the
// calling program. 0 when there is none.
inline pid_t server_pid() { return helm::test::child_process("Portserver"); }

// Waits for a message posted to this thread.
inline bool wait_for_message(MSG* msg, DWORD ms)
{
    const uint64_t end = GetTickCount64() + ms;
    for (;;) {
        if (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE))
            return true;
        const uint64_t now = GetTickCount64();
        if (now >= end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_POSTMESSAGE);
    }
}

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("HELM_PORTLINK_INI", m_dir.file("Portserver.ini").c_str(), 1);
        m_pty = std::make_unique<serial::testing::PtyPort>(1);
        ASSERT_TRUE(m_pty->ok());
    }

    void TearDown() override
    {
        if (server_running()) {
            F_StopServer();
            helm::test::eventually([] { return !server_running(); }, 5000);
        }
        // A server that would not close is not left behind.
        if (pid_t pid = server_pid())
            ::kill(pid, SIGKILL);
    }

    // Starts the server in sleep mode and configures port 1 as the sensor
    // link does: 19200 baud, odd parity, 2 stop bits, switched on.
    void start_with_port_on()
    {
        ASSERT_FALSE(server_running());
        ASSERT_EQ(F_RunServerInSleepMode(0), 1);
        ASSERT_TRUE(helm::test::eventually(server_running, 10000));
        ASSERT_EQ(F_ConfigPort(1, 19200, TWOSTOPBITS, ODDPARITY, 8, "NMEA0183"), 1);
        ASSERT_EQ(F_SetPortON(1), 1);
        ASSERT_EQ(F_GetPortOnOff(1), 1);
        ASSERT_EQ(F_IsPortDispo(1), 1);
    }

    std::string ini_path() const { return m_dir.file("Portserver.ini"); }

    helm::test::TempDir m_dir;
    std::unique_ptr<serial::testing::PtyPort> m_pty;
};

}  // namespace helm::portserver::testing
