// Location descriptions of variables (DW_AT_location) and functions
// (DW_AT_frame_base) as the image gives them: DWARF expressions by code
// range, kept in one piece table and one byte pool for the whole store.
#include <algorithm>

#include "boundary.h"
#include "store.h"

namespace quinar {

namespace {

bool Covers(const LocationPiece& p, uint32_t pc)
{
    // A piece reaching 0xFFFFFFFF holds at the last address too.
    return p.low <= pc && (pc < p.high || p.high == 0xFFFFFFFFu);
}

}  // namespace

SymResult Store::SetLocationList(uint32_t handle, std::span<const SymLocationPiece> pieces)
{
    const auto count = static_cast<uint32_t>(pieces.size());
    LocationRef* ref = nullptr;
    if (handle == 0) {
        if (openFunctions_.empty())
            return SYM_E_BAD_HANDLE;
        ref = &functions_[openFunctions_.back()].frameBase;
    } else if (KindOf(handle) == SYM_KIND_FUNCTION) {
        uint32_t at = functionHandles_.PositionIn(handle, functions_);
        if (at == kNone)
            return SYM_E_BAD_HANDLE;
        ref = &functions_[at].frameBase;
    } else {
        uint32_t at = variableHandles_.PositionIn(handle, variables_);
        if (at == kNone)
            return SYM_E_BAD_HANDLE;
        ref = &variables_[at].locationList;
        variables_[at].hasConstValue = false;
    }
    for (uint32_t i = 0; i < count; ++i)
        if (pieces[i].length != 0 && !pieces[i].expr)
            return SYM_E_ARGUMENT;

    ref->stored = true;
    ref->first = static_cast<uint32_t>(locationPieces_.size());
    ref->count = count;
    for (uint32_t i = 0; i < count; ++i) {
        const SymLocationPiece& p = pieces[i];
        locationPieces_.push_back({p.low, p.high, static_cast<uint32_t>(locationBytes_.size()), p.length});
        locationBytes_.insert(locationBytes_.end(), p.expr, p.expr + p.length);
    }
    return SYM_OK;
}

SymResult Store::SetConstValue(uint32_t handle, std::span<const uint8_t> bytes)
{
    if (KindOf(handle) != SYM_KIND_VARIABLE)
        return SYM_E_BAD_HANDLE;
    const uint32_t at = variableHandles_.PositionIn(handle, variables_);
    if (at == kNone)
        return SYM_E_BAD_HANDLE;
    Variable& v = variables_[at];
    v.hasConstValue = true;
    v.constOffset = static_cast<uint32_t>(locationBytes_.size());
    v.constLength = static_cast<uint32_t>(bytes.size());
    locationBytes_.insert(locationBytes_.end(), bytes.begin(), bytes.end());
    return SYM_OK;
}

const LocationRef* Store::LocationOf(uint32_t handle) const
{
    if (KindOf(handle) == SYM_KIND_FUNCTION) {
        uint32_t at = functionHandles_.PositionIn(handle, functions_);
        return at == kNone ? nullptr : &functions_[at].frameBase;
    }
    uint32_t at = variableHandles_.PositionIn(handle, variables_);
    return at == kNone ? nullptr : &variables_[at].locationList;
}

SymLocationPiece Store::Piece(const LocationRef& ref, uint32_t n) const
{
    const LocationPiece& p = locationPieces_[ref.first + n];
    return {p.low, p.high, p.length ? locationBytes_.data() + p.offset : nullptr, p.length};
}

Result<FunctionVariable> Store::FunctionVariableAt(uint32_t function, uint32_t n) const
{
    uint32_t at = functionHandles_.PositionIn(function, functions_);
    if (at == kNone)
        return {SYM_E_BAD_HANDLE, {}};
    const uint32_t scope = functions_[at].scope;
    for (uint32_t v = scopes_[scope].firstVar; v != kNone; v = variables_[v].nextInScope) {
        if (n-- > 0)
            continue;
        return {SYM_OK, {variableHandles_.HandleOf(v), variables_[v].name}};
    }
    return {SYM_E_NOT_FOUND, {}};
}

Result<SymLocationPiece> SymbolStore::LocationPiece(uint32_t handle, uint32_t n) const
{
    const Store& s = TheStore();
    const LocationRef* ref = s.LocationOf(handle);
    if (!ref)
        return {SYM_E_BAD_HANDLE, {}};
    if (!ref->stored || n >= ref->count)
        return {SYM_E_NOT_FOUND, {}};
    return {SYM_OK, s.Piece(*ref, n)};
}

Result<std::span<const uint8_t>> SymbolStore::LocationAt(uint32_t handle, uint32_t pc) const
{
    const Store& s = TheStore();
    const LocationRef* ref = s.LocationOf(handle);
    if (!ref)
        return {SYM_E_BAD_HANDLE, {}};
    for (uint32_t n = 0; ref->stored && n < ref->count; ++n) {
        SymLocationPiece p = s.Piece(*ref, n);
        if (Covers({p.low, p.high, 0, 0}, pc))
            return {SYM_OK, {p.expr, p.length}};
    }
    return {SYM_E_NOT_FOUND, {}};
}

}  // namespace quinar

using namespace quinar;

extern "C" {

SymResult SymSetLocationList(uint32_t handle, const SymLocationPiece* pieces, uint32_t count)
{
    if (count != 0 && !pieces)
        return SYM_E_ARGUMENT;
    return Symbols().SetLocationList(handle, {pieces, count});
}

SymResult SymSetConstValue(uint32_t handle, const uint8_t* bytes, uint32_t length)
{
    if (length == 0 || !bytes)
        return SYM_E_ARGUMENT;
    return Symbols().SetConstValue(handle, {bytes, length});
}

SymResult SymGetLocationPiece(uint32_t handle, uint32_t n, SymLocationPiece* out)
{
    if (!out)
        return SYM_E_ARGUMENT;
    return Deliver(Symbols().LocationPiece(handle, n), out);
}

SymResult SymGetLocationAt(uint32_t handle, uint32_t pc, const uint8_t** expr, uint32_t* length)
{
    auto r = Symbols().LocationAt(handle, pc);
    if (r) {
        Put(expr, r->data());
        Put(length, static_cast<uint32_t>(r->size()));
    }
    return r.status;
}

SymResult SymGetFunctionVariable(uint32_t function, uint32_t n, uint32_t* variable, char* name)
{
    auto r = Symbols().FunctionVariableAt(function, n);
    if (r) {
        Put(variable, r->handle);
        CopyText(name, SYM_MEMBER_NAME_SIZE, r->name);
    }
    return r.status;
}

}  // extern "C"
