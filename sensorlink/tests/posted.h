// A window playing the main program's main window: what Helmcore posts to
// it is taken from the test thread's queue.
#pragma once

#include <vector>

#include <afxwin.h>

struct PostedMessage {
    UINT message;
    LPARAM lParam;
};

class PostRecorder {
public:
    PostRecorder() : m_app("sensorlink tests")
    {
        m_window.CreateEx(0, nullptr, "main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr);
        m_app.m_pMainWnd = &m_window;
    }
    ~PostRecorder()
    {
        m_app.m_pMainWnd = nullptr;
        m_window.DestroyWindow();
    }
    PostRecorder(const PostRecorder&) = delete;
    PostRecorder& operator=(const PostRecorder&) = delete;

    // The registered messages posted since the last call, in order.
    std::vector<PostedMessage> take()
    {
        std::vector<PostedMessage> out;
        MSG msg{};
        while (PeekMessage(&msg, m_window.m_hWnd, 0xC000, 0xFFFF, PM_REMOVE))
            out.push_back({msg.message, msg.lParam});
        return out;
    }
    void clear() { take(); }
    std::vector<LPARAM> params_of(UINT message)
    {
        std::vector<LPARAM> out;
        for (const PostedMessage& m : take())
            if (m.message == message)
                out.push_back(m.lParam);
        return out;
    }

private:
    CWinApp m_app;
    CWnd m_window;
};
