// Helpers the station's multi-process tests share.
#pragma once

#include <string>

#include "helm/kernel/messages.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/threads.h"
#include "helm/test/support.h"

namespace station_test {

// Takes the next message within `timeout_ms`; false on time-out.
inline bool get_message_within(MSG& msg, DWORD timeout_ms)
{
    const uint64_t deadline = helm::kernel::deadline_after(timeout_ms);
    for (;;) {
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            return true;
        uint64_t now = helm::kernel::steady_ms();
        if (now >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

// Writes `text` to `path` so that a reader never sees half of it.
inline void publish(const std::string& path, const std::string& text)
{
    helm::test::write_file(path + ".tmp", text);
    std::rename((path + ".tmp").c_str(), path.c_str());
}

inline bool wait_for_file(const std::string& path, int timeout_ms = 10000)
{
    return helm::test::eventually([&] { return !helm::test::read_file(path).empty(); }, timeout_ms);
}

inline DWORD to_dword(const std::string& text) { return static_cast<DWORD>(std::stoul(text)); }

}  // namespace station_test
