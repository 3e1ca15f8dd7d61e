// A table of objects addressed by 32-bit handle numbers: a slot index in the
// low bits and the slot's generation above it. Freed slots are reused oldest
// first and every reuse bumps the generation, so a stale copy of a handle
// stays dead for as long as possible. Handles are never 0 and keep bit 31
// clear (the registry roots live there). Not locked: owners lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace platform::detail {

template <typename T, unsigned IndexBits>
class HandleTable {
    static_assert(IndexBits >= 8 && IndexBits <= 24);

public:
    static constexpr uint32_t kIndexMask = (1u << IndexBits) - 1;
    static constexpr uint32_t kGenerationMask = (1u << (31 - IndexBits)) - 1;

    // 0 when every slot is taken.
    uint32_t Add(T value)
    {
        uint32_t index;
        if (!free_.empty()) {
            index = free_.front();
            free_.pop_front();
        } else {
            if (slots_.size() > kIndexMask)
                return 0;
            index = static_cast<uint32_t>(slots_.size());
            slots_.emplace_back();
        }
        Slot& slot = slots_[index];
        slot.value.emplace(std::move(value));
        ++live_;
        return (slot.generation << IndexBits) | index;
    }

    T* Find(uint32_t handle)
    {
        Slot* slot = SlotOf(handle);
        return slot ? &*slot->value : nullptr;
    }

    const T* Find(uint32_t handle) const { return const_cast<HandleTable*>(this)->Find(handle); }

    std::optional<T> Remove(uint32_t handle)
    {
        Slot* slot = SlotOf(handle);
        if (!slot)
            return std::nullopt;
        std::optional<T> out = std::move(slot->value);
        slot->value.reset();
        slot->generation = (slot->generation + 1) & kGenerationMask;
        free_.push_back(handle & kIndexMask);
        --live_;
        return out;
    }

    size_t Size() const { return live_; }

    template <typename F>
    void ForEach(F&& f)
    {
        for (size_t i = 1; i < slots_.size(); ++i)
            if (slots_[i].value)
                f((slots_[i].generation << IndexBits) | static_cast<uint32_t>(i), *slots_[i].value);
    }

private:
    struct Slot {
        uint32_t generation = 0;
        std::optional<T> value;
    };

    Slot* SlotOf(uint32_t handle)
    {
        uint32_t index = handle & kIndexMask;
        uint32_t generation = handle >> IndexBits;
        if (index == 0 || index >= slots_.size() || (handle & 0x80000000u))
            return nullptr;
        Slot& slot = slots_[index];
        if (!slot.value || slot.generation != generation)
            return nullptr;
        return &slot;
    }

    std::vector<Slot> slots_ = std::vector<Slot>(1);  // slot 0 is never used: no handle is 0
    std::deque<uint32_t> free_;
    size_t live_ = 0;
};

template <typename H>
inline uint32_t HandleNumber(H handle)
{
    uintptr_t v = reinterpret_cast<uintptr_t>(handle);
    return v > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(v);
}

template <typename H>
inline H HandleFromNumber(uint32_t number)
{
    return reinterpret_cast<H>(static_cast<uintptr_t>(number));
}

}  // namespace platform::detail
