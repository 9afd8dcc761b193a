#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "helm/kernel/profile.h"
#include "helm/test/support.h"

namespace {

constexpr int keys_per_writer = 200;
const char* const section = "Shared";

// Writes keys "<prefix><i>" = i in a tight loop. args: file, prefix.
HELM_TEST_CHILD(profile_writer)
{
    for (int i = 0; i < keys_per_writer; ++i) {
        std::string key = args.at(1) + std::to_string(i);
        if (!WritePrivateProfileString(section, key.c_str(), std::to_string(i).c_str(), args.at(0).c_str()))
            return 1;
    }
    return 0;
}

// Reads while the writers write: the key written before they started must
// always be there, and the number of keys must never go down. Ends when
// every key is there. args: file, total keys expected.
HELM_TEST_CHILD(profile_reader)
{
    const size_t expected = std::stoul(args.at(1));
    std::vector<char> buffer(64 * 1024);
    size_t last_count = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        char sentinel[8];
        GetPrivateProfileString(section, "sentinel", "", sentinel, sizeof sentinel, args.at(0).c_str());
        if (std::string(sentinel) != "here")
            return 1;
        DWORD n = GetPrivateProfileString(section, nullptr, nullptr, buffer.data(),
                                          static_cast<DWORD>(buffer.size()), args.at(0).c_str());
        size_t count = 0;
        for (DWORD i = 0; i < n; ++i)
            count += buffer[i] == '\0';
        if (count < last_count)
            return 2;
        last_count = count;
        if (count == expected)
            return 0;
    }
    return 3;
}

TEST(ProfileProcesses, TwoWritersLoseNoWriteAndReadersSeeWholeFiles)
{
    helm::test::TempDir dir;
    std::string ini = dir.file("shared.ini");
    ASSERT_TRUE(WritePrivateProfileString(section, "sentinel", "here", ini.c_str()));

    const int total = 2 * keys_per_writer + 1;
    helm::test::Child reader = helm::test::spawn_child("profile_reader", {ini, std::to_string(total)});
    helm::test::Child first = helm::test::spawn_child("profile_writer", {ini, "a"});
    helm::test::Child second = helm::test::spawn_child("profile_writer", {ini, "b"});
    EXPECT_EQ(first.wait(60000), 0);
    EXPECT_EQ(second.wait(60000), 0);
    EXPECT_EQ(reader.wait(60000), 0) << "1: sentinel missing, 2: keys lost, 3: never saw them all";

    for (const char* prefix : {"a", "b"})
        for (int i = 0; i < keys_per_writer; ++i) {
            std::string key = prefix + std::to_string(i);
            EXPECT_EQ(static_cast<int>(GetPrivateProfileInt(section, key.c_str(), -1, ini.c_str())), i) << key;
        }
}

}  // namespace
