// AtomTable: a name-to-number table kept in one file that several processes
// share. The file is locked while read for a miss or appended to; each
// process caches what it has read, since entries are never removed or
// renumbered.
//
// File format, one entry a line: four upper-case hex digits (C000..FFFF), a
// space, the name with bytes below 0x21, '%' and 0x7F written as %XX. A line
// that does not parse, or repeats a number or a name already seen, is
// skipped, so a damaged file loses at most its damaged lines.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <sys/types.h>

namespace helm::station {

class AtomTable {
public:
    static constexpr uint16_t first_atom = 0xC000;
    static constexpr uint16_t last_atom = 0xFFFF;
    static constexpr size_t max_name = 255;
    // A file larger than this is not read past it, and takes no new entry.
    static constexpr size_t max_file_size = 16u << 20;

    explicit AtomTable(std::string path) : m_path(std::move(path)) {}

    // The name's number, added to the file when new; 0 when the name is empty
    // or too long, the table is full or the file cannot be written.
    uint16_t add(std::string_view name);
    // The name's number, or 0 when it is not in the table.
    uint16_t find(std::string_view name);
    // The name as first registered.
    std::optional<std::string> name_of(uint16_t atom);

    static bool valid_name(std::string_view name) { return !name.empty() && name.size() <= max_name; }

private:
    // Reads the entries appended since the last read; `fd` is open and locked.
    // Returns false when the file cannot be read.
    bool read_new_entries(int fd, bool complete_last_line);
    void parse_line(std::string_view line);
    void forget_everything();
    uint16_t cached(const std::string& folded) const;

    std::string m_path;
    std::mutex m_mutex;
    std::unordered_map<std::string, uint16_t> m_by_name;  // ASCII-folded name
    std::map<uint16_t, std::string> m_by_atom;
    uint32_t m_next = first_atom;
    off_t m_parsed = 0;   // bytes of complete lines read so far
    dev_t m_device = 0;   // which file they came from, to notice a replaced one
    ino_t m_inode = 0;
    bool m_oversized = false;
};

// The station's own table (the file "atoms" of the station directory).
AtomTable& station_atoms();

}  // namespace helm::station
