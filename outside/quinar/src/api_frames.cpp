// The call-frame rules and the frame queries: SymbolStore's frame walk and
// its entry points.
#include "boundary.h"
#include "frame_walk.h"
#include "store.h"

using namespace quinar;

namespace quinar {

namespace {

// The handle of the function at a code address, 0 for none.
uint32_t FunctionHandleAt(Store& s, uint32_t address)
{
    const uint32_t f = s.FunctionAt(address);
    return f != kNone ? s.FunctionHandle(f) : 0;
}

}  // namespace

SymResult SymbolStore::AddFrameTable(uint32_t start, uint32_t end, uint32_t returnRegister,
                                     std::span<const SymFrameRow> rows)
{
    return TheStore().frameRules.AddTable(start, end, returnRegister, rows.data(), static_cast<uint32_t>(rows.size()));
}

Result<FrameStart> SymbolStore::StartFrameWalk(uint32_t pc)
{
    FrameWalk& walk = Walk();
    if (SymResult r = walk.Start(pc); r != SYM_OK)
        return {r, {}};
    FrameStart start;
    start.frame = walk.HandleOf(0);
    start.caller = walk.FindCaller(TheStore().frameRules, 0) ? walk.HandleOf(1) : 0u;
    start.function = FunctionHandleAt(TheStore(), pc);
    return {SYM_OK, start};
}

Result<CallerFrame> SymbolStore::FrameCaller(uint32_t frame)
{
    FrameWalk& walk = Walk();
    const uint32_t n = walk.PositionOf(frame);
    if (n == kNone)
        return {SYM_E_BAD_HANDLE, {}};
    if (!walk.FindCaller(TheStore().frameRules, n))
        return {SYM_E_NOT_FOUND, {}};
    const WalkFrame& up = walk.Frame(n + 1);
    return {SYM_OK, {walk.HandleOf(n + 1), up.Pc(), walk.Frame(n).cfa, FunctionHandleAt(TheStore(), up.Pc())}};
}

}  // namespace quinar

extern "C" {

SymResult SymAddFrameTable(uint32_t start, uint32_t end, uint32_t returnRegister, const SymFrameRow* rows,
                           uint32_t count)
{
    if (count != 0 && !rows)
        return SYM_E_ARGUMENT;
    return Symbols().AddFrameTable(start, end, returnRegister, {rows, count});
}

SymResult StackAddrMapBlock(uint32_t pc, uint32_t* frame, uint32_t* caller, uint32_t* function)
{
    auto r = Symbols().StartFrameWalk(pc);
    if (r) {
        Put(frame, r->frame);
        Put(caller, r->caller);
        Put(function, r->function);
    }
    return r.status;
}

SymResult SymGetFrameCaller(uint32_t frame, uint32_t* caller, uint32_t* returnAddress, uint32_t* cfa,
                            uint32_t* function)
{
    auto r = Symbols().FrameCaller(frame);
    if (r) {
        Put(caller, r->frame);
        Put(returnAddress, r->returnAddress);
        Put(cfa, r->cfa);
        Put(function, r->function);
    }
    return r.status;
}

}  // extern "C"
