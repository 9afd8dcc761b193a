#include "helm/kernel/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/kernel/files.h"
#include "helm/kernel/station_path.h"
#include "helm/kernel/trace.h"

namespace helm::kernel {
namespace {

// ---------------------------------------------------------------- text

constexpr std::string_view blanks = " \t";

std::string_view trim(std::string_view s)
{
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

std::string_view trim_right(std::string_view s)
{
    size_t last = s.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

// Windows-1252 names compare with ASCII case folding only: the letters
// above 0x7F are compared as they are.
char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool has_line_break(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// ---------------------------------------------------------------- document

struct IniLine {
    enum class Kind { other, section, key };

    explicit IniLine(std::string line) : text(std::move(line))
    {
        // A zero byte ends what the line says; the rest is kept, unread.
        std::string_view content(text);
        content = trim(content.substr(0, content.find('\0')));
        if (content.empty() || content.front() == ';')
            return;
        if (content.front() == '[') {
            size_t close = content.find(']');
            kind = Kind::section;
            name = trim(content.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            return;
        }
        size_t equals = content.find('=');
        if (equals == std::string_view::npos)
            return;
        std::string_view key = trim(content.substr(0, equals));
        if (key.empty())
            return;
        kind = Kind::key;
        name = key;
        value = unquote(trim(content.substr(equals + 1)));
    }

    bool is_blank() const { return trim(text).empty(); }

    std::string text;  // as in the file, without its line end
    Kind kind = Kind::other;
    std::string name;   // of the section or the key
    std::string value;  // of a key: blanks trimmed, quotes removed
};

// A profile file as lines. A section that appears more than once reads as
// one: its keys are looked for in every appearance, in file order.
class IniDocument {
public:
    explicit IniDocument(std::string_view bytes)
    {
        while (!bytes.empty()) {
            size_t end = bytes.find('\n');
            std::string_view line = bytes.substr(0, end);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            m_lines.emplace_back(std::string(line));
            if (end == std::string_view::npos)
                break;
            bytes.remove_prefix(end + 1);
        }
    }

    std::string serialize() const
    {
        std::string out;
        for (const IniLine& line : m_lines) {
            out += line.text;
            out += "\r\n";
        }
        return out;
    }

    const IniLine* find_key(std::string_view section, std::string_view key) const
    {
        if (m_indexed) {
            auto it = m_index.find(index_key(section, key));
            return it == m_index.end() ? nullptr : &m_lines[it->second];
        }
        for (const Span& span : spans_of(section))
            for (size_t i = span.header + 1; i < span.end; ++i)
                if (m_lines[i].kind == IniLine::Kind::key && same_name(m_lines[i].name, key))
                    return &m_lines[i];
        return nullptr;
    }

    std::vector<std::string> section_names() const
    {
        std::vector<std::string> names;
        for (const IniLine& line : m_lines)
            if (line.kind == IniLine::Kind::section)
                add_distinct(names, line.name);
        return names;
    }

    // The section's keys, each once (its first appearance).
    std::vector<const IniLine*> keys_of(std::string_view section) const
    {
        std::vector<const IniLine*> keys;
        for (const Span& span : spans_of(section))
            for (size_t i = span.header + 1; i < span.end; ++i) {
                const IniLine& line = m_lines[i];
                if (line.kind != IniLine::Kind::key)
                    continue;
                bool seen = false;
                for (const IniLine* known : keys)
                    seen = seen || same_name(known->name, line.name);
                if (!seen)
                    keys.push_back(&line);
            }
        return keys;
    }

    // Makes find_key a lookup, for a document that is read many times and
    // never edited: each section's keys, the first of each name in file
    // order, as find_key finds them.
    void build_index()
    {
        const IniLine* section = nullptr;
        for (size_t i = 0; i < m_lines.size(); ++i) {
            const IniLine& line = m_lines[i];
            if (line.kind == IniLine::Kind::section)
                section = &line;
            else if (line.kind == IniLine::Kind::key && section)
                m_index.emplace(index_key(section->name, line.name), i);
        }
        m_indexed = true;
    }

    // Each edit returns true when it changed the document.

    bool set_value(std::string_view section, std::string_view key, std::string_view value)
    {
        std::vector<Span> spans = spans_of(section);
        if (spans.empty()) {
            append_section(section, {std::string(key) + "=" + std::string(value)});
            return true;
        }
        for (const Span& span : spans)
            for (size_t i = span.header + 1; i < span.end; ++i) {
                IniLine& line = m_lines[i];
                if (line.kind == IniLine::Kind::key && same_name(line.name, key)) {
                    std::string text = line.name + "=" + std::string(value);
                    if (text == line.text)
                        return false;
                    line = IniLine(std::move(text));
                    return true;
                }
            }
        size_t after = spans.front().header;
        for (size_t i = spans.front().header + 1; i < spans.front().end; ++i)
            if (m_lines[i].kind == IniLine::Kind::key)
                after = i;
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(after + 1),
                       IniLine(std::string(key) + "=" + std::string(value)));
        return true;
    }

    bool delete_key(std::string_view section, std::string_view key)
    {
        std::vector<bool> drop(m_lines.size(), false);
        for (const Span& span : spans_of(section))
            for (size_t i = span.header + 1; i < span.end; ++i)
                drop[i] = m_lines[i].kind == IniLine::Kind::key && same_name(m_lines[i].name, key);
        return remove(drop);
    }

    bool delete_section(std::string_view section)
    {
        std::vector<bool> drop(m_lines.size(), false);
        for (const Span& span : spans_of(section))
            for (size_t i = span.header; i < span.end; ++i)
                drop[i] = true;
        return remove(drop);
    }

    // The section's first appearance keeps its header and the blank lines
    // that end it (they part it from the next); its other lines, and the
    // section's later appearances, make way for `lines`.
    void replace_section(std::string_view section, const std::vector<std::string>& lines)
    {
        std::vector<Span> spans = spans_of(section);
        if (spans.empty()) {
            append_section(section, lines);
            return;
        }
        std::vector<IniLine> result;
        size_t next = 0;
        for (size_t s = 0; s < spans.size(); ++s) {
            const Span& span = spans[s];
            for (; next < span.header; ++next)
                result.push_back(m_lines[next]);
            if (s == 0) {
                result.push_back(m_lines[span.header]);
                for (const std::string& line : lines)
                    result.emplace_back(line);
                size_t trailing = span.end;
                while (trailing > span.header + 1 && m_lines[trailing - 1].is_blank())
                    --trailing;
                for (size_t i = trailing; i < span.end; ++i)
                    result.push_back(m_lines[i]);
            }
            next = span.end;
        }
        for (; next < m_lines.size(); ++next)
            result.push_back(m_lines[next]);
        m_lines = std::move(result);
    }

private:
    // A section's header line and the index of the line after its body.
    struct Span {
        size_t header;
        size_t end;
    };

    std::vector<Span> spans_of(std::string_view section) const
    {
        std::vector<Span> spans;
        for (size_t i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].kind != IniLine::Kind::section)
                continue;
            if (!spans.empty() && spans.back().end == SIZE_MAX)
                spans.back().end = i;
            if (same_name(m_lines[i].name, section))
                spans.push_back({i, SIZE_MAX});
        }
        if (!spans.empty() && spans.back().end == SIZE_MAX)
            spans.back().end = m_lines.size();
        return spans;
    }

    void append_section(std::string_view section, const std::vector<std::string>& lines)
    {
        if (!m_lines.empty() && !m_lines.back().is_blank())
            m_lines.emplace_back(std::string());
        m_lines.emplace_back("[" + std::string(section) + "]");
        for (const std::string& line : lines)
            m_lines.emplace_back(line);
    }

    bool remove(const std::vector<bool>& drop)
    {
        std::vector<IniLine> kept;
        for (size_t i = 0; i < m_lines.size(); ++i)
            if (!drop[i])
                kept.push_back(std::move(m_lines[i]));
        bool changed = kept.size() != m_lines.size();
        m_lines = std::move(kept);
        return changed;
    }

    static void add_distinct(std::vector<std::string>& names, const std::string& name)
    {
        for (const std::string& known : names)
            if (same_name(known, name))
                return;
        names.push_back(name);
    }

    static std::string index_key(std::string_view section, std::string_view key)
    {
        std::string folded;
        folded.reserve(section.size() + key.size() + 1);
        for (char c : section)
            folded += fold(c);
        folded += '\n';  // no name holds a line break
        for (char c : key)
            folded += fold(c);
        return folded;
    }

    std::vector<IniLine> m_lines;
    std::unordered_map<std::string, size_t> m_index;
    bool m_indexed = false;
};

// ---------------------------------------------------------------- results

DWORD copy_value(std::string_view value, LPSTR buffer, DWORD size)
{
    if (size == 0 || !buffer)
        return 0;
    size_t n = value.size() < size ? value.size() : size - 1;
    if (n > 0)
        std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// Items each ended by a zero, then one more zero. A list that does not fit
// is cut at size - 2 and still ends with two zeros.
DWORD copy_list(const std::vector<std::string_view>& items, LPSTR buffer, DWORD size)
{
    if (size == 0 || !buffer)
        return 0;
    std::string all;
    for (std::string_view item : items) {
        all += item;
        all += '\0';
    }
    if (all.size() + 1 <= size) {
        std::memcpy(buffer, all.data(), all.size());
        buffer[all.size()] = '\0';
        if (all.empty() && size >= 2)
            buffer[1] = '\0';
        return static_cast<DWORD>(all.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, all.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

// ---------------------------------------------------------------- files

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    ~Fd() { reset(); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = fd;
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::string windows_directory()
{
    std::string dir(MAX_PATH, '\0');
    UINT n = GetWindowsDirectory(dir.data(), static_cast<UINT>(dir.size()));
    if (n >= dir.size()) {
        dir.assign(n, '\0');
        n = GetWindowsDirectory(dir.data(), static_cast<UINT>(dir.size()));
        if (n >= dir.size())
            return {};
    }
    dir.resize(n);
    return dir;
}

// The profile file, opened and locked (shared to read, exclusive to write).
// The lock is on the file itself: a write replaces the file by a rename, so
// whoever got the lock on a file that has since been replaced opens again.
struct LockedFile {
    enum class State { open, missing, failed } state = State::failed;
    Fd fd;
    struct stat info {};
    bool created = false;
    int error = 0;
};

LockedFile open_locked(const std::string& path, bool exclusive, bool create)
{
    LockedFile file;
    for (int attempt = 0; attempt < 10000; ++attempt) {
        // O_NONBLOCK: a FIFO in the file's place must not hang the caller.
        int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
        int fd = open(path.c_str(), flags);
        file.created = false;
        if (fd < 0 && errno == ENOENT && create) {
            fd = open(path.c_str(), flags | O_CREAT | O_EXCL, 0644);
            if (fd < 0 && errno == EEXIST)
                continue;
            file.created = fd >= 0;
        }
        if (fd < 0) {
            file.error = errno;
            file.state = (errno == ENOENT && !create) ? LockedFile::State::missing : LockedFile::State::failed;
            return file;
        }
        file.fd.reset(fd);
        int locked;
        do
            locked = flock(fd, exclusive ? LOCK_EX : LOCK_SH);
        while (locked != 0 && errno == EINTR);
        if (locked != 0 || fstat(fd, &file.info) != 0) {
            file.error = errno;
            file.state = LockedFile::State::failed;
            return file;
        }
        if (!S_ISREG(file.info.st_mode)) {
            file.error = S_ISDIR(file.info.st_mode) ? EISDIR : EINVAL;
            file.state = LockedFile::State::failed;
            return file;
        }
        struct stat now {};
        if (stat(path.c_str(), &now) == 0 && now.st_dev == file.info.st_dev && now.st_ino == file.info.st_ino) {
            file.state = LockedFile::State::open;
            return file;
        }
    }
    file.error = EBUSY;
    file.state = LockedFile::State::failed;
    return file;
}

// The whole file, or false when it is bigger than the limit or unreadable.
bool read_whole(const LockedFile& file, std::string& bytes, DWORD& error)
{
    if (file.info.st_size < 0 || static_cast<unsigned long long>(file.info.st_size) > profile_file_limit) {
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    bytes.assign(static_cast<size_t>(file.info.st_size), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = pread(file.fd.get(), bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = error_from_errno(errno);
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return true;
}

DWORD path_error(int err)
{
    return (err == ENOENT || err == ENOTDIR) ? static_cast<DWORD>(ERROR_PATH_NOT_FOUND)
           : err == EISDIR                   ? static_cast<DWORD>(ERROR_ACCESS_DENIED)
                                             : error_from_errno(err);
}

// Writes `bytes` to a new file beside `path` and renames it over `path`.
bool replace_file(const std::string& path, const std::string& bytes, mode_t mode, DWORD& error)
{
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "/." + base + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = error_from_errno(errno);
        return false;
    }
    bool ok = fchmod(fd, mode) == 0;
    for (size_t done = 0; ok && done < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<size_t>(n);
    }
    int err = errno;
    ok = (close(fd) == 0) && ok;
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        unlink(temp.c_str());
        error = error_from_errno(err ? err : EIO);
    }
    return ok;
}

// The documents of the files read last. A program reads a file key by key
// (the I/O server reads nine keys per port at its start), and parsing the
// whole file for each key made a large file cost seconds. A file is still
// read whole under its lock at every call, and its document is taken from
// here only when the bytes are the same as when it was parsed, so every
// read sees the file as it is now, whoever wrote it and however.
class DocumentCache {
public:
    std::shared_ptr<const IniDocument> document_of(const std::string& path, std::string&& bytes)
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->path != path)
                continue;
            if (it->bytes != bytes) {
                m_entries.erase(it);
                break;
            }
            std::rotate(m_entries.begin(), it, it + 1);
            return m_entries.front().document;
        }
        auto document = std::make_shared<IniDocument>(bytes);
        document->build_index();
        if (m_entries.size() >= kEntries)
            m_entries.pop_back();
        m_entries.insert(m_entries.begin(), {path, std::move(bytes), document});
        return document;
    }

private:
    static constexpr size_t kEntries = 8;
    struct Entry {
        std::string path;
        std::string bytes;
        std::shared_ptr<const IniDocument> document;
    };
    std::mutex m_mutex;
    std::vector<Entry> m_entries;  // the one read last first
};

DocumentCache& document_cache()
{
    static auto* cache = new DocumentCache;  // used by threads still running at exit
    return *cache;
}

// The profile's document for a read; empty when the file is missing,
// unreadable or too big.
std::shared_ptr<const IniDocument> read_profile(LPCSTR fileName)
{
    static const auto empty = std::make_shared<const IniDocument>(std::string_view{});
    std::string path = profile_file_path(fileName);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return empty;
    }
    LockedFile file = open_locked(path, false, false);
    if (file.state != LockedFile::State::open) {
        SetLastError(file.state == LockedFile::State::missing ? static_cast<DWORD>(ERROR_FILE_NOT_FOUND)
                                                               : path_error(file.error));
        return empty;
    }
    std::string bytes;
    DWORD error = ERROR_SUCCESS;
    if (!read_whole(file, bytes, error)) {
        trace("profile: %s not read (error %u)\n", path.c_str(), static_cast<unsigned>(error));
        SetLastError(error);
        return empty;
    }
    return document_cache().document_of(path, std::move(bytes));
}

// Applies `edit` to the profile under an exclusive lock and writes the
// result when it changed anything. `create`: a missing file is made (else a
// missing file needs no edit and the call succeeds).
BOOL edit_profile(LPCSTR fileName, bool create, const std::function<bool(IniDocument&)>& edit)
{
    std::string path = profile_file_path(fileName);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    LockedFile file = open_locked(path, true, create);
    if (file.state == LockedFile::State::missing)
        return TRUE;
    if (file.state != LockedFile::State::open) {
        SetLastError(path_error(file.error));
        return FALSE;
    }
    DWORD error = ERROR_SUCCESS;
    std::string bytes;
    bool ok = true;
    // A file without any write permission bit is read-only, as
    // GetFileAttributes reports it, even to a user who could override it.
    if ((file.info.st_mode & 0222) == 0 || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        error = ERROR_ACCESS_DENIED;
        ok = false;
    }
    ok = ok && read_whole(file, bytes, error);
    if (ok) {
        IniDocument document(bytes);
        if (edit(document)) {
            std::string out = document.serialize();
            if (out.size() > profile_file_limit) {
                error = ERROR_FILE_TOO_LARGE;
                ok = false;
            } else {
                ok = replace_file(path, out, file.info.st_mode & 07777, error);
            }
        }
    }
    if (!ok) {
        if (file.created)
            unlink(path.c_str());
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

// Names and values that would not read back as they were written are
// refused: a line break would start a new line, a ']' end the header, an
// '=' end the key.
bool valid_section(std::string_view section)
{
    return !section.empty() && !has_line_break(section) && section.find(']') == std::string_view::npos;
}

bool valid_key(std::string_view key)
{
    return !key.empty() && !has_line_break(key) && key.find('=') == std::string_view::npos && key.front() != ';' &&
           key.front() != '[';
}

}  // namespace

std::string profile_file_path(LPCSTR fileName)
{
    std::string path = native_path(fileName ? fileName : "win.ini");
    if (path.empty())
        return {};
    if (path.find('/') == std::string::npos) {
        std::string dir = windows_directory();
        if (dir.empty())
            return {};
        if (dir.back() != '/')
            dir += '/';
        path = dir + path;
    }
    // A profile reached through a symbolic link is the file it points at:
    // the rename that replaces it must not replace the link.
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    return path;
}

}  // namespace helm::kernel

using helm::kernel::copy_list;
using helm::kernel::copy_value;
using helm::kernel::IniDocument;
using helm::kernel::read_profile;
using helm::kernel::trim;

DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                              LPCSTR fileName)
{
    if (!buffer || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto document_ref = read_profile(fileName);
    const IniDocument& document = *document_ref;
    if (!section) {
        std::vector<std::string> names = document.section_names();
        return copy_list(std::vector<std::string_view>(names.begin(), names.end()), buffer, size);
    }
    if (!key) {
        std::vector<std::string_view> names;
        for (const auto* line : document.keys_of(trim(section)))
            names.push_back(line->name);
        return copy_list(names, buffer, size);
    }
    if (const auto* line = document.find_key(trim(section), trim(key)))
        return copy_value(line->value, buffer, size);
    return copy_value(helm::kernel::trim_right(defaultValue ? defaultValue : ""), buffer, size);
}

UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName)
{
    if (!section || !key)
        return static_cast<UINT>(defaultValue);
    const auto document_ref = read_profile(fileName);
    const IniDocument& document = *document_ref;
    const auto* line = document.find_key(trim(section), trim(key));
    if (!line || line->value.empty())
        return static_cast<UINT>(defaultValue);
    std::string_view text = trim(line->value);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        number = number * 10 + (c - '0');
        if (number > static_cast<long long>(INT_MAX) + 1)
            number = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        number = -number;
    if (number > INT_MAX)
        number = INT_MAX;
    return static_cast<UINT>(static_cast<INT>(number));
}

BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    if (!section && !key && !value)
        return TRUE;  // a flush: every write is already on disk
    if (!section) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string_view name = trim(section);
    std::string_view entry = key ? trim(key) : std::string_view{};
    if (!helm::kernel::valid_section(name) || (key && !helm::kernel::valid_key(entry)) ||
        (value && helm::kernel::has_line_break(value))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!key)
        return helm::kernel::edit_profile(fileName, false,
                                          [&](IniDocument& document) { return document.delete_section(name); });
    if (!value)
        return helm::kernel::edit_profile(fileName, false,
                                          [&](IniDocument& document) { return document.delete_key(name, entry); });
    return helm::kernel::edit_profile(
        fileName, true, [&](IniDocument& document) { return document.set_value(name, entry, value); });
}

DWORD GetPrivateProfileSection(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName)
{
    if (!section || !buffer || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto document_ref = read_profile(fileName);
    const IniDocument& document = *document_ref;
    std::vector<std::string> entries;
    for (const auto* line : document.keys_of(trim(section)))
        entries.push_back(line->name + "=" + line->value);
    return copy_list(std::vector<std::string_view>(entries.begin(), entries.end()), buffer, size);
}

BOOL WritePrivateProfileSection(LPCSTR section, LPCSTR lines, LPCSTR fileName)
{
    std::string_view name = section ? trim(section) : std::string_view{};
    if (!helm::kernel::valid_section(name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!lines)
        return helm::kernel::edit_profile(fileName, false,
                                          [&](IniDocument& document) { return document.delete_section(name); });
    std::vector<std::string> entries;
    for (const char* p = lines; *p; p += std::strlen(p) + 1) {
        std::string_view line(p);
        std::string_view content = trim(line);
        if (helm::kernel::has_line_break(line) || (!content.empty() && content.front() == '[')) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        entries.emplace_back(line);
    }
    return helm::kernel::edit_profile(fileName, true, [&](IniDocument& document) {
        document.replace_section(name, entries);
        return true;
    });
}

DWORD GetPrivateProfileSectionNames(LPSTR buffer, DWORD size, LPCSTR fileName)
{
    return GetPrivateProfileString(nullptr, nullptr, nullptr, buffer, size, fileName);
}

DWORD GetProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size)
{
    return GetPrivateProfileString(section, key, defaultValue, buffer, size, "win.ini");
}

UINT GetProfileInt(LPCSTR section, LPCSTR key, INT defaultValue)
{
    return GetPrivateProfileInt(section, key, defaultValue, "win.ini");
}

BOOL WriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value)
{
    return WritePrivateProfileString(section, key, value, "win.ini");
}
