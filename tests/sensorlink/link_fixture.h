// The sensor link end to end: a test window playing the main program's main
// window, a real Portserver started through Portlink, and the talvor-sim
// program on a pseudo-terminal mapped to COM1 or on TCP port 8110, all in
// the test program's own station.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>

#include <memory>
#include <string>
#include <vector>

#include "../portserver/server_fixture.h"
#include "helm/sensorlink/C_Q_Server.h"
#include "helm/sensorlink/testing/main_window_stand_in.h"
#include "helm/sensorlink/testing/simulator_process.h"
#include "talvor_sim/simulator.h"

namespace helm::sensorlink::testing {

// The main program's link parameters: 19200 baud, odd parity, 2 stop bits;
// a TCP client of the sensor's address on port 8110.
inline sCNX_PARAM serial_link() { return {19200, 1, 2, 0, 1, {0, 0, 0, 0}, 0}; }
inline sCNX_PARAM tcp_link() { return {19200, 1, 2, 0, 1, {127, 0, 0, 1}, 8110}; }

class LinkTest : public helm::portserver::testing::ServerTest {
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        link = std::make_unique<C_Q_Server>();
        link->F_UpdateCheminSoft(m_dir.path().c_str(), true, 0);
        window = std::make_unique<MainWindowStandIn>(*link);
    }

    void TearDown() override
    {
        // The link lets go of the port before the server is asked to close.
        link.reset();
        window.reset();
        ServerTest::TearDown();
        sim.stop();
    }

    // The simulator on a pseudo-terminal that COM1 names, then the server.
    void start_on_pty(std::vector<std::string> args)
    {
        args.insert(args.begin(), "--pty");
        ASSERT_TRUE(sim.start(args));
        setenv("HELM_COM1", sim.where().c_str(), 1);
        start_server();
    }

    void start_server()
    {
        ASSERT_EQ(F_RunServerInSleepMode(0), 1);
        ASSERT_TRUE(helm::test::eventually(helm::portserver::testing::server_running, 10000));
    }

    void connect(unsigned short type, unsigned short port, sCNX_PARAM param)
    {
        ASSERT_EQ(link->F_ConnectToSystem(type, port, &param), 0);
        ASSERT_TRUE(window->pump_until([&] { return window->states().size() >= 2; }, 20000));
        ASSERT_EQ(window->states(), (std::vector<WPARAM>{SERVER_STATE_CONNECTING, SERVER_STATE_CONNECTED}));
        ASSERT_EQ(link->F_GetCnxSystemState(), port);
    }

    // Until the model is known and every ask of the reading is answered.
    bool wait_for_full_load(int timeout_ms)
    {
        C_Q_TvrCtrlCmd& cmd = *link->F_GetTvrCtrlCmd();
        const UINT start_load = C_Q_TvrCtrlCmd::F_GetTvrStartLoadMsg();
        return window->pump_until(
            [&] { return window->count(start_load) > 0 && cmd.F_GetTailleFifo() == 0; }, timeout_ms);
    }

    std::string trace() const { return helm::test::read_file(m_dir.file("DebugFile/Recept_Send_Debug.txt")); }

    SimulatorProcess sim;
    std::unique_ptr<C_Q_Server> link;
    std::unique_ptr<MainWindowStandIn> window;
};

inline size_t occurrences(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

}  // namespace helm::sensorlink::testing
