// The sensor link through a real Portserver to talvor-sim on a
// pseudo-terminal, as the main program runs it (a window with the 100 ms
// queue timer): the time of the full reading of a Talvor4, and the CPU the
// link's worker thread takes while the sensor sends 100 data sentences a
// second (a data period of 64 ms: six sentences a round and the four
// status sentences every tenth round).
//
//   sensor_link_bench [loads] [seconds]
//
// It runs in a station of its own, in a fresh directory that also holds
// the server's settings file; Portserver and talvor-sim lie beside it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "helm/portlink/channel_client.h"
#include "helm/portlink/server_client.h"
#include "helm/sensorlink/testing/main_window_stand_in.h"
#include "helm/sensorlink/testing/simulator_process.h"

using namespace helm::sensorlink::testing;

namespace {

double seconds_since(uint64_t start_ms)
{
    return static_cast<double>(GetTickCount64() - start_ms) / 1000.0;
}

// The time one thread of this process has run, in seconds: the first
// field of its scheduler statistics, in nanoseconds.
double thread_cpu_seconds(DWORD tid)
{
    std::ifstream file("/proc/self/task/" + std::to_string(tid) + "/schedstat");
    unsigned long long ns = 0;
    if (!(file >> ns))
        return -1;
    return static_cast<double>(ns) / 1e9;
}

// The thread subscribed to port 1's parsed block: the link's worker.
DWORD worker_thread()
{
    sMMF_CLIENT client{};
    DWORD tid = 0;
    if (F_OpenSerialMMF(&client, 1) == 1) {
        const sMMF_HEADER* header = helm::portlink::parsed_header(client);
        if (header != nullptr && header->subscriber_count > 0)
            tid = header->subscribers[0];
    }
    F_CloseSerialMMF(&client);
    return tid;
}

int fail(const char* what)
{
    std::fprintf(stderr, "sensor_link_bench: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const int loads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int seconds = argc > 2 ? std::max(5, std::atoi(argv[2])) : 30;

    char pattern[] = "/tmp/sensor-link-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return fail("no directory");
    const std::string dir = pattern;
    setenv("HELM_STATION", (dir + "/station").c_str(), 1);
    setenv("HELM_PORTLINK_INI", (dir + "/Portserver.ini").c_str(), 1);

    SimulatorProcess sim;
    if (!sim.start({"--pty", "--model", "TALV4", "--period", "64"}))
        return fail("talvor-sim did not start");
    setenv("HELM_COM1", sim.where().c_str(), 1);
    if (F_RunServerInSleepMode(0) != 1)
        return fail("Portserver did not start");

    int result = 0;
    {
        C_Q_Server link;
        link.F_UpdateCheminSoft(dir.c_str(), false, 0);
        MainWindowStandIn window(link);
        C_Q_TvrCtrlCmd& cmd = *link.F_GetTvrCtrlCmd();
        const UINT start_load = C_Q_TvrCtrlCmd::F_GetTvrStartLoadMsg();
        sCNX_PARAM param{19200, 1, 2, 0, 1, {0, 0, 0, 0}, 0};

        std::printf("full reading of a Talvor4 through Portserver on a pty, 19200 baud, one command per 100 ms tick:\n");
        for (int run = 1; run <= loads && result == 0; ++run) {
            window.log.clear();
            const uint64_t start = GetTickCount64();
            if (link.F_ConnectToSystem(1, 1, &param) != 0 ||
                !window.pump_until([&] { return link.F_GetCnxSystemState() == 1; }, 20000)) {
                result = fail("no link");
                break;
            }
            const double connected = seconds_since(start);
            if (!window.pump_until([&] { return window.count(start_load) > 0; }, 20000)) {
                result = fail("the model was not read");
                break;
            }
            const uint64_t load_start = GetTickCount64();
            if (!window.pump_until([&] { return cmd.F_GetTailleFifo() == 0; }, 300000)) {
                result = fail("the reading did not end");
                break;
            }
            const size_t answers = window.cnf().size() + window.txt().size();
            std::printf("  run %d: connected after %.2f s, reading %.2f s (%zu settings and text lists answered)\n", run,
                        connected, seconds_since(load_start), answers);
            if (run < loads) {
                link.F_DisconnectCnxSystem();
                window.pump_for(500);
            }
        }

        if (result == 0) {
            window.pump_for(2000);
            const DWORD worker = worker_thread();
            if (worker == 0)
                return fail("no worker subscribed");
            window.log.clear();
            const double cpu_start = thread_cpu_seconds(worker);
            const uint64_t start = GetTickCount64();
            window.pump_for(seconds * 1000);
            const double wall = seconds_since(start);
            const double cpu = thread_cpu_seconds(worker) - cpu_start;
            size_t sentences = 0;
            for (const Posted& p : window.data())
                sentences += p.lParam != TVR_DATA_UTC_TIME ? 1 : 0;  // "$KVINF" posts two kinds
            std::printf("worker thread over %.1f s at %.1f data sentences/s: %.3f s of CPU, %.3f %% of one core\n", wall,
                        static_cast<double>(sentences) / wall, cpu, 100.0 * cpu / wall);
        }
        link.F_DisconnectCnxSystem();
    }
    F_StopServer();
    for (int i = 0; i < 100 && FindWindow(PORTSERVER_WINDOW_CLASS, nullptr) != nullptr; ++i)
        Sleep(50);
    sim.stop();
    std::filesystem::remove_all(dir);
    return result;
}
