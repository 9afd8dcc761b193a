// Support for the suite's tests: every test program runs in a station of
// its own, and can start copies of itself in a child role to test what
// crosses processes.
#pragma once

#include <sys/types.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace helm::test {

using ChildMain = int (*)(const std::vector<std::string>& args);

// Registers a role that a child started with spawn_child plays.
struct ChildRole {
    ChildRole(const char* name, ChildMain main);
};

#define HELM_TEST_CHILD(name)                                                   \
    static int helm_child_##name(const std::vector<std::string>& args);         \
    static ::helm::test::ChildRole helm_child_role_##name(#name, helm_child_##name); \
    static int helm_child_##name([[maybe_unused]] const std::vector<std::string>& args)

// A copy of the test program running one role.
class Child {
public:
    Child() = default;
    explicit Child(pid_t pid) : m_pid(pid) {}
    Child(Child&& other) noexcept : m_pid(other.m_pid) { other.m_pid = -1; }
    Child& operator=(Child&& other) noexcept;
    ~Child();  // kills a child still running

    pid_t pid() const { return m_pid; }
    // Waits for the end: the exit code, 128 + signal when killed, -1 on
    // time-out (the child keeps running).
    int wait(int timeout_ms = 30000);
    void kill();

private:
    pid_t m_pid = -1;
};

// Starts this test program in `role` with `args`; `env` entries replace or
// add variables (an empty value removes one).
Child spawn_child(const std::string& role, std::initializer_list<std::string> args = {},
                  const std::map<std::string, std::string>& env = {});

// A fresh private directory, removed with its contents at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Polls `condition` until it holds or the time runs out.
template <class F>
bool eventually(F condition, int timeout_ms = 5000);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// The live child of this process whose command (as the kernel names it,
// at most 15 characters) is `command`; 0 when there is none. Programs this
// process started through another layer (the I/O server that Portlink
// starts beside its caller) are found this way.
pid_t child_process(const std::string& command);

// The main of every test program (helm_testmain): a child role when asked
// for one, else the tests, in a station of their own.
int run_test_program(int argc, char** argv);

}  // namespace helm::test

#include <chrono>
#include <thread>

template <class F>
bool helm::test::eventually(F condition, int timeout_ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}
