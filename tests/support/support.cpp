#include "helm/test/support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

extern char** environ;

namespace helm::test {
namespace {

std::map<std::string, ChildMain>& roles()
{
    static std::map<std::string, ChildMain> table;
    return table;
}

std::string self_path()
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        throw std::runtime_error("cannot read /proc/self/exe");
    buf[n] = 0;
    return buf;
}

}  // namespace

ChildRole::ChildRole(const char* name, ChildMain main) { roles()[name] = main; }

Child& Child::operator=(Child&& other) noexcept
{
    if (this != &other) {
        kill();
        m_pid = other.m_pid;
        other.m_pid = -1;
    }
    return *this;
}

Child::~Child() { kill(); }

int Child::wait(int timeout_ms)
{
    if (m_pid <= 0)
        return -1;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int status = 0;
        pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_pid = -1;
            if (WIFEXITED(status))
                return WEXITSTATUS(status);
            if (WIFSIGNALED(status))
                return 128 + WTERMSIG(status);
            return -1;
        }
        if (r < 0) {
            m_pid = -1;
            return -1;
        }
        if (std::chrono::steady_clock::now() >= end)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void Child::kill()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
}

Child spawn_child(const std::string& role, std::initializer_list<std::string> args,
                  const std::map<std::string, std::string>& env)
{
    std::vector<std::string> argv_s{self_path(), "--helm-child", role};
    argv_s.insert(argv_s.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_s)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::map<std::string, std::string> vars;
    for (char** e = environ; *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq)
            vars[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
    }
    for (auto& [k, v] : env) {
        if (v.empty())
            vars.erase(k);
        else
            vars[k] = v;
    }
    std::vector<std::string> env_s;
    for (auto& [k, v] : vars)
        env_s.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& e : env_s)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        throw std::runtime_error("posix_spawn failed");
    return Child(pid);
}

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "helm-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

pid_t child_process(const std::string& command)
{
    const std::string name = "(" + command + ")";
    pid_t found = 0;
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", options)) {
        const std::string dir = entry.path().filename().string();
        const int pid = std::atoi(dir.c_str());
        if (pid <= 0)
            continue;
        // "pid (command) state parent ...": the command may hold blanks and
        // parentheses, so it runs from the first '(' to the last ')'.
        const std::string stat = read_file("/proc/" + dir + "/stat");
        const size_t open = stat.find('(');
        const size_t close = stat.rfind(')');
        char state = 0;
        int parent = 0;
        if (open != std::string::npos && close != std::string::npos && close > open &&
            stat.compare(open, close + 1 - open, name) == 0 &&
            std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == getpid() &&
            state != 'Z')
            found = pid;
    }
    return found;
}

// Every test program gets a station of its own, unless it is a child, which
// joins its parent's station (or the one the parent chose for it). Tests
// run headless even with a display at hand (HELM_HEADLESS=0 shows them);
// the live display's tests open their own.
int run_test_program(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--helm-child") == 0) {
        auto it = roles().find(argv[2]);
        if (it == roles().end()) {
            std::fprintf(stderr, "unknown child role %s\n", argv[2]);
            return 99;
        }
        std::vector<std::string> args(argv + 3, argv + argc);
        return it->second(args);
    }
    TempDir station;
    setenv("HELM_STATION", station.path().c_str(), 1);
    setenv("HELM_HEADLESS", "1", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace helm::test
