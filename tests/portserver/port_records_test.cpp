// The main job's client: port-records, started as the run script starts it,
// brings up Portserver through Portlink, switches port 1 on at the sensor's
// settings and prints the sentences that arrive; at its end the server
// closes.
#include <atomic>
#include <thread>

#include "server_fixture.h"

using namespace helm::portserver::testing;

namespace {

class PortRecords : public ServerTest {};

TEST_F(PortRecords, PrintsTheSentencesOfThePort)
{
    char self[MAX_PATH];
    const std::string program(self, GetModuleFileName(nullptr, self, sizeof self));
    const std::string command =
        program.substr(0, program.find_last_of('/') + 1) + "port-records --port 1 --seconds 6 2>&1";
    FILE* output = popen(command.c_str(), "r");
    ASSERT_NE(output, nullptr);

    const std::string line = sentence("KVTRO,1.50,-0.25,0.02");
    std::atomic<bool> done{false};
    std::thread sensor([&] {
        while (!done) {
            m_pty->write(line);
            Sleep(100);
        }
    });
    std::string printed;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, output))
        printed += buffer;
    done = true;
    sensor.join();
    EXPECT_EQ(pclose(output), 0) << printed;

    EXPECT_NE(printed.find("port 1 on"), std::string::npos) << printed;
    EXPECT_NE(printed.find("port 1  T="), std::string::npos) << printed;
    EXPECT_NE(printed.find("  " + line.substr(0, line.size() - 2) + "\n"), std::string::npos) << printed;
    const auto settings = m_pty->line();
    EXPECT_EQ(settings.baud, 19200u);
    EXPECT_TRUE(settings.odd);
    EXPECT_TRUE(settings.two_stop_bits);
    EXPECT_TRUE(helm::test::eventually([] { return !server_running(); }, 10000));
}

}  // namespace
