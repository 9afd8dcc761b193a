#include "helm/display/testing/xvfb.h"
#include "helm/kernel/clock.h"
#include "helm/user/testing/driver.h"

namespace helm::display::testing {

bool pump_until(const std::function<bool()>& done, int timeout_ms)
{
    const uint64_t deadline = kernel::steady_ms() + static_cast<uint64_t>(timeout_ms);
    while (!done()) {
        if (kernel::steady_ms() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        user::testing::pump_until_idle();
    }
    return true;
}

}  // namespace helm::display::testing
