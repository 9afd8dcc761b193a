// Where a program finds its station when nothing names it, and what it does
// when someone else holds the usual name first.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "helm/kernel/objects.h"
#include "helm/kernel/station_path.h"
#include "helm/kernel/sync.h"
#include "helm/test/support.h"

namespace {

using helm::test::spawn_child;
using helm::test::TempDir;

// Writes the station it got to args[0]; with args[1], creates a named
// mutex there and starts a child of its own that must find it.
HELM_TEST_CHILD(report_station)
{
    const std::string station = helm::kernel::station_directory();
    helm::test::write_file(args.at(0), station);
    if (station.empty())
        return 2;
    struct stat st {};
    if (lstat(station.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
        (st.st_mode & 0777) != 0700)
        return 3;
    if (args.size() < 2)
        return 0;
    HANDLE mutex = CreateMutex(nullptr, FALSE, "station-path-test");
    if (!mutex)
        return 4;
    // The child inherits the station through the environment only.
    auto child = spawn_child("find_mutex", {}, {});
    const int found = child.wait();
    CloseHandle(mutex);
    return found == 0 ? 0 : 5;
}

HELM_TEST_CHILD(find_mutex)
{
    HANDLE mutex = OpenMutex(MUTEX_ALL_ACCESS, FALSE, "station-path-test");
    if (!mutex)
        return 1;
    CloseHandle(mutex);
    return 0;
}

std::string default_name(const std::string& dir) { return dir + "/helm-station-" + std::to_string(geteuid()); }

TEST(StationPath, TheUsualNameIsUsedWhenItIsOurs)
{
    TempDir dir;
    auto child = spawn_child("report_station", {dir.file("got")},
                             {{"HELM_STATION", ""}, {"XDG_RUNTIME_DIR", ""}, {"TMPDIR", dir.path()}});
    ASSERT_EQ(child.wait(), 0);
    EXPECT_EQ(helm::test::read_file(dir.file("got")), default_name(dir.path()));
}

// A name that is not a directory of this user is never used, whatever it
// is: the program makes a private station of its own, which the programs
// it starts share.
TEST(StationPath, ANameHeldBySomeoneElseGivesAPrivateStation)
{
    struct Squat {
        const char* what;
        void (*make)(const std::string& name, const std::string& dir);
    };
    const Squat squats[] = {
        {"a link to a directory the squatter reads",
         [](const std::string& name, const std::string& dir) {
             mkdir((dir + "/elsewhere").c_str(), 0777);
             symlink((dir + "/elsewhere").c_str(), name.c_str());
         }},
        {"a file", [](const std::string& name, const std::string&) { helm::test::write_file(name, "x"); }},
        {"a directory of another user",
         [](const std::string& name, const std::string&) {
             mkdir(name.c_str(), 0777);
             if (chown(name.c_str(), 65534, 65534) != 0)
                 rmdir(name.c_str());  // not allowed here: the case is left out
         }},
    };
    for (const Squat& squat : squats) {
        SCOPED_TRACE(squat.what);
        TempDir dir;
        const std::string name = default_name(dir.path());
        squat.make(name, dir.path());
        struct stat st {};
        if (lstat(name.c_str(), &st) != 0)
            continue;
        auto child = spawn_child("report_station", {dir.file("got"), "share"},
                                 {{"HELM_STATION", ""}, {"XDG_RUNTIME_DIR", ""}, {"TMPDIR", dir.path()}});
        EXPECT_EQ(child.wait(), 0);
        const std::string got = helm::test::read_file(dir.file("got"));
        EXPECT_NE(got, name);
        EXPECT_EQ(got.rfind(name + "-", 0), 0u) << got;
    }
}

TEST(StationPath, AStationNamedOnPurposeButNotOursIsRefused)
{
    TempDir dir;
    symlink("/tmp", dir.file("station").c_str());
    auto child = spawn_child("report_station", {dir.file("got")}, {{"HELM_STATION", dir.file("station")}});
    EXPECT_EQ(child.wait(), 2);
    EXPECT_EQ(helm::test::read_file(dir.file("got")), "");
}

}  // namespace
