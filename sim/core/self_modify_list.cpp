#include "simcore/self_modify_list.h"

#include <algorithm>

namespace zk::sim {

SelfModifyList::Bits& SelfModifyList::PageFor(uint32_t page)
{
    if (last_ && lastPage_ == page)
        return *last_;
    auto& slot = pages_[page];
    if (!slot)
        slot = std::make_unique<Bits>();
    lastPage_ = page;
    last_ = slot.get();
    return *last_;
}

const SelfModifyList::Bits* SelfModifyList::FindPage(uint32_t page) const
{
    if (last_ && lastPage_ == page)
        return last_;
    auto it = pages_.find(page);
    if (it == pages_.end())
        return nullptr;
    lastPage_ = page;
    last_ = it->second.get();
    return last_;
}

void SelfModifyList::Clear()
{
    pages_.clear();
    last_ = nullptr;
    size_ = 0;
}

std::vector<uint32_t> SelfModifyList::Addresses() const
{
    std::vector<uint32_t> pages;
    pages.reserve(pages_.size());
    for (const auto& [page, bits] : pages_)
        pages.push_back(page);
    std::sort(pages.begin(), pages.end());
    std::vector<uint32_t> out;
    out.reserve(size_);
    for (uint32_t page : pages) {
        const Bits& bits = *pages_.at(page);
        for (uint32_t w = 0; w < 1024; ++w) {
            if ((bits[w >> 6] >> (w & 63)) & 1)
                out.push_back((page << 12) | (w << 2));
        }
    }
    return out;
}

}  // namespace zk::sim
