#include "platform/clipboard.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "win_ui.h"

namespace platform {
namespace {

class MemoryClipboard final : public Clipboard {
public:
    void SetText(const std::string& bytes) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        text_ = bytes;
    }
    std::string GetText() const override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

MemoryClipboard g_memory;
std::atomic<Clipboard*> g_clipboard{nullptr};

// The state of an open clipboard (one opener at a time, like the original).
struct OpenState {
    std::mutex mutex;
    bool open = false;
    HGLOBAL given = nullptr;  // the block handed out by GetClipboardData
};

OpenState& State()
{
    static auto* s = new OpenState;
    return *s;
}

}  // namespace

Clipboard& GetClipboard()
{
    Clipboard* c = g_clipboard.load();
    return c ? *c : g_memory;
}

Clipboard* SetClipboard(Clipboard* clipboard)
{
    return g_clipboard.exchange(clipboard);
}

}  // namespace platform

using namespace platform;

extern "C" BOOL OpenClipboard(HWND)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    if (State().open)
        return FALSE;
    State().open = true;
    return TRUE;
}

extern "C" BOOL CloseClipboard()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    if (!State().open)
        return FALSE;
    State().open = false;
    if (State().given)
        GlobalFree(State().given);
    State().given = nullptr;
    return TRUE;
}

extern "C" BOOL EmptyClipboard()
{
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        if (!State().open)
            return FALSE;
    }
    GetClipboard().SetText({});
    return TRUE;
}

extern "C" HGLOBAL SetClipboardData(UINT format, HGLOBAL data)
{
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        if (!State().open || format != CF_TEXT || !data)
            return nullptr;
    }
    auto* bytes = static_cast<const char*>(GlobalLock(data));
    if (!bytes)
        return nullptr;
    // The text ends at its NUL or at the end of the block, whichever comes first.
    std::string text(bytes, strnlen(bytes, GlobalSize(data)));
    GlobalUnlock(data);
    GlobalFree(data);  // the clipboard owns the block: its text is kept instead
    GetClipboard().SetText(text);
    return data;
}

extern "C" HGLOBAL GetClipboardData(UINT format)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    if (!State().open || format != CF_TEXT)
        return nullptr;
    std::string text = GetClipboard().GetText();
    if (State().given)
        GlobalFree(State().given);
    State().given = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (auto* p = static_cast<char*>(GlobalLock(State().given))) {
        std::memcpy(p, text.c_str(), text.size() + 1);
        GlobalUnlock(State().given);
    }
    return State().given;
}

extern "C" BOOL IsClipboardFormatAvailable(UINT format)
{
    return format == CF_TEXT && GetClipboard().HasText();
}
