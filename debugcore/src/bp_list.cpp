#include "bp_list.h"

#include <algorithm>
#include <utility>

#include "bp_collection.h"
#include "planting.h"
#include "quinar/symbol_store.h"

namespace sarvik {

void BreakpointList::Append(CBpDataEx* record)
{
    records_.push_back(record);
    // A failing Add leaves the record to the list's reference alone.
    if (collection_)
        collection_->Add(record->GetIDispatch(FALSE));
}

void BreakpointList::AttachCollection(BreakpointCollection* collection)
{
    ReleaseCollection();
    collection_ = collection;
    if (collection_)
        for (CBpDataEx* record : records_)
            collection_->Add(record->GetIDispatch(FALSE));
}

void BreakpointList::ReleaseCollection()
{
    if (BreakpointCollection* c = std::exchange(collection_, nullptr))
        c->Release();
}

void BreakpointList::RemoveIf(const std::function<bool(const CBpDataEx&)>& drop)
{
    CBpList kept;
    kept.reserve(records_.size());
    for (CBpDataEx* record : records_) {
        if (drop(*record)) {
            ForgetPlantedRecord(record);
            if (collection_)
                collection_->RemoveItem(record->GetIDispatch(FALSE));
            record->ExternalRelease();
        } else {
            kept.push_back(record);
        }
    }
    records_.swap(kept);
}

void BreakpointList::RemoveAll()
{
    RemoveIf([](const CBpDataEx&) { return true; });
}

void BreakpointList::Remove(const CBpDataEx* record)
{
    RemoveIf([record](const CBpDataEx& r) { return &r == record; });
}

AddressQuery AddressQuery::Find(const ADDR& from, const ADDR& to)
{
    const bool range = to.seg != ADDR_SPACE_NONE ? to.off != 0 : from.seg == ADDR_SPACE_NONE;
    return {from, to, range};
}

bool AddressQuery::Matches(uint32_t address, uint32_t care) const
{
    const uint32_t a = address & care;
    if (from.seg != ADDR_SPACE_NONE || to.seg != ADDR_SPACE_NONE)
        return range ? (from.off & care) <= a && a <= (to.off & care) : a == (from.off & care);
    // A source position: the code ranges of the line.
    quinar::SymbolStore& symbols = quinar::Symbols();
    for (uint32_t n = 0;; ++n) {
        const quinar::Result<quinar::CodeRange> r = symbols.LineRange(to.off, from.off, n);
        if (!r)
            return false;
        if (range ? (r->start & care) <= a && a <= (r->end & care) : a == (r->start & care))
            return true;
    }
}

}  // namespace sarvik
