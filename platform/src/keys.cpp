// The key state that GetAsyncKeyState reports: filled by the window layer's
// key filter, or scripted by tests.
#include <array>
#include <atomic>
#include <mutex>

#include "platform/messages.h"

namespace platform {
namespace {

constexpr uint8_t kDown = 1;
constexpr uint8_t kPressed = 2;  // went down since the last query

std::array<std::atomic<uint8_t>, 256> g_keys{};
std::mutex g_queryMutex;
KeyStateQuery g_query;

}  // namespace

void SetKeyDown(int vk, bool down)
{
    if (vk < 0 || vk > 255)
        return;
    if (down)
        g_keys[vk].fetch_or(kDown | kPressed);
    else
        g_keys[vk].fetch_and(static_cast<uint8_t>(~kDown));
}

bool IsKeyDown(int vk)
{
    return vk >= 0 && vk <= 255 && (g_keys[vk].load() & kDown) != 0;
}

KeyStateQuery SetKeyStateQuery(KeyStateQuery query)
{
    std::lock_guard<std::mutex> lock(g_queryMutex);
    std::swap(g_query, query);
    return query;
}

void ResetKeyState()
{
    for (auto& key : g_keys)
        key.store(0);
    SetKeyStateQuery(nullptr);
}

}  // namespace platform

extern "C" short GetAsyncKeyState(int vk)
{
    using namespace platform;
    KeyStateQuery query;
    {
        std::lock_guard<std::mutex> lock(g_queryMutex);
        query = g_query;
    }
    if (query)
        return query(vk);
    if (vk < 0 || vk > 255)
        return 0;
    uint8_t state = g_keys[vk].fetch_and(static_cast<uint8_t>(~kPressed));
    return static_cast<short>(((state & kDown) ? 0x8000 : 0) | ((state & kPressed) ? 1 : 0));
}
