#include "bp_collection.h"

#include <platform/automation_ids.h>
#include <platform/connection.h>

namespace sarvik {

using zk::automation::DispatchCall;
using zk::automation::DispatchMember;
using zk::automation::DispatchObject;
using zk::automation::MemberKind;

namespace {

BreakpointCollection& Self(DispatchObject& o)
{
    return static_cast<BreakpointCollection&>(o);
}

// A typed operation's failure as the call's exception: its number for the
// script, the collection's error information for every client.
HRESULT Raised(DispatchCall& call, HRESULT hr)
{
    if (SUCCEEDED(hr))
        return hr;
    call.Raise(hr, nullptr);
    SetAutomationError(IID_IBreakpoints, "Vantirel", nullptr);
    return DISP_E_EXCEPTION;
}

HRESULT AddMember(DispatchObject& o, DispatchCall& call)
{
    return Raised(call, Self(o).Add(call.Arg(0).pdispVal));
}

HRESULT CountMember(DispatchObject& o, DispatchCall& call)
{
    call.Result().vt = VT_I4;
    call.Result().lVal = Self(o).Count();
    return S_OK;
}

HRESULT ItemMember(DispatchObject& o, DispatchCall& call)
{
    IDispatch* item = nullptr;
    const HRESULT hr = Self(o).Item(call.I4(0), &item);
    if (SUCCEEDED(hr)) {
        call.Result().vt = VT_DISPATCH;
        call.Result().pdispVal = item;
    }
    return Raised(call, hr);
}

HRESULT NewEnumMember(DispatchObject& o, DispatchCall& call)
{
    IUnknown* enumerator = nullptr;
    const HRESULT hr = Self(o).NewEnum(&enumerator);
    if (SUCCEEDED(hr)) {
        call.Result().vt = VT_UNKNOWN;
        call.Result().punkVal = enumerator;
    }
    return Raised(call, hr);
}

HRESULT RemoveMember(DispatchObject& o, DispatchCall& call)
{
    return Raised(call, Self(o).Remove(call.I4(0)));
}

HRESULT ClearMember(DispatchObject& o, DispatchCall&)
{
    Self(o).Clear();
    return S_OK;
}

const DispatchMember kMembers[] = {
    {"Add", 1, MemberKind::Method, VTS_DISPATCH, VT_EMPTY, 0, AddMember},
    {"Count", 2, MemberKind::Property, VTS_NONE, VT_I4, 0, CountMember},
    {"Item", DISPID_VALUE, MemberKind::Method, VTS_I4, VT_DISPATCH, 0, ItemMember},
    {"_NewEnum", DISPID_NEWENUM, MemberKind::Property, VTS_NONE, VT_UNKNOWN, 0, NewEnumMember},
    {"Remove", 5, MemberKind::Method, VTS_I4, VT_EMPTY, 0, RemoveMember},
    {"Clear", 6, MemberKind::Method, VTS_NONE, VT_EMPTY, 0, ClearMember},
};

}  // namespace

SCODE CollectionError(int n)
{
    return hresult(0x800A0000u | static_cast<uint32_t>(n));
}

BreakpointCollection::BreakpointCollection(ULONG capacity, LONG lowerBound)
    : m_capacity(capacity), m_lowerBound(lowerBound)
{}

BreakpointCollection::~BreakpointCollection()
{
    Clear();
}

zk::automation::DispatchTable BreakpointCollection::Members() const
{
    return kMembers;
}

void* BreakpointCollection::OtherInterface(REFIID riid)
{
    return riid == IID_IBreakpoints ? static_cast<IDispatch*>(this) : nullptr;
}

HRESULT BreakpointCollection::Fail(int n)
{
    SetAutomationError(IID_IBreakpoints, "Vantirel", nullptr);
    return CollectionError(n);
}

HRESULT BreakpointCollection::Add(IDispatch* item)
{
    if (m_items.size() >= m_capacity)
        return Fail(kCollectionFull);
    IDispatch* breakpoint = nullptr;
    if (!item || FAILED(item->QueryInterface(IID_IBreakpoint, reinterpret_cast<void**>(&breakpoint))) || !breakpoint)
        return Fail(kCollectionNotABreakpoint);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = breakpoint;  // the slot keeps the queried reference
    m_items.push_back(v);
    return S_OK;
}

HRESULT BreakpointCollection::Item(LONG index, IDispatch** item)
{
    *item = nullptr;
    const int64_t slot = static_cast<int64_t>(index) - m_lowerBound;
    if (slot < 0 || slot >= static_cast<int64_t>(m_items.size()))
        return Fail(kCollectionBadIndex);
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopy(&copy, &m_items[static_cast<size_t>(slot)])) || copy.vt != VT_DISPATCH)
        return Fail(kCollectionArrayFailed);
    *item = copy.pdispVal;
    return S_OK;
}

HRESULT BreakpointCollection::NewEnum(IUnknown** enumerator)
{
    *enumerator = zk::automation::NewVariantEnumerator(m_items);
    return *enumerator ? S_OK : Fail(kCollectionNoEnumerator);
}

HRESULT BreakpointCollection::Remove(LONG index)
{
    const int64_t slot = static_cast<int64_t>(index) - m_lowerBound;
    if (slot < 0 || slot >= static_cast<int64_t>(m_items.size()))
        return Fail(kCollectionBadIndex);
    // Out of the array before the release: the item may go with it, and its
    // destruction must find the collection consistent.
    VARIANT gone = m_items[static_cast<size_t>(slot)];
    m_items.erase(m_items.begin() + slot);
    VariantClear(&gone);
    return S_OK;
}

void BreakpointCollection::Clear()
{
    std::vector<VARIANT> gone;
    gone.swap(m_items);
    for (VARIANT& v : gone)
        VariantClear(&v);
}

void BreakpointCollection::RemoveItem(IDispatch* item)
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].pdispVal == item) {
            Remove(static_cast<LONG>(i) + m_lowerBound);
            return;
        }
}

}  // namespace sarvik
