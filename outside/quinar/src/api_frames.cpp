// Entry points of the call-frame rules and the frame queries.
#include "frame_walk.h"
#include "store.h"

using namespace quinar;

namespace {

template <class T>
void Put(T* out, T value)
{
    if (out)
        *out = value;
}

// The handle of the function at a code address, 0 for none.
uint32_t FunctionHandleAt(Store& s, uint32_t address)
{
    const uint32_t f = s.FunctionAt(address);
    return f != kNone ? s.FunctionHandle(f) : 0;
}

}  // namespace

extern "C" {

SymResult SymAddFrameTable(uint32_t start, uint32_t end, uint32_t returnRegister, const SymFrameRow* rows,
                           uint32_t count)
{
    return TheStore().frameRules.AddTable(start, end, returnRegister, rows, count);
}

SymResult StackAddrMapBlock(uint32_t pc, uint32_t* frame, uint32_t* caller, uint32_t* function)
{
    FrameWalk& walk = Walk();
    if (SymResult r = walk.Start(pc); r != SYM_OK)
        return r;
    Put(frame, walk.HandleOf(0));
    Put(caller, walk.FindCaller(TheStore().frameRules, 0) ? walk.HandleOf(1) : 0u);
    Put(function, FunctionHandleAt(TheStore(), pc));
    return SYM_OK;
}

SymResult SymGetFrameCaller(uint32_t frame, uint32_t* caller, uint32_t* returnAddress, uint32_t* cfa,
                            uint32_t* function)
{
    FrameWalk& walk = Walk();
    const uint32_t n = walk.PositionOf(frame);
    if (n == kNone)
        return SYM_E_BAD_HANDLE;
    if (!walk.FindCaller(TheStore().frameRules, n))
        return SYM_E_NOT_FOUND;
    const WalkFrame& up = walk.Frame(n + 1);
    Put(caller, walk.HandleOf(n + 1));
    Put(returnAddress, up.Pc());
    Put(cfa, walk.Frame(n).cfa);
    Put(function, FunctionHandleAt(TheStore(), up.Pc()));
    return SYM_OK;
}

}  // extern "C"
