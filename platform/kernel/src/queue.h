// A thread's message queue, shared by the message functions and the thread
// objects that create and retire queues.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "helm/kernel/types.h"

namespace helm::kernel {

struct MessageQueue {
    DWORD thread_id = 0;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<MSG> posted;
    // Mouse and keyboard input, served after the posted messages as Windows
    // serves its input queue (so that what TranslateMessage posts for a key
    // comes before the next key), and routed (given its window) only when
    // the thread comes to it.
    struct Input {
        MSG msg;
        uint64_t serial;
        bool routed;
    };
    std::deque<Input> input;
    uint64_t next_input_serial = 0;
    std::deque<std::function<void()>> sent;
    bool quit = false;
    int quit_code = 0;
    // Windows' "new message" wake bits (QS_POSTMESSAGE, QS_KEY, QS_MOUSEMOVE,
    // QS_MOUSEBUTTON): set by a post, cleared when the thread gets or peeks;
    // MsgWaitForMultipleObjects waits for them.
    DWORD fresh = 0;
    // Set while the owner waits on the process-wide wake-up (a wait with
    // handles), so posts also ring that.
    bool in_object_wait = false;
    // Set by wake_thread: the window layer has a new generated message.
    bool generated_new = false;
    bool retired = false;
    DWORD last_message_time = 0;
};

// Creates the calling thread's queue if it has none, and returns it.
std::shared_ptr<MessageQueue> current_queue();
// Removes the calling thread's queue: later posts to it fail.
void retire_current_queue();

}  // namespace helm::kernel
