#include "text_block.h"

#include <cstring>
#include <memory>
#include <unordered_map>

namespace quinar {

namespace {

// Stand-in for the platform's handle table of global blocks: handles are
// small numbers naming an allocation here, never pointers cut to 32 bits.
struct BlockTable {
    std::unordered_map<uint32_t, std::unique_ptr<char[]>> blocks;
    uint32_t nextHandle = 1;
};

BlockTable& Blocks() {
    static BlockTable table;
    return table;
}

}  // namespace

char* NewReturnedText(std::string_view text) {
    BlockTable& t = Blocks();
    uint32_t handle = t.nextHandle++;
    if (t.nextHandle == 0) t.nextHandle = 1;
    auto block = std::make_unique<char[]>(4 + text.size() + 1);
    std::memcpy(block.get(), &handle, 4);
    std::memcpy(block.get() + 4, text.data(), text.size());
    block[4 + text.size()] = '\0';
    char* data = block.get() + 4;
    t.blocks[handle] = std::move(block);
    return data;
}

uint32_t ReturnedTextHandle(const char* data) {
    uint32_t handle = 0;
    if (data) std::memcpy(&handle, data - 4, 4);
    return handle;
}

void FreeReturnedText(char* data) {
    if (data) Blocks().blocks.erase(ReturnedTextHandle(data));
}

size_t ReturnedTextsOutstanding() { return Blocks().blocks.size(); }

}  // namespace quinar
