// The link server against a simulator in process: each turn the server
// builds the due frame as its worker would, the simulator answers, and
// every line goes through the server's decoding as the worker hands it
// over. The queue's clock (the tick) moves 100 ms a turn; no threads, no
// sleeps.
#pragma once

#include <string>
#include <utility>

#include "helm/kernel/clock.h"
#include "helm/sensorlink/C_Q_Server.h"
#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/test/support.h"
#include "posted.h"

template <class Simulator>
class SimulatedLink {
public:
    template <class... SimulatorArgs>
    explicit SimulatedLink(unsigned short repeaterType, SimulatorArgs&&... args)
        : sim(std::forward<SimulatorArgs>(args)...)
    {
        helm::kernel::set_tick_source([this] { return now; });
        sim.set_data_enabled(false);
        server.F_UpdateCheminSoft(dir.path().c_str(), false, repeaterType);
    }
    ~SimulatedLink() { helm::kernel::set_tick_source({}); }

    // One turn; returns the frame sent.
    std::string turn()
    {
        now += 100;
        CString frame;
        if (server.F_MakeSendFrameToSystem(&frame) == 0)
            sim.receive(frame.str(), now);
        read();
        return frame.str();
    }

    void read()
    {
        sim.advance(now);
        pending += sim.take_output();
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end + 1);
            pending.erase(0, end + 1);
            if (!C_Q_Tools::F_TestNMEAChecksum(line))
                ++bad_lines;
            server.F_DecodeFrameFromSystem(line, now);
        }
    }

    int run_until_empty(C_Q_MsgFifo& queue, int max_turns)
    {
        int turns = 0;
        while (queue.F_GetTailleFifo() > 0 && turns < max_turns) {
            turn();
            ++turns;
        }
        return turns;
    }

    PostRecorder posts;
    helm::test::TempDir dir;
    C_Q_Server server;
    Simulator sim;
    std::string pending;
    DWORD now = 1000;
    int bad_lines = 0;
};
