// The dispatch properties of the breakpoint records.
#include <platform/automation_ids.h>
#include <platform/dispatch.h>

#include "sarvik.h"

using zk::automation::DispatchCall;

IMPLEMENT_DYNAMIC(CBkptObj, CCmdTarget)

namespace {

HRESULT Put(VARIANT& v, VARTYPE type, LONG value)
{
    v.vt = type;
    if (type == VT_I2)
        v.iVal = static_cast<SHORT>(value);
    else
        v.lVal = value;
    return S_OK;
}

}  // namespace

CBkptObj::CBkptObj()
{
    EnableAutomation();
    // "Type": the body's type word of an extended record, which nothing sets.
    DispProperty("Type", VT_I2, [this](DispatchCall& c) {
        auto* ex = dynamic_cast<CBpDataEx*>(this);
        return Put(c.Result(), VT_I2, ex ? ex->GetBkpt()->type : 0);
    });
    DispProperty("Address", VT_I4, [this](DispatchCall& c) {
        auto* bp = dynamic_cast<CBpData*>(this);
        return Put(c.Result(), VT_I4, bp ? static_cast<LONG>(bp->GetAddr().off) : -1);
    });
    DispProperty(
        "Enable", VT_I4,
        [this](DispatchCall& c) {
            auto* bp = dynamic_cast<CBpData*>(this);
            return Put(c.Result(), VT_I4, bp ? bp->IsEnable() : 0);
        },
        [this](DispatchCall& c) {
            if (auto* bp = dynamic_cast<CBpData*>(this))
                bp->Enable(c.Value().lVal != 0);
            return S_OK;
        });
}

CBkptObj::~CBkptObj() = default;

BOOL CBkptObj::GetDispatchIID(IID* iid)
{
    *iid = IID_IBreakpoint;
    return TRUE;
}
