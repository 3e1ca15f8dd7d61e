// The software breakpoint list: records {address, mask, enabled} in ascending
// address order, at most one per address. The run loop does not consult it;
// what stops a run at a breakpoint is the break word the debugger writes into
// target memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace zk::sim {

struct SoftwareBreakpoint {
    uint32_t address = 0;
    uint32_t mask = 0xFFFFFFFF;
    bool enabled = true;
};

class BreakpointList {
public:
    // A record at that address gets the new mask and is enabled; otherwise a
    // new enabled record is added. False when no memory is left.
    bool Insert(uint32_t address, uint32_t mask = 0xFFFFFFFF);
    bool Delete(uint32_t address);
    void DeleteAll() { records_.clear(); }
    bool Enable(uint32_t address) { return SetEnabled(address, true); }
    bool Disable(uint32_t address) { return SetEnabled(address, false); }
    void EnableAll() { SetAll(true); }
    void DisableAll() { SetAll(false); }
    // Ascending by address.
    std::vector<SoftwareBreakpoint> Records() const;
    size_t Size() const { return records_.size(); }

private:
    struct Entry {
        uint32_t mask;
        bool enabled;
    };
    bool SetEnabled(uint32_t address, bool enabled);
    void SetAll(bool enabled);

    std::map<uint32_t, Entry> records_;
};

}  // namespace zk::sim
