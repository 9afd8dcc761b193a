#include "helm/serial/port_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "helm/serial/pty_port.h"

namespace {

TEST(PortNames, NamesAndNumbers)
{
    EXPECT_EQ(helm::serial::port_name(1), "COM1");
    EXPECT_EQ(helm::serial::port_name(32), "COM32");
    EXPECT_EQ(helm::serial::port_name(0), "");
    EXPECT_EQ(helm::serial::port_name(33), "");
    struct {
        const char* name;
        int port;
    } cases[] = {{"COM1", 1},  {"com7", 7},  {"COM32", 32}, {"COM12:", 12}, {"\\\\.\\COM20", 20},
                 {"COM0", 0},  {"COM33", 0}, {"COM03", 0},  {"COM", 0},     {"COMX", 0},
                 {"LPT1", 0},  {"COM1x", 0}, {"", 0},       {"COM123", 0},  {" COM1", 0}};
    for (auto& c : cases)
        EXPECT_EQ(helm::serial::port_number(c.name), c.port) << c.name;
}

TEST(PortNames, EnvironmentThenMapFileThenDefault)
{
    const char* map = "# ports of this bench\r\n"
                      "COM2=/dev/ttyUSB0\r\n"
                      "  com3 = /dev/serial/by-id/gps  \n"
                      "; COM4=/dev/commented\n"
                      "COM5=relative/path\n"
                      "COM6\n"
                      "COM7=/dev/first\n"
                      "COM7=/dev/second\n"
                      "COM40=/dev/out_of_range\n";
    struct {
        int port;
        const char* env;
        const char* path;
    } cases[] = {
        {1, nullptr, "/dev/ttyS0"},
        {2, nullptr, "/dev/ttyUSB0"},
        {2, "/dev/pts/9", "/dev/pts/9"},
        {2, "not/absolute", "/dev/ttyUSB0"},
        {3, nullptr, "/dev/serial/by-id/gps"},
        {4, nullptr, "/dev/ttyS3"},
        {5, nullptr, "/dev/ttyS4"},
        {6, nullptr, "/dev/ttyS5"},
        {7, nullptr, "/dev/second"},
        {32, nullptr, "/dev/ttyS31"},
        {0, "/dev/pts/1", ""},
        {33, nullptr, ""},
    };
    for (auto& c : cases)
        EXPECT_EQ(helm::serial::resolve_device_path(c.port, c.env, map), c.path) << c.port;

    std::string too_long = "/" + std::string(1100, 'a');
    EXPECT_EQ(helm::serial::resolve_device_path(8, too_long.c_str(), "COM8=" + too_long), "/dev/ttyS7");
    EXPECT_EQ(helm::serial::resolve_device_path(9, nullptr, std::string("COM9=/dev/a\0b", 13)), "/dev/ttyS8");
}

TEST(PortNames, MapFileLivesBesideTheProgram)
{
    std::string path = helm::serial::map_file_path();
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "serial_ports.map");
    EXPECT_EQ(path.front(), '/');
}

TEST(PortNames, ListingShowsMappedDevicesThatExist)
{
    helm::serial::testing::PtyPort present(30);
    ASSERT_TRUE(present.ok());
    setenv("HELM_COM31", "/nonexistent/device", 1);
    helm::serial::testing::PtyPort unplugged(32);
    unplugged.unplug();
    auto ports = helm::serial::list_ports();
    unsetenv("HELM_COM31");
    EXPECT_NE(std::find(ports.begin(), ports.end(), 30), ports.end());
    EXPECT_EQ(std::find(ports.begin(), ports.end(), 31), ports.end());
    EXPECT_EQ(std::find(ports.begin(), ports.end(), 32), ports.end()) << "a device whose other side is gone";
    EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end()));
    EXPECT_EQ(helm::serial::device_path(30), present.path());
}

}  // namespace
