#include "notices.h"

#include <algorithm>

#include "core.h"

namespace sarvik {

int TargetNotices::Add(TargetListener listener)
{
    if (!listener)
        return 0;
    const int token = nextToken_++;
    if (nextToken_ <= 0)
        nextToken_ = 1;
    listeners_.push_back({token, std::move(listener)});
    return token;
}

void TargetNotices::Remove(int token)
{
    listeners_.erase(
        std::remove_if(listeners_.begin(), listeners_.end(), [token](const Entry& e) { return e.token == token; }),
        listeners_.end());
}

void TargetNotices::Notify(const TargetNotice& notice)
{
    // The tokens of this notice's listeners: one that leaves meanwhile is
    // passed over, one that joins hears the next notice.
    std::vector<int> tokens;
    tokens.reserve(listeners_.size());
    for (const Entry& e : listeners_)
        tokens.push_back(e.token);
    for (const int token : tokens) {
        const auto it =
            std::find_if(listeners_.begin(), listeners_.end(), [token](const Entry& e) { return e.token == token; });
        if (it == listeners_.end())
            continue;
        const TargetListener listener = it->listener;  // the entry may go while it runs
        listener(notice);
    }
}

}  // namespace sarvik

int sarvik::SubscribeTargetEvents(TargetListener listener)
{
    return Core().notices.Add(std::move(listener));
}

void sarvik::UnsubscribeTargetEvents(int token)
{
    Core().notices.Remove(token);
}
