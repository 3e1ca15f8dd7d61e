// The protection unit: eight regions with access permissions and a cache
// policy per side, and a local-memory window per side. It answers, for one
// access, whether it is allowed and how the side's cache treats it.
//
// Regions are multiples of 4 KB on 4 KB boundaries, so within one 4 KB page
// every address finds the same region. The unit keeps the answers of
// recently used pages (for both sides, both privilege levels, read and
// write) and scans the regions only for a page it has no answer for; any
// change of the settings forgets every answer. A page that a local-memory
// window covers only in part is never kept.
#pragma once

#include <array>
#include <cstdint>

#include "simcore/cpu_state.h"

namespace zk::sim {

enum class Side : uint8_t { Instruction = 0, Data = 1 };

// The protection unit's answer for one access.
enum class Protection : int8_t {
    Refused = -1,
    NonCacheable = 0,
    WriteBack = 1,  // cacheable (the instruction side's only cacheable policy)
    WriteThrough = 2,
    LocalMemory = 3,  // inside an enabled local-memory window: served by the store
};

inline constexpr unsigned kRegionCount = 8;

struct ProtectionRegion {
    bool enabled = false;
    uint32_t base = 0;
    uint64_t size = 0;  // up to 4 GB

    bool Contains(uint32_t addr) const { return enabled && addr >= base && addr - base < size; }
};

struct LocalMemoryWindow {
    bool enabled = false;
    uint32_t base = 0;
    uint32_t size = 0;

    bool Contains(uint32_t addr) const { return enabled && addr >= base && addr - base < size; }
};

// Access permissions of a region, per side.
enum class Permission : uint8_t {
    None = 0,
    Privileged = 1,
    UserReadOnly = 2,  // instruction side: full access; data side: USER mode may only read
    Full = 3,
};

// The settings the system control coprocessor derives from its registers.
// Arrays by side are indexed by Side.
struct ProtectionSettings {
    bool enabled = false;
    std::array<bool, 2> cacheEnabled{};
    std::array<ProtectionRegion, kRegionCount> regions{};
    std::array<std::array<Permission, kRegionCount>, 2> permission{};
    // Policy of each region while the side's cache is enabled.
    std::array<std::array<Protection, kRegionCount>, 2> policy{};
    std::array<LocalMemoryWindow, 2> local{};
};

class ProtectionUnit {
public:
    ProtectionUnit() { Forget(); }

    void Configure(const ProtectionSettings& settings);
    const ProtectionSettings& Settings() const { return settings_; }
    bool Enabled() const { return settings_.enabled; }

    // The answer for an access by `mode` (every mode but USER is privileged).
    Protection Check(Side side, uint32_t addr, Mode mode, bool write) const
    {
        if (!settings_.enabled)
            return Protection::NonCacheable;
        const uint32_t page = addr >> 12;
        const Decision& d = decisions_[page & (kSlots - 1)];
        const bool user = mode == Mode::User;
        if (d.page == page)
            return d.answers[AnswerIndex(side, user, write)];
        return Decide(side, addr, user, write);
    }

    // The highest-numbered enabled region containing addr, or -1.
    int RegionOf(uint32_t addr) const;
    // Cacheable for the cache operations: the unit is on, a region contains
    // addr, addr is outside the side's local-memory window, the side's cache
    // is enabled and the region's policy for the side is not non-cacheable.
    bool Cacheable(Side side, uint32_t addr) const;

private:
    static constexpr unsigned kSlots = 256;
    static constexpr uint32_t kNoPage = 0xFFFFFFFF;  // page numbers have 20 bits

    struct Decision {
        uint32_t page;
        std::array<Protection, 8> answers;
    };
    static constexpr unsigned AnswerIndex(Side side, bool user, bool write)
    {
        return static_cast<unsigned>(side) << 2 | unsigned{user} << 1 | unsigned{write};
    }

    Protection Answer(Side side, uint32_t addr, int region, bool user, bool write) const;
    Protection Decide(Side side, uint32_t addr, bool user, bool write) const;
    bool PageUniform(uint32_t page) const;
    void Forget();

    ProtectionSettings settings_;
    mutable std::array<Decision, kSlots> decisions_;
};

}  // namespace zk::sim
