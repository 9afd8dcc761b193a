// A file or folder made read-only for the length of a test, also for root:
// the permission bits are cleared and, where the file system has it, the
// immutable flag is set (root ignores the bits, not the flag). Writable
// again when the object goes, so the test's directory can be removed.
#pragma once

#include <string>

namespace helm::test {

class ReadOnly {
public:
    explicit ReadOnly(std::string path);
    ~ReadOnly();
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;

    // Whether the calling process is really kept from writing: false for
    // root on a file system without the immutable flag.
    bool holds() const { return m_holds; }

private:
    std::string m_path;
    unsigned m_mode = 0;
    bool m_immutable = false;
    bool m_holds = false;
};

}  // namespace helm::test
