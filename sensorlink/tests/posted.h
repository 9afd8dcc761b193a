// Records what Helmcore posts to the main window, in place of the window
// layer's PostMessage.
#pragma once

#include <mutex>
#include <vector>

#include "helm/sensorlink/window_post.h"

struct PostedMessage {
    UINT message;
    LPARAM lParam;
};

class PostRecorder {
public:
    PostRecorder() { helm::sensorlink::set_post_message(&PostRecorder::record); clear(); }
    ~PostRecorder() { helm::sensorlink::set_post_message(nullptr); }

    std::vector<PostedMessage> take()
    {
        std::lock_guard<std::mutex> lock(mutex());
        std::vector<PostedMessage> out;
        out.swap(log());
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
    static BOOL record(HWND, UINT message, WPARAM, LPARAM lParam)
    {
        std::lock_guard<std::mutex> lock(mutex());
        log().push_back({message, lParam});
        return TRUE;
    }
    static std::mutex& mutex() { static std::mutex m; return m; }
    static std::vector<PostedMessage>& log() { static std::vector<PostedMessage> v; return v; }
};
