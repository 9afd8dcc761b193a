// Version blocks: a tree of nodes (length, value length, type, UTF-16 key,
// value, children), each DWORD-aligned. GetFileVersionInfo copies a loaded
// module's block and leaves room behind it, as large again, where
// VerQueryValue puts the 8-bit copies of the texts it is asked for.

#include <cstring>
#include <filesystem>
#include <string>

#include "resource_codepage.h"
#include "resource_table.h"

namespace helm::user {
namespace {

constexpr unsigned char kNarrowMark[4] = {'h', 'v', '8', 'a'};
constexpr size_t kFixedInfoSize = sizeof(VS_FIXEDFILEINFO);

size_t align4(size_t n)
{
    return (n + 3) & ~size_t{3};
}
WORD le16(const unsigned char* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

// One node read with every length checked against its parent's end.
struct Node {
    size_t start = 0;
    size_t end = 0;          // start + wLength
    size_t value = 0;        // offset of the value
    size_t value_bytes = 0;
    WORD value_length = 0;   // as stored (characters for text)
    bool text = false;
    size_t children = 0;     // offset of the first child
    std::u16string key;
};

std::optional<Node> read_node(const unsigned char* block, size_t start, size_t limit)
{
    if (start + 6 > limit)
        return std::nullopt;
    Node node;
    node.start = start;
    const size_t length = le16(block + start);
    if (length < 6 || length > limit - start)
        return std::nullopt;
    node.end = start + length;
    node.value_length = le16(block + start + 2);
    node.text = le16(block + start + 4) == 1;
    size_t at = start + 6;
    for (;;) {
        if (at + 2 > node.end)
            return std::nullopt;
        const char16_t c = le16(block + at);
        at += 2;
        if (c == 0)
            break;
        node.key += c;
    }
    node.value = align4(at);
    node.value_bytes = node.text ? size_t{node.value_length} * 2 : node.value_length;
    if (node.value > node.end || node.value_bytes > node.end - node.value)
        return std::nullopt;
    node.children = align4(node.value + node.value_bytes);
    return node;
}

bool same_key(const std::u16string& key, const std::string& wanted)
{
    if (key.size() != wanted.size())
        return false;
    for (size_t i = 0; i < key.size(); ++i) {
        char16_t a = key[i];
        char b = wanted[i];
        if (a >= u'a' && a <= u'z')
            a = static_cast<char16_t>(a - u'a' + u'A');
        if (b >= 'a' && b <= 'z')
            b = static_cast<char>(b - 'a' + 'A');
        if (a != static_cast<unsigned char>(b))
            return false;
    }
    return true;
}

const ResourceEntry* version_of_file(LPCSTR file_name)
{
    if (!file_name || !*file_name)
        return nullptr;
    std::string wanted = file_name;
    for (char& c : wanted)
        if (c == '\\')
            c = '/';
    for (HMODULE module : resources::modules()) {
        char path[4096];
        const DWORD n = GetModuleFileName(module, path, sizeof path);
        if (n == 0 || n >= sizeof path)
            continue;
        std::error_code ec;
        if (wanted != path && !std::filesystem::equivalent(wanted, path, ec))
            continue;
        DWORD error = 0;
        if (const ResourceEntry* e = resources::find(module, RT_VERSION, MAKEINTRESOURCE(1), std::nullopt, &error))
            return e;
    }
    return nullptr;
}

}  // namespace
}  // namespace helm::user

using namespace helm::user;

DWORD GetFileVersionInfoSize(LPCSTR fileName, LPDWORD handle)
{
    if (handle)
        *handle = 0;
    const ResourceEntry* e = version_of_file(fileName);
    if (!e || e->size < 6) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return 0;
    }
    return static_cast<DWORD>(2 * align4(e->size) + sizeof kNarrowMark);
}

BOOL GetFileVersionInfo(LPCSTR fileName, DWORD, DWORD size, LPVOID data)
{
    const ResourceEntry* e = version_of_file(fileName);
    if (!e || e->size < 6) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    const size_t raw = align4(e->size);
    if (!data || size < 2 * raw + sizeof kNarrowMark) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* out = static_cast<unsigned char*>(data);
    std::memset(out, 0, 2 * raw + sizeof kNarrowMark);
    std::memcpy(out, e->data, e->size);
    std::memcpy(out + raw, kNarrowMark, sizeof kNarrowMark);
    return TRUE;
}

BOOL VerQueryValue(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length)
{
    if (!block || !subBlock || !buffer || !length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* bytes = static_cast<unsigned char*>(const_cast<void*>(block));
    const size_t total = le16(bytes);
    auto node = read_node(bytes, 0, total);
    if (!node) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return FALSE;
    }
    const std::string path = subBlock;
    size_t at = 0;
    bool root = true;
    while (at < path.size()) {
        while (at < path.size() && path[at] == '\\')
            ++at;
        if (at == path.size())
            break;
        const size_t stop = std::min(path.find('\\', at), path.size());
        const std::string part = path.substr(at, stop - at);
        at = stop;
        std::optional<Node> found;
        for (size_t child = node->children; child + 6 <= node->end;) {
            const auto next = read_node(bytes, child, node->end);
            if (!next)
                break;
            if (same_key(next->key, part)) {
                found = next;
                break;
            }
            child = align4(next->end);
        }
        if (!found) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        node = found;
        root = false;
    }
    if (root) {
        if (node->value_bytes < kFixedInfoSize) {
            SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
            return FALSE;
        }
        *buffer = bytes + node->value;
        *length = static_cast<UINT>(kFixedInfoSize);
        return TRUE;
    }
    if (!node->text || node->value_length == 0) {
        *buffer = bytes + node->value;
        *length = static_cast<UINT>(node->value_bytes);
        return TRUE;
    }
    // Text: an 8-bit copy in the room behind the block, at the same offset.
    const size_t raw = align4(total);
    if (std::memcmp(bytes + raw, kNarrowMark, sizeof kNarrowMark) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    unsigned char* narrow = bytes + raw + sizeof kNarrowMark + node->value;
    for (size_t i = 0; i < node->value_length; ++i) {
        const int c = codepage::from_unicode(le16(bytes + node->value + 2 * i));
        narrow[i] = static_cast<unsigned char>(c < 0 ? '?' : c);
    }
    narrow[node->value_length - 1] = 0;
    *buffer = narrow;
    *length = node->value_length;
    return TRUE;
}
