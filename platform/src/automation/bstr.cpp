// Length-prefixed UTF-8 strings and the layer's reference-count base.
#include <cstdlib>
#include <cstring>

#include "platform/automation.h"

BSTR SysAllocStringLen(const char* text, UINT length)
{
    if (length > 0x7FFFFFF0u)
        return nullptr;
    auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + length + 1));
    if (!block)
        return nullptr;
    std::memcpy(block, &length, sizeof(uint32_t));
    char* data = block + sizeof(uint32_t);
    if (text)
        std::memcpy(data, text, length);
    else
        std::memset(data, 0, length);
    data[length] = '\0';
    return data;
}

BSTR SysAllocString(const char* text)
{
    if (!text)
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(std::strlen(text)));
}

UINT SysStringLen(BSTR text)
{
    if (!text)
        return 0;
    uint32_t length;
    std::memcpy(&length, text - sizeof(uint32_t), sizeof(uint32_t));
    return length;
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(text - sizeof(uint32_t));
}

namespace zk::automation {

namespace {
std::atomic<long> g_liveObjects{0};
}

long LiveObjects()
{
    return g_liveObjects.load();
}

RefCounted::RefCounted()
{
    ++g_liveObjects;
}

RefCounted::~RefCounted()
{
    --g_liveObjects;
}

ULONG RefCounted::AddRefImpl()
{
    return ++m_refs;
}

ULONG RefCounted::ReleaseImpl()
{
    ULONG refs = m_refs.load();
    do {
        if (refs == 0)
            return 0;  // never owned, or already at zero: nothing to drop
    } while (!m_refs.compare_exchange_weak(refs, refs - 1));
    if (refs == 1)
        delete this;
    return refs - 1;
}

}  // namespace zk::automation
