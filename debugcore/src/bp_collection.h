// The breakpoint collection: the automation object that scripts reach as
// Debugger.Breakpoints. It holds one reference to the dispatch interface of
// every record of the breakpoint list, in list order, in a fixed number of
// slots from a lower bound. Members (DISPIDs as scripts need them): Item 0
// (so bps(0) works), _NewEnum -4 (For Each), Add 1, Count 2, Remove 5,
// Clear 6. Failures set the thread's error information (source "Vantirel",
// the collection interface) and fail with DISP_E_EXCEPTION, the number
// 1001-1005 as the script's Err.Number.
#pragma once

#include <platform/dispatch.h>

#include <vector>

namespace sarvik {

// The slots of the collection that EmuInit makes.
inline constexpr ULONG kBreakpointCollectionSlots = 65535;

// The collection's error numbers.
inline constexpr int kCollectionArrayFailed = 1001;
inline constexpr int kCollectionNoEnumerator = 1002;
inline constexpr int kCollectionBadIndex = 1003;
inline constexpr int kCollectionFull = 1004;
inline constexpr int kCollectionNotABreakpoint = 1005;

// The SCODE of error n (the script language's numbering, so Err.Number is n).
SCODE CollectionError(int n);

class BreakpointCollection final : public zk::automation::DispatchObject {
public:
    // One reference, the creator's.
    BreakpointCollection(ULONG capacity, LONG lowerBound);

    // The typed operations behind the members; each answers S_OK or the
    // error's SCODE (with the thread's error information set).
    HRESULT Add(IDispatch* item);
    LONG Count() const { return static_cast<LONG>(m_items.size()); }
    HRESULT Item(LONG index, IDispatch** item);
    HRESULT NewEnum(IUnknown** enumerator);
    HRESULT Remove(LONG index);
    void Clear();
    // The manager's removal of a record: the slot that holds `item`, if any.
    void RemoveItem(IDispatch* item);

protected:
    ~BreakpointCollection() override;
    zk::automation::DispatchTable Members() const override;
    const char* SourceName() const override { return "Vantirel"; }
    void* OtherInterface(REFIID riid) override;

private:
    HRESULT Fail(int n);
    ULONG m_capacity;
    LONG m_lowerBound;
    std::vector<VARIANT> m_items;
};

}  // namespace sarvik
