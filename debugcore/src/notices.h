// The listeners of the core's target notices, kept by the core.
#pragma once

#include <vector>

#include "sarvik/target_events.h"

namespace sarvik {

class TargetNotices {
public:
    int Add(TargetListener listener);
    void Remove(int token);
    void Clear() { listeners_.clear(); }
    size_t Count() const { return listeners_.size(); }
    // Every listener present when the notice starts and still present when
    // its turn comes hears it once, in subscription order.
    void Notify(const TargetNotice& notice);

private:
    struct Entry {
        int token;
        TargetListener listener;
    };
    std::vector<Entry> listeners_;
    int nextToken_ = 1;
};

}  // namespace sarvik
