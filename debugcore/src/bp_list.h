// The one breakpoint list and the address matching that BptFindBp and the
// watchpoint units share.
#pragma once

#include <functional>

#include "sarvik.h"

namespace sarvik {

class BreakpointCollection;

// The records with the list's reference to each (a record goes when its last
// reference does: a script may keep one after the list let go). When the
// breakpoint collection exists it holds one more reference to every record,
// in list order.
class BreakpointList {
public:
    const CBpList& Records() const { return records_; }
    bool Full() const { return records_.size() >= BPT_LIST_CAPACITY; }
    // Takes over the creator's reference of the record.
    void Append(CBpDataEx* record);
    // Removes and releases the records for which `drop` holds, in list order.
    void RemoveIf(const std::function<bool(const CBpDataEx&)>& drop);
    void RemoveAll();
    // Removes and releases one record.
    void Remove(const CBpDataEx* record);

    // Takes over the creator's reference of a new collection (releasing the
    // one before) and fills it with the records of the list.
    void AttachCollection(BreakpointCollection* collection);
    void ReleaseCollection();
    BreakpointCollection* Collection() const { return collection_; }

private:
    CBpList records_;
    BreakpointCollection* collection_ = nullptr;
};

// An address range query: from..to with the range flag of BptFindBp, or a
// source position (both spaces 0: line in from.off, module key in to.off).
struct AddressQuery {
    ADDR from;
    ADDR to;
    bool range;

    // BptFindBp's range flag: to in a space: a range unless to.off is 0;
    // to in space 0: a range when from is in space 0 too.
    static AddressQuery Find(const ADDR& from, const ADDR& to);
    static AddressQuery Exact(const ADDR& at) { return {at, at, false}; }

    // Whether an address matches, every value ANDed with `care` first (the
    // compared bits of a watchpoint unit's address).
    bool Matches(uint32_t address, uint32_t care = 0xFFFFFFFFu) const;
};

// BptCheckHit's test of a stop at `pc` (a pass of a counting breakpoint is
// counted). `tillAddressHits`: a go-till's own address is a hit whatever a
// user's breakpoint there says (run to cursor); the step engine tests its
// arrival itself (with the stack for recursion) and passes false.
int CheckHit(const ADDR& pc, bool tillAddressHits);

}  // namespace sarvik
