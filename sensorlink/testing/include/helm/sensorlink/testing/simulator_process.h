// The talvor-sim program started beside the calling program, on a
// pseudo-terminal or a TCP port, for the link's tests and benchmarks.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace helm::sensorlink::testing {

// The simulator's clock: steady milliseconds, as talvor-sim reads them.
inline uint32_t simulator_clock_ms()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The talvor-sim program, started beside this program. Its first line
// of output says where it listens (the terminal's path, or "tcp <port>").
class SimulatorProcess {
public:
    ~SimulatorProcess() { stop(); }

    bool start(const std::vector<std::string>& args)
    {
        stop();
        int out[2];
        if (pipe(out) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string program = beside_this_program("talvor-sim");
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        const bool spawned = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (!spawned) {
            m_pid = -1;
            close(out[0]);
            return false;
        }
        m_where = first_line(out[0], 10000);
        close(out[0]);
        return !m_where.empty();
    }

    // Over TCP the port may be held a while by a run that just ended.
    bool start_on_tcp(const std::vector<std::string>& args, int timeout_ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (!start(args)) {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        return true;
    }

    // Asks it to end, and kills it when it has not within 3 s.
    void stop()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 300 && waitpid(m_pid, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waitpid(m_pid, &status, WNOHANG) == 0) {
            ::kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
    }

    const std::string& where() const { return m_where; }
    pid_t pid() const { return m_pid; }

private:
    static std::string beside_this_program(const std::string& name)
    {
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        std::string path(self, n > 0 ? static_cast<size_t>(n) : 0);
        return path.substr(0, path.rfind('/') + 1) + name;
    }

    static std::string first_line(int fd, int timeout_ms)
    {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            char c = 0;
            if (read(fd, &c, 1) != 1)
                return {};  // it ended: nothing to listen on
            if (c == '\n')
                return line;
            line.push_back(c);
        }
        return {};
    }

    pid_t m_pid = -1;
    std::string m_where;
};

}  // namespace helm::sensorlink::testing
