#include "helm/station/handles.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "helm/kernel/station_path.h"
#include "helm/test/support.h"

using namespace helm::station;

namespace {

TEST(AllocateHandle, ThreadsNeverGetTheSameValue)
{
    std::vector<std::vector<uint32_t>> got(4);
    std::vector<std::thread> threads;
    for (auto& list : got)
        threads.emplace_back([&list] {
            for (int i = 0; i < 200; ++i)
                list.push_back(allocate_handle());
        });
    for (auto& t : threads)
        t.join();
    std::set<uint32_t> all;
    for (auto& list : got)
        for (uint32_t h : list) {
            EXPECT_GE(h, first_station_handle);
            EXPECT_LE(h, last_station_handle);
            EXPECT_TRUE(all.insert(h).second) << "handle " << h << " given twice";
        }
}

TEST(AllocateHandle, DamagedOrUsedUpCounterStopsAllocation)
{
    const std::string path = helm::kernel::station_directory() + "/handles";
    ASSERT_NE(allocate_handle(), 0u);
    const std::string saved = helm::test::read_file(path);
    auto counter = [](uint64_t value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); };
    struct Case {
        const char* what;
        std::string bytes;
    };
    for (const Case& c : {Case{"short", "abc"}, Case{"long", std::string(9, '\x01')},
                          Case{"below the range", counter(5)}, Case{"past the end", counter(uint64_t{last_station_handle} + 1)},
                          Case{"huge", counter(~uint64_t{0})}}) {
        helm::test::write_file(path, c.bytes);
        EXPECT_EQ(allocate_handle(), 0u) << c.what;
    }
    helm::test::write_file(path, counter(last_station_handle));
    EXPECT_EQ(allocate_handle(), last_station_handle);
    EXPECT_EQ(allocate_handle(), 0u);
    helm::test::write_file(path, saved);
    EXPECT_NE(allocate_handle(), 0u);
}

}  // namespace
