// Global memory: blocks addressed by handle numbers, with a lock count as
// Win32 keeps it. Blocks never move, so a locked pointer stays valid.
#include "platform/global_memory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "handle_table.h"

namespace platform {
namespace {

struct Block {
    unsigned char* data = nullptr;
    size_t size = 0;
    int locks = 0;
};

struct BlockTable {
    std::mutex mutex;
    // 20 index bits: the loaders and the symbol library keep many small blocks.
    detail::HandleTable<Block, 20> table;
};

BlockTable& Blocks()
{
    static auto* blocks = new BlockTable;
    return *blocks;
}

}  // namespace

HGLOBAL GlobalTextBlock(std::string_view text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    if (!block)
        return nullptr;
    if (void* data = GlobalLock(block)) {
        std::memcpy(data, text.data(), text.size());
        GlobalUnlock(block);
    }
    return block;
}

void* AllocHandleBlock(size_t bytes)
{
    if (bytes > SIZE_MAX - 4)
        return nullptr;
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes + 4);
    if (!mem)
        return nullptr;
    auto* p = static_cast<unsigned char*>(GlobalLock(mem));
    uint32_t number = detail::HandleNumber(mem);
    std::memcpy(p, &number, 4);
    return p + 4;
}

HGLOBAL HandleOfBlock(const void* data)
{
    if (!data)
        return nullptr;
    uint32_t number;
    std::memcpy(&number, static_cast<const unsigned char*>(data) - 4, 4);
    std::lock_guard<std::mutex> lock(Blocks().mutex);
    const Block* block = Blocks().table.Find(number);
    // The handle must name the block that holds this very pointer.
    if (!block || block->data + 4 != data)
        return nullptr;
    return detail::HandleFromNumber<HGLOBAL>(number);
}

void FreeHandleBlock(void* data)
{
    if (!data)
        return;
    HGLOBAL mem = HandleOfBlock(data);
    if (!mem) {
        std::fprintf(stderr, "platform: FreeHandleBlock(%p): not a handle block, ignored\n", data);
        return;
    }
    GlobalUnlock(mem);
    GlobalFree(mem);
}

size_t GlobalBlockCount()
{
    std::lock_guard<std::mutex> lock(Blocks().mutex);
    return Blocks().table.Size();
}

}  // namespace platform

using namespace platform;

extern "C" HGLOBAL GlobalAlloc(UINT flags, size_t bytes)
{
    // Zero-sized blocks still get storage so that every live block has a
    // distinct, lockable address.
    size_t n = bytes ? bytes : 1;
    void* data = (flags & GMEM_ZEROINIT) ? std::calloc(1, n) : std::malloc(n);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(Blocks().mutex);
    uint32_t number = Blocks().table.Add(Block{static_cast<unsigned char*>(data), bytes, 0});
    if (number == 0) {
        std::free(data);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return detail::HandleFromNumber<HGLOBAL>(number);
}

extern "C" void* GlobalLock(HGLOBAL mem)
{
    std::lock_guard<std::mutex> lock(Blocks().mutex);
    Block* block = Blocks().table.Find(detail::HandleNumber(mem));
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++block->locks;
    return block->data;
}

extern "C" BOOL GlobalUnlock(HGLOBAL mem)
{
    std::lock_guard<std::mutex> lock(Blocks().mutex);
    Block* block = Blocks().table.Find(detail::HandleNumber(mem));
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (block->locks > 0)
        --block->locks;
    SetLastError(NO_ERROR);
    return block->locks > 0 ? TRUE : FALSE;
}

extern "C" HGLOBAL GlobalFree(HGLOBAL mem)
{
    std::optional<Block> block;
    {
        std::lock_guard<std::mutex> lock(Blocks().mutex);
        block = Blocks().table.Remove(detail::HandleNumber(mem));
    }
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return mem;
    }
    std::free(block->data);
    return nullptr;
}

extern "C" size_t GlobalSize(HGLOBAL mem)
{
    std::lock_guard<std::mutex> lock(Blocks().mutex);
    const Block* block = Blocks().table.Find(detail::HandleNumber(mem));
    return block ? block->size : 0;
}
