#include "helm/outside/timestamper.h"

#include <gtest/gtest.h>

#include "helm/kernel/clock.h"

namespace {

TEST(Timestamper, FollowsTheKernelTickIncludingItsWrap)
{
    DWORD fake = 0xFFFFFFF0u;
    helm::kernel::set_tick_source([&] { return fake; });
    EXPECT_EQ(F_GetTickCountEx(), 0xFFFFFFF0u);
    fake += 0x20;  // wraps as the 32-bit tick does
    EXPECT_EQ(F_GetTickCountEx(), 0x10u);
    helm::kernel::set_tick_source({});

    DWORD a = GetTickCount();
    DWORD b = F_GetTickCountEx();
    DWORD c = GetTickCount();
    EXPECT_LE(b - a, c - a) << "same clock as GetTickCount";
}

}  // namespace
