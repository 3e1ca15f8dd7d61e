// A document that reads its file in steps (the source documents): the
// application's idle turn gives each of them one step until it is complete.
#pragma once

namespace shell {

class CIncrementalSource {
public:
    virtual ~CIncrementalSource() = default;
    // 1 when it read lines, 0 when it was already complete. Not interactive:
    // one step of at most 1,001 lines.
    virtual int LoadRemainingLines(bool interactive) = 0;
    virtual bool IsComplete() const = 0;
};

}  // namespace shell
