#include "text_block.h"

#include <cstring>
#include <unordered_set>

#include <platform/global_memory.h>

namespace quinar {

namespace {

// Blocks handed out; a receiver may free them through the platform layer
// directly, so the live ones are counted by asking it.
std::unordered_set<const char*>& HandedOut()
{
    static std::unordered_set<const char*> blocks;
    return blocks;
}

}  // namespace

char* NewReturnedText(std::string_view text)
{
    auto* data = static_cast<char*>(platform::AllocHandleBlock(text.size() + 1));
    if (!data)
        return nullptr;
    std::memcpy(data, text.data(), text.size());
    data[text.size()] = '\0';
    HandedOut().insert(data);
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
    HandedOut().erase(data);
    platform::FreeHandleBlock(data);
}

size_t ReturnedTextsOutstanding()
{
    std::erase_if(HandedOut(), [](const char* data) { return !platform::HandleOfBlock(data); });
    return HandedOut().size();
}

}  // namespace quinar
