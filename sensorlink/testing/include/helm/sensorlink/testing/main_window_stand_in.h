// A window playing the main program's main window for the link's tests
// and benchmarks.
#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include <afxwin.h>

#include "helm/sensorlink/C_Q_Server.h"
#include "helm/sensorlink/testing/simulator_process.h"

namespace helm::sensorlink::testing {

// What the test window saw, in order.
struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    sTVRDATA data;      // for a data message: the record as it was read then
    uint32_t at_ms;     // when it was handled, on the simulator's clock
};

// A test window playing the main window: it keeps every registered message
// of the link, reads the data record at each data message, runs the queue
// timer (100 ms) while connected, and hands the tunnel program's start and
// end messages to the link.
class MainWindowStandIn {
public:
    explicit MainWindowStandIn(C_Q_Server& link) : m_app("Helmsight link test"), m_link(link)
    {
        m_window.CreateEx(0, nullptr, "main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr);
        m_app.m_pMainWnd = &m_window;
    }
    ~MainWindowStandIn()
    {
        m_app.m_pMainWnd = nullptr;
        m_window.DestroyWindow();
    }

    HWND hwnd() const { return m_window.m_hWnd; }

    // Handles what comes until `done` holds or the time runs out.
    bool pump_until(const std::function<bool()>& done, int timeout_ms)
    {
        const uint64_t end = GetTickCount64() + static_cast<uint64_t>(timeout_ms);
        for (;;) {
            MSG msg{};
            while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
                handle(msg);
            if (done())
                return true;
            const uint64_t now = GetTickCount64();
            if (now >= end)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<uint64_t>(end - now, 50)),
                                      QS_ALLINPUT);
        }
    }
    void pump_for(int ms)
    {
        pump_until([] { return false; }, ms);
    }

    std::vector<WPARAM> states() const
    {
        std::vector<WPARAM> out;
        for (const Posted& p : log)
            if (p.message == C_Q_Server::F_GetServerConnectionStateMessage())
                out.push_back(p.wParam);
        return out;
    }
    bool saw_state(WPARAM state) const
    {
        const std::vector<WPARAM> all = states();
        return std::find(all.begin(), all.end(), state) != all.end();
    }
    std::vector<LPARAM> cnf() const { return params(C_Q_TvrCtrlCmd::F_GetTvrCnfMsg()); }
    std::vector<LPARAM> txt() const { return params(C_Q_TvrCtrlCmd::F_GetTvrTextMsg()); }
    size_t count(UINT message) const
    {
        size_t n = 0;
        for (const Posted& p : log)
            n += p.message == message ? 1 : 0;
        return n;
    }
    std::vector<Posted> data() const
    {
        std::vector<Posted> out;
        for (const Posted& p : log)
            if (p.message == C_Q_TvrData::F_GetTvrDataMsg())
                out.push_back(p);
        return out;
    }

    std::vector<Posted> log;

private:
    std::vector<LPARAM> params(UINT message) const
    {
        std::vector<LPARAM> out;
        for (const Posted& p : log)
            if (p.message == message)
                out.push_back(p.lParam);
        return out;
    }

    void handle(const MSG& msg)
    {
        if (msg.hwnd != m_window.m_hWnd) {
            DispatchMessage(&msg);
            return;
        }
        if (msg.message == WM_TIMER && msg.wParam == kQueueTimer) {
            m_link.F_AskSendFrameToSystem();
            return;
        }
        if (msg.message < 0xC000)
            return;
        Posted posted{msg.message, msg.wParam, msg.lParam, {}, simulator_clock_ms()};
        if (msg.message == C_Q_TvrData::F_GetTvrDataMsg())
            posted.data = *m_link.F_GetTvrDataDecoder()->F_GetTvrData();
        log.push_back(posted);
        if (msg.message == C_Q_Server::F_GetServerConnectionStateMessage()) {
            // As the main window: the queue runs while connected.
            if (msg.wParam == SERVER_STATE_CONNECTED)
                SetTimer(m_window.m_hWnd, kQueueTimer, 100, nullptr);
            else if (msg.wParam == SERVER_STATE_DISCONNECTED)
                KillTimer(m_window.m_hWnd, kQueueTimer);
        } else if (msg.message == C_Q_Server::F_GetDistStartMessage()) {
            m_link.F_ConnectToPcDistant(static_cast<unsigned short>(msg.wParam));
        } else if (msg.message == C_Q_Server::F_GetDistStopMessage()) {
            m_link.F_DisconnectCnxPcDistant();
        }
    }

    static constexpr UINT_PTR kQueueTimer = 1;
    CWinApp m_app;
    CWnd m_window;
    C_Q_Server& m_link;
};

}  // namespace helm::sensorlink::testing
