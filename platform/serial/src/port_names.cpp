#include "helm/serial/port_names.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "helm/kernel/process.h"

namespace helm::serial {

namespace {

constexpr size_t kMaxPathLength = 1023;
constexpr size_t kMaxMapFileSize = 64 * 1024;

bool usable_path(std::string_view path)
{
    return !path.empty() && path.front() == '/' && path.size() <= kMaxPathLength &&
           path.find('\0') == std::string_view::npos;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string read_map_file()
{
    std::string text;
    FILE* file = std::fopen(map_file_path().c_str(), "rb");
    if (!file)
        return text;
    text.resize(kMaxMapFileSize);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

}  // namespace

std::string port_name(int port)
{
    if (port < kFirstPort || port > kLastPort)
        return {};
    return "COM" + std::to_string(port);
}

int port_number(std::string_view name)
{
    if (name.substr(0, 4) == "\\\\.\\")
        name.remove_prefix(4);
    if (!name.empty() && name.back() == ':')
        name.remove_suffix(1);
    if (name.size() < 4 || name.size() > 5)
        return 0;
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(name[0]) != 'C' || upper(name[1]) != 'O' || upper(name[2]) != 'M')
        return 0;
    int port = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9')
            return 0;
        port = port * 10 + (c - '0');
    }
    if (name[3] == '0')
        return 0;  // no "COM03"
    return (port >= kFirstPort && port <= kLastPort) ? port : 0;
}

std::string resolve_device_path(int port, const char* environment_value, std::string_view map_text)
{
    if (port < kFirstPort || port > kLastPort)
        return {};
    if (environment_value && usable_path(environment_value))
        return environment_value;

    std::string found;
    size_t start = 0;
    while (start < map_text.size()) {
        size_t end = map_text.find('\n', start);
        if (end == std::string_view::npos)
            end = map_text.size();
        std::string_view line = trim(map_text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string_view value = trim(line.substr(eq + 1));
        if (port_number(trim(line.substr(0, eq))) == port && usable_path(value))
            found = std::string(value);  // the last line for a port wins
    }
    if (!found.empty())
        return found;
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::string map_file_path()
{
    char program[PATH_MAX];
    DWORD length = GetModuleFileName(nullptr, program, sizeof program);
    std::string path(program, length > 0 && length < sizeof program ? length : 0);
    size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    return directory + "/serial_ports.map";
}

std::string device_path(int port)
{
    if (port < kFirstPort || port > kLastPort)
        return {};
    std::string variable = "HELM_COM" + std::to_string(port);
    return resolve_device_path(port, std::getenv(variable.c_str()), read_map_file());
}

std::vector<int> list_ports()
{
    std::vector<int> ports;
    std::string map_text = read_map_file();
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        std::string variable = "HELM_COM" + std::to_string(port);
        std::string path = resolve_device_path(port, std::getenv(variable.c_str()), map_text);
        struct stat info {};
        if (stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
            continue;
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno == EBUSY || errno == EACCES)
                ports.push_back(port);  // there, but held or not ours
            continue;
        }
        bool present = isatty(fd);
        serial_struct serial{};
        if (present && ioctl(fd, TIOCGSERIAL, &serial) == 0 && serial.type == PORT_UNKNOWN)
            present = false;  // an 8250 slot with no UART behind it
        ::close(fd);
        if (present)
            ports.push_back(port);
    }
    return ports;
}

}  // namespace helm::serial
