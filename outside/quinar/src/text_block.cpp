#include "text_block.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include <platform/global_memory.h>

namespace quinar {

namespace {

// Blocks handed out, each with the handle it was made under. A receiver may
// free a block through the platform layer directly (GlobalFree on the handle),
// so a block's life is asked of the global memory table by its handle: the
// block's own bytes are never read once it may have been freed.
struct Record {
    std::mutex mutex;
    std::unordered_map<const char*, HGLOBAL> blocks;
    // Size after the last sweep; the next sweep comes when the record has
    // doubled, so sweeping costs a constant per block handed out.
    size_t swept = 0;
};

Record& HandedOut()
{
    static auto* record = new Record;
    return *record;
}

// Whether `mem` still names the block whose data starts at `data`. Handles
// carry a generation, and the locked address must be the very block, so a
// reused handle number or a reused address is not taken for the old block.
bool StillLive(const char* data, HGLOBAL mem)
{
    auto* p = static_cast<const char*>(GlobalLock(mem));
    if (!p)
        return false;
    GlobalUnlock(mem);
    return p + 4 == data;
}

// Drops the records of blocks their receivers freed.
void DropFreed(Record& record)
{
    std::erase_if(record.blocks, [](const auto& entry) { return !StillLive(entry.first, entry.second); });
    record.swept = record.blocks.size();
}

}  // namespace

char* NewReturnedText(std::string_view text)
{
    auto* data = static_cast<char*>(platform::AllocHandleBlock(text.size() + 1));
    if (!data)
        return nullptr;
    std::memcpy(data, text.data(), text.size());
    data[text.size()] = '\0';
    Record& record = HandedOut();
    std::lock_guard<std::mutex> lock(record.mutex);
    if (record.blocks.size() >= 2 * record.swept + 64)
        DropFreed(record);
    // A block freed behind the record's back may have left its address to
    // this one: the new handle replaces the old record.
    record.blocks[data] = platform::HandleOfBlock(data);
    return data;
}

uint32_t ReturnedTextHandle(const char* data)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(platform::HandleOfBlock(data)));
}

void FreeReturnedText(char* data)
{
    if (!data)
        return;
    {
        Record& record = HandedOut();
        std::lock_guard<std::mutex> lock(record.mutex);
        auto it = record.blocks.find(data);
        if (it != record.blocks.end()) {
            bool live = StillLive(data, it->second);
            record.blocks.erase(it);
            // Already freed by its handle: nothing of it may be touched.
            if (!live)
                return;
        }
    }
    platform::FreeHandleBlock(data);
}

size_t ReturnedTextsOutstanding()
{
    Record& record = HandedOut();
    std::lock_guard<std::mutex> lock(record.mutex);
    DropFreed(record);
    return record.blocks.size();
}

}  // namespace quinar
