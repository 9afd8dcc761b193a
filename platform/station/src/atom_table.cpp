#include "helm/station/atom_table.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "helm/kernel/error.h"
#include "helm/kernel/station_path.h"
#include "helm/kernel/trace.h"
#include "unique_fd.h"

namespace helm::station {
namespace {

std::string fold(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool needs_escape(unsigned char c) { return c < 0x21 || c == '%' || c == 0x7F; }

std::string format_line(uint16_t atom, std::string_view name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(6 + name.size() * 3);
    for (int shift = 12; shift >= 0; shift -= 4)
        line += hex[(atom >> shift) & 15];
    line += ' ';
    for (unsigned char c : name) {
        if (needs_escape(c)) {
            line += '%';
            line += hex[c >> 4];
            line += hex[c & 15];
        } else {
            line += static_cast<char>(c);
        }
    }
    line += '\n';
    return line;
}

// The name part of a line, or nothing when it is malformed.
std::optional<std::string> decode_name(std::string_view text)
{
    std::string name;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '%') {
            if (i + 2 >= text.size())
                return std::nullopt;
            int hi = hex_value(text[i + 1]);
            int lo = hex_value(text[i + 2]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            c = static_cast<unsigned char>(hi * 16 + lo);
            if (c == 0)
                return std::nullopt;
            i += 2;
        } else if (needs_escape(c)) {
            return std::nullopt;
        }
        name += static_cast<char>(c);
        if (name.size() > AtomTable::max_name)
            return std::nullopt;
    }
    if (name.empty())
        return std::nullopt;
    return name;
}

}  // namespace

uint16_t AtomTable::cached(const std::string& folded) const
{
    auto it = m_by_name.find(folded);
    return it == m_by_name.end() ? 0 : it->second;
}

void AtomTable::forget_everything()
{
    m_by_name.clear();
    m_by_atom.clear();
    m_next = first_atom;
    m_parsed = 0;
    m_oversized = false;
}

void AtomTable::parse_line(std::string_view line)
{
    if (line.size() < 6 || line[4] != ' ')
        return;
    uint32_t atom = 0;
    for (int i = 0; i < 4; ++i) {
        int digit = hex_value(line[i]);
        if (digit < 0)
            return;
        atom = atom * 16 + static_cast<uint32_t>(digit);
    }
    if (atom < first_atom || atom > last_atom || m_by_atom.count(static_cast<uint16_t>(atom)))
        return;
    auto name = decode_name(line.substr(5));
    if (!name)
        return;
    std::string folded = fold(*name);
    if (m_by_name.count(folded))
        return;
    m_by_name.emplace(std::move(folded), static_cast<uint16_t>(atom));
    m_by_atom.emplace(static_cast<uint16_t>(atom), std::move(*name));
    m_next = std::max(m_next, atom + 1);
}

bool AtomTable::read_new_entries(int fd, bool complete_last_line)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    if (st.st_dev != m_device || st.st_ino != m_inode || st.st_size < m_parsed) {
        forget_everything();
        m_device = st.st_dev;
        m_inode = st.st_ino;
    }
    m_oversized = static_cast<uint64_t>(st.st_size) > max_file_size;
    off_t end = std::min<off_t>(st.st_size, static_cast<off_t>(max_file_size));
    if (end <= m_parsed)
        return true;

    std::string bytes(static_cast<size_t>(end - m_parsed), '\0');
    ssize_t got = pread_all(fd, bytes.data(), bytes.size(), m_parsed);
    if (got < 0)
        return false;
    bytes.resize(static_cast<size_t>(got));

    size_t complete = bytes.rfind('\n');
    complete = complete == std::string::npos ? 0 : complete + 1;
    std::string_view rest(bytes.data(), complete);
    while (!rest.empty()) {
        size_t eol = rest.find('\n');
        parse_line(rest.substr(0, eol));
        rest.remove_prefix(eol + 1);
    }
    m_parsed += static_cast<off_t>(complete);

    // A writer that died mid-line left a tail without its newline: end that
    // line, as every reader will then read it, so the next entry starts on a
    // line of its own.
    std::string_view tail(bytes.data() + complete, bytes.size() - complete);
    if (complete_last_line && !tail.empty() && !m_oversized) {
        if (!write_all(fd, "\n"))
            return false;
        parse_line(tail);
        m_parsed += static_cast<off_t>(tail.size() + 1);
    }
    return true;
}

uint16_t AtomTable::add(std::string_view name)
{
    if (!valid_name(name) || name.find('\0') != std::string_view::npos) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string folded = fold(name);
    std::lock_guard guard(m_mutex);
    if (uint16_t atom = cached(folded))
        return atom;

    UniqueFd fd(::open(m_path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd) {
        kernel::set_last_error_from_errno();
        return 0;
    }
    FileLock lock(fd.get(), LOCK_EX);
    if (!read_new_entries(fd.get(), true)) {
        kernel::set_last_error_from_errno();
        return 0;
    }
    if (uint16_t atom = cached(folded))
        return atom;
    if (m_oversized || m_next > last_atom) {
        kernel::trace("station: atom table %s is full\n", m_path.c_str());
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    std::string line = format_line(static_cast<uint16_t>(m_next), name);
    if (!write_all(fd.get(), line)) {
        kernel::set_last_error_from_errno();
        return 0;
    }
    m_parsed += static_cast<off_t>(line.size());
    parse_line(std::string_view(line).substr(0, line.size() - 1));
    return cached(folded);
}

uint16_t AtomTable::find(std::string_view name)
{
    if (!valid_name(name))
        return 0;
    std::string folded = fold(name);
    std::lock_guard guard(m_mutex);
    if (uint16_t atom = cached(folded))
        return atom;
    UniqueFd fd(::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        return 0;
    FileLock lock(fd.get(), LOCK_SH);
    read_new_entries(fd.get(), false);
    return cached(folded);
}

std::optional<std::string> AtomTable::name_of(uint16_t atom)
{
    std::lock_guard guard(m_mutex);
    if (auto it = m_by_atom.find(atom); it != m_by_atom.end())
        return it->second;
    UniqueFd fd(::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        return std::nullopt;
    FileLock lock(fd.get(), LOCK_SH);
    read_new_entries(fd.get(), false);
    if (auto it = m_by_atom.find(atom); it != m_by_atom.end())
        return it->second;
    return std::nullopt;
}

AtomTable& station_atoms()
{
    // The station is fixed for the life of a process; the table outlives
    // threads still registering at exit.
    static auto* table = [] {
        std::string dir = kernel::station_directory();
        return new AtomTable(dir.empty() ? std::string() : dir + "/atoms");
    }();
    return *table;
}

}  // namespace helm::station
