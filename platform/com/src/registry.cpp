#include "helm/com/registry.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "helm/kernel/station_path.h"

namespace helm::com {
namespace {

constexpr size_t max_file_bytes = 1 << 20;
constexpr size_t max_entries = 4096;
constexpr const char* header_line = "helm-controls 1";
constexpr int field_count = 11;

std::string registry_path() { return kernel::station_object_path("registry", "controls"); }

// Fields are separated by tabs; a byte below 0x20, '%' and 0x7F are
// written as %xx so that no field can break a line or a field.
std::string escape(std::string_view s)
{
    std::string out;
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == '%' || b == 0x7F) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", b);
            out += buf;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

bool unescape(std::string_view s, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out.push_back(s[i]);
            continue;
        }
        if (i + 2 >= s.size())
            return false;
        char hex[3] = {s[i + 1], s[i + 2], 0};
        if (!std::isxdigit(static_cast<unsigned char>(hex[0])) || !std::isxdigit(static_cast<unsigned char>(hex[1])))
            return false;
        long v = std::strtol(hex, nullptr, 16);
        out.push_back(char(v));
        i += 2;
    }
    return true;
}

std::vector<std::string_view> split(std::string_view line, char sep)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t at = line.find(sep, start);
        parts.push_back(line.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return parts;
        start = at + 1;
    }
}

bool parse_number(std::string_view s, unsigned long long max, unsigned long long& value, int base)
{
    if (s.empty() || s.size() > 20)
        return false;
    std::string copy(s);
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(copy.c_str(), &end, base);
    return errno == 0 && end == copy.c_str() + copy.size() && copy[0] != '-' && value <= max;
}

std::optional<ClassEntry> parse_line(std::string_view line)
{
    auto f = split(line, '\t');
    if (f.size() != field_count)
        return std::nullopt;
    ClassEntry e;
    auto id = parse_guid(f[0]);
    if (!id)
        return std::nullopt;
    e.clsid = *id;
    std::string* texts[] = {&e.prog_id, &e.version_independent_prog_id, &e.description, &e.file,
                            &e.threading_model};
    for (int i = 0; i < 5; ++i)
        if (!unescape(f[size_t(i) + 1], *texts[i]))
            return std::nullopt;
    unsigned long long keys = 0, misc = 0, bitmap = 0;
    if (!parse_number(f[6], 0xFFFFFFFFu, keys, 16) || !parse_number(f[7], 0xFFFFFFFFu, misc, 16) ||
        !parse_number(f[8], 0x7FFFFFFF, bitmap, 10))
        return std::nullopt;
    e.keys = DWORD(keys);
    e.misc_status = DWORD(misc);
    e.toolbox_bitmap = int(bitmap);
    if (f[9].empty()) {
        e.type_library = GUID_NULL;
    } else if (auto lib = parse_guid(f[9])) {
        e.type_library = *lib;
    } else {
        return std::nullopt;
    }
    if (!unescape(f[10], e.type_library_version))
        return std::nullopt;
    if (e.file.empty())
        return std::nullopt;
    return e;
}

std::string format_line(const ClassEntry& e)
{
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%X\t%X\t%d", unsigned(e.keys), unsigned(e.misc_status),
                  e.toolbox_bitmap);
    return format_guid(e.clsid) + '\t' + escape(e.prog_id) + '\t' + escape(e.version_independent_prog_id) + '\t' +
           escape(e.description) + '\t' + escape(e.file) + '\t' + escape(e.threading_model) + '\t' + numbers +
           '\t' + (e.type_library == GUID_NULL ? std::string() : format_guid(e.type_library)) + '\t' +
           escape(e.type_library_version) + '\n';
}

std::vector<ClassEntry> read_registry()
{
    std::vector<ClassEntry> entries;
    std::string path = registry_path();
    if (path.empty())
        return entries;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return entries;
    std::string bytes;
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buf, size_t(n));
        if (bytes.size() > max_file_bytes) {
            bytes.resize(max_file_bytes);
            break;
        }
    }
    ::close(fd);
    auto lines = split(bytes, '\n');
    if (lines.empty() || lines[0] != header_line)
        return entries;
    for (size_t i = 1; i < lines.size() && entries.size() < max_entries; ++i)
        if (auto e = parse_line(lines[i]))
            entries.push_back(std::move(*e));
    return entries;
}

bool write_registry(const std::vector<ClassEntry>& entries)
{
    std::string path = registry_path();
    if (path.empty())
        return false;
    std::string temp = path + "-new";
    std::string text = std::string(header_line) + '\n';
    for (const auto& e : entries)
        text += format_line(e);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        done += size_t(n);
    }
    bool ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Serialises changes between processes of the station.
class RegistryLock {
public:
    RegistryLock()
    {
        std::string path = kernel::station_object_path("registry", "controls-lock");
        if (!path.empty())
            m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~RegistryLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

bool same_text_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

bool storable_id(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == ' ')
            return false;
    return true;
}

}  // namespace

std::vector<ClassEntry> registered_classes() { return read_registry(); }

std::optional<ClassEntry> find_class(const CLSID& clsid)
{
    for (auto& e : read_registry())
        if (e.clsid == clsid)
            return e;
    return std::nullopt;
}

std::optional<ClassEntry> find_prog_id(std::string_view prog_id)
{
    if (prog_id.empty())
        return std::nullopt;
    for (auto& e : read_registry())
        if (same_text_ignoring_case(e.prog_id, prog_id) ||
            same_text_ignoring_case(e.version_independent_prog_id, prog_id))
            return e;
    return std::nullopt;
}

HRESULT register_classes(std::span<const ClassEntry> entries)
{
    for (const auto& e : entries)
        if (e.file.empty() || !storable_id(e.prog_id) || !storable_id(e.version_independent_prog_id))
            return E_INVALIDARG;
    RegistryLock lock;
    if (!lock.held())
        return REGDB_E_WRITEREGDB;
    auto all = read_registry();
    for (const auto& e : entries) {
        std::erase_if(all, [&](const ClassEntry& old) { return old.clsid == e.clsid; });
        all.push_back(e);
    }
    if (all.size() > max_entries)
        return REGDB_E_WRITEREGDB;
    return write_registry(all) ? S_OK : REGDB_E_WRITEREGDB;
}

HRESULT unregister_classes(std::span<const CLSID> clsids)
{
    RegistryLock lock;
    if (!lock.held())
        return REGDB_E_WRITEREGDB;
    auto all = read_registry();
    size_t before = all.size();
    for (const auto& id : clsids)
        std::erase_if(all, [&](const ClassEntry& old) { return old.clsid == id; });
    if (all.size() == before)
        return S_FALSE;
    return write_registry(all) ? S_OK : REGDB_E_WRITEREGDB;
}

std::string module_file(const void* address_in_module)
{
    Dl_info info{};
    if (!address_in_module || !dladdr(address_in_module, &info) || !info.dli_fname)
        return {};
    char resolved[PATH_MAX];
    if (!::realpath(info.dli_fname, resolved))
        return info.dli_fname;
    return resolved;
}

}  // namespace helm::com
