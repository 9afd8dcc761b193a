// Global memory blocks: the currency of the clipboard. A fixed block's
// handle is its address; a moveable block's handle is the address of its
// record, so every handle is told apart and checked before use.

#include <cstdlib>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "helm/kernel/error.h"
#include "helm/user/clipboard.h"

namespace {

// A 32-bit program never gets a block this large; refusing it keeps a size
// read from outside from asking the allocator for the impossible.
constexpr SIZE_T largest_block = SIZE_T{1} << 30;

struct Block {
    unsigned char* data = nullptr;
    SIZE_T size = 0;
    int locks = 0;
    ~Block() { std::free(data); }
};

std::mutex g_mutex;
std::unordered_map<HGLOBAL, std::unique_ptr<Block>>& blocks()
{
    static auto* table = new std::unordered_map<HGLOBAL, std::unique_ptr<Block>>();
    return *table;
}

Block* find(HGLOBAL handle)
{
    auto it = blocks().find(handle);
    return it == blocks().end() ? nullptr : it->second.get();
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (bytes > largest_block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto block = std::make_unique<Block>();
    block->data = static_cast<unsigned char*>(std::calloc(bytes ? bytes : 1, 1));
    if (!block->data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    block->size = bytes;
    HGLOBAL handle = (flags & GMEM_MOVEABLE) ? static_cast<HGLOBAL>(block.get()) : static_cast<HGLOBAL>(block->data);
    std::lock_guard lock(g_mutex);
    blocks().emplace(handle, std::move(block));
    return handle;
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
    std::unique_ptr<Block> gone;
    std::lock_guard lock(g_mutex);
    auto it = blocks().find(handle);
    if (it == blocks().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return handle;
    }
    gone = std::move(it->second);
    blocks().erase(it);
    return nullptr;
}

LPVOID GlobalLock(HGLOBAL handle)
{
    std::lock_guard lock(g_mutex);
    Block* block = find(handle);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++block->locks;
    return block->data;
}

BOOL GlobalUnlock(HGLOBAL handle)
{
    std::lock_guard lock(g_mutex);
    Block* block = find(handle);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (block->locks > 0)
        --block->locks;
    if (block->locks == 0) {
        SetLastError(NO_ERROR);
        return FALSE;
    }
    return TRUE;
}

SIZE_T GlobalSize(HGLOBAL handle)
{
    std::lock_guard lock(g_mutex);
    Block* block = find(handle);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return block->size;
}
