#include "helm/test/read_only.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace helm::test {
namespace {

bool set_immutable(const std::string& path, bool on)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

}  // namespace

ReadOnly::ReadOnly(std::string path) : m_path(std::move(path))
{
    struct stat info {};
    if (::stat(m_path.c_str(), &info) != 0)
        return;
    m_mode = info.st_mode & 07777;
    ::chmod(m_path.c_str(), m_mode & ~0222u);
    m_immutable = set_immutable(m_path, true);
    m_holds = m_immutable || ::geteuid() != 0;
}

ReadOnly::~ReadOnly()
{
    if (m_immutable)
        set_immutable(m_path, false);
    if (m_mode)
        ::chmod(m_path.c_str(), m_mode);
}

}  // namespace helm::test
