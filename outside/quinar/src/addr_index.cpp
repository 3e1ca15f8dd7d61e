// The address indexes over functions, modules, variables and labels.
#include <algorithm>

#include "store.h"

namespace quinar {

void Store::BuildAddressIndexes()
{
    if (addrIndexesBuilt_)
        return;
    std::vector<RangeIndex::Range> ranges;
    ranges.reserve(functions_.size());
    for (uint32_t i = 0; i < functions_.size(); ++i)
        ranges.push_back({functions_[i].start, functions_[i].end, i});
    functionIndex_.Build(std::move(ranges));

    ranges.clear();
    for (uint32_t i = 0; i < modules_.size(); ++i)
        if (modules_[i].hasRange)
            ranges.push_back({modules_[i].start, modules_[i].end, i});
    moduleIndex_.Build(std::move(ranges));

    ranges.clear();
    for (uint32_t i = 0; i < variables_.size(); ++i) {
        const Variable& v = variables_[i];
        if (v.HasAddress() && v.end > v.start)
            ranges.push_back({v.start, v.end - 1, i});
    }
    variableIndex_.Build(std::move(ranges));

    auto byAddress = [](auto& table, const auto& records, auto addressOf) {
        table.clear();
        table.reserve(records.size());
        for (uint32_t i = 0; i < records.size(); ++i)
            table.push_back({addressOf(records[i]), i});
        std::stable_sort(table.begin(), table.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    };
    byAddress(labelsByAddress_, labels_, [](const Label& l) { return l.value; });
    byAddress(dataLabelsByAddress_, dataLabels_, [](const DataLabel& d) { return d.address; });
    addrIndexesBuilt_ = true;
}

uint32_t Store::FunctionAt(uint32_t address)
{
    BuildAddressIndexes();
    const RangeIndex::Segment* s = functionIndex_.Find(address);
    return s ? s->payload : kNone;
}

uint32_t Store::ModuleAt(uint32_t address)
{
    BuildAddressIndexes();
    const RangeIndex::Segment* s = moduleIndex_.Find(address);
    return s ? s->payload : kNone;
}

uint32_t Store::VariableAt(uint32_t address)
{
    BuildAddressIndexes();
    const RangeIndex::Segment* s = variableIndex_.Find(address);
    return s ? s->payload : kNone;
}

namespace {

// Position of the last entry at or below the address; the first added of
// several at one address. kNone when all lie above.
uint32_t AtOrBelow(const std::vector<std::pair<uint32_t, uint32_t>>& table, uint32_t address)
{
    auto it =
        std::upper_bound(table.begin(), table.end(), address, [](uint32_t a, const auto& e) { return a < e.first; });
    if (it == table.begin())
        return kNone;
    uint32_t found = (it - 1)->first;
    auto first = std::lower_bound(table.begin(), it, found, [](const auto& e, uint32_t a) { return e.first < a; });
    return first->second;
}

}  // namespace

uint32_t Store::LabelAtOrBelow(uint32_t address)
{
    BuildAddressIndexes();
    return AtOrBelow(labelsByAddress_, address);
}

uint32_t Store::DataLabelAt(uint32_t address)
{
    BuildAddressIndexes();
    uint32_t at = AtOrBelow(dataLabelsByAddress_, address);
    return at != kNone && dataLabels_[at].address == address ? at : kNone;
}

}  // namespace quinar
