#include "stabs_functions.h"

#include <algorithm>

#include "quinar/quinar.h"

namespace tarnel {
namespace {

// Word 0 of the location of a variable at a fixed address.
constexpr uint32_t ADDRESS_LOCATION_TAG = 3;

constexpr uint8_t DW_OP_ADDR = 0x03;
constexpr uint8_t DW_OP_REG0 = 0x50;
constexpr uint8_t DW_OP_BREG0 = 0x70;
constexpr uint8_t DW_OP_REGX = 0x90;

void Leb(std::vector<uint8_t>& out, int64_t v, bool isSigned)
{
    for (;;) {
        uint8_t b = v & 0x7F;
        v >>= 7;
        const bool done = isSigned ? ((v == 0 && !(b & 0x40)) || (v == -1 && (b & 0x40))) : v == 0;
        if (!done)
            b |= 0x80;
        out.push_back(b);
        if (done)
            return;
    }
}

}  // namespace

std::vector<uint8_t> StabsFunctions::FrameExpr(int32_t offset) const
{
    const bool thumb = pending_ ? pending_->thumb : lastThumb_;
    std::vector<uint8_t> e{static_cast<uint8_t>(DW_OP_BREG0 + (thumb ? THUMB_FRAME_REGISTER : ARM_FRAME_REGISTER))};
    Leb(e, int64_t{offset} + (thumb ? THUMB_FRAME_BIAS : 0), true);
    return e;
}

std::vector<uint8_t> StabsFunctions::RegisterExpr(uint32_t reg)
{
    if (reg < 32)
        return {static_cast<uint8_t>(DW_OP_REG0 + reg)};
    std::vector<uint8_t> e{DW_OP_REGX};
    Leb(e, reg, false);
    return e;
}

std::vector<uint8_t> StabsFunctions::AddressExpr(uint32_t address) const
{
    std::vector<uint8_t> e{DW_OP_ADDR};
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian_ ? 24 - 8 * i : 8 * i;
        e.push_back(static_cast<uint8_t>(address >> shift));
    }
    return e;
}

LdrResult StabsFunctions::Begin(std::string_view text, uint32_t start, bool thumb, uint32_t place, uint32_t module)
{
    const size_t colon = StabsNameEnd(text);
    Pending f;
    f.name = std::string(text.substr(0, colon));
    f.start = start;
    f.thumb = thumb;
    f.module = module;
    lastStart_ = start;
    lastThumb_ = thumb;
    if (colon != std::string_view::npos && colon + 1 < text.size()) {
        f.isStatic = text[colon + 1] == 'f';
        size_t pos = colon + 2;
        f.returnType = types_.ParseType(text, pos, place);
    }
    if (f.name.empty())
        return LDR_OK;
    pending_ = std::move(f);
    return LDR_OK;
}

LdrResult StabsFunctions::EndBySize(uint32_t size)
{
    if (!pending_)
        return LDR_OK;
    pending_->end = pending_->start + size;
    pending_->endBySize = true;
    return Close();
}

void StabsFunctions::LeftBracket(uint32_t address)
{
    if (!pending_)
        return;
    pending_->blocks.push_back({address, std::move(pending_->unscoped)});
    pending_->unscoped.clear();
}

void StabsFunctions::RightBracket(uint32_t address)
{
    if (!pending_ || pending_->blocks.empty())
        return;
    Block b = std::move(pending_->blocks.back());
    pending_->blocks.pop_back();
    if (pending_->blocks.empty()) {
        if (!pending_->endBySize)
            pending_->end = std::max(address, pending_->start);
        return;
    }
    for (size_t i : b.vars) {
        pending_->vars[i].low = b.low;
        pending_->vars[i].high = address;
    }
}

void StabsFunctions::SeeLine(uint32_t address)
{
    if (pending_)
        pending_->highestLine = std::max(pending_->highestLine, address);
}

LdrResult StabsFunctions::Variable(std::string_view text, uint8_t type, uint32_t value, uint32_t place)
{
    const size_t colon = StabsNameEnd(text);
    Var v;
    v.name = std::string(text.substr(0, colon));
    if (colon == std::string_view::npos || v.name.empty())
        return LDR_OK;
    size_t pos = colon + 1;
    char letter = pos < text.size() ? text[pos] : '\0';
    if (std::isalpha(static_cast<unsigned char>(letter)))
        ++pos;
    else
        letter = '\0';
    if (letter == 'c')  // a constant: nothing in memory
        return LDR_OK;
    v.type = types_.ParseType(text, pos, place);

    const bool isStatic = type == 0x26 || type == 0x28 || letter == 'S' || letter == 'V';
    if (type == 0x20 || letter == 'G') {
        v.storage = SYM_STORAGE_EXTERNAL;
        v.words[0] = ADDRESS_LOCATION_TAG;
        v.words[1] = value;
        moduleVars_.push_back(std::move(v));
        return LDR_OK;
    }
    if (isStatic) {
        v.storage = SYM_STORAGE_STATIC;
        v.words[0] = ADDRESS_LOCATION_TAG;
        v.words[1] = value;
        v.expr = AddressExpr(value);
        if (letter == 'V' && !functionStatics_.insert({v.name, value}).second)
            return LDR_OK;  // gcc writes a function's statics again after it
        if (pending_ && letter == 'V') {
            pending_->vars.push_back(std::move(v));
            return LDR_OK;
        }
        moduleVars_.push_back(std::move(v));
        return LDR_OK;
    }
    if (!pending_)
        return LDR_OK;
    const bool inRegister = type == 0x40 || letter == 'r' || letter == 'P' || letter == 'R';
    v.storage = SYM_STORAGE_LOCAL;
    v.inRegister = inRegister;
    v.words[0] = inRegister ? (value & 0xFFFF) : value;
    v.expr = inRegister ? RegisterExpr(value & 0xFFFF) : FrameExpr(static_cast<int32_t>(value));
    const bool parameter = type == 0xA0 || letter == 'p' || letter == 'P' || letter == 'R' || letter == 'v';
    if (parameter) {
        // A parameter copied to a register later names it again: one
        // parameter, at its home.
        for (Var& known : pending_->vars)
            if (known.name == v.name && !known.inRegister) {
                known = std::move(v);
                return LDR_OK;
            }
        pending_->params.push_back(v.type);
    } else {
        pending_->unscoped.push_back(pending_->vars.size());
    }
    pending_->vars.push_back(std::move(v));
    return LDR_OK;
}

LdrResult StabsFunctions::FlushModule()
{
    std::vector<Var> vars = std::move(moduleVars_);
    moduleVars_.clear();
    for (const Var& v : vars)
        AddNow(v);
    return LDR_OK;
}

LdrResult StabsFunctions::AddNow(const Var& v)
{
    const VariableRecord r{v.name, types_.Resolved(v.type), v.storage, v.inRegister, {v.words[0], v.words[1], 0}, 0};
    const std::optional<uint32_t> handle = records_.AddVariable(r);
    if (!handle)
        return LDR_OK;
    if (v.storage == SYM_STORAGE_EXTERNAL)
        tables_.externalVariables.insert_or_assign(v.name, NamedSymbol{*handle, v.name});
    else if (!v.expr.empty())
        records_.SetLocation(*handle, {LocationPiece{0, 0xFFFFFFFF, v.expr}});
    return LDR_OK;
}

LdrResult StabsFunctions::Close()
{
    if (!pending_)
        return LDR_OK;
    Pending f = std::move(*pending_);
    pending_.reset();
    if (!f.endBySize)
        if (auto size = symbolSizes_.find(f.start); size != symbolSizes_.end() && size->second != 0)
            f.end = f.start + size->second;
    uint32_t last = std::max(f.start, f.highestLine);
    if (f.end && *f.end > f.start)
        last = *f.end - 1;
    moduleLow_ = std::min(moduleLow_, f.start);
    moduleHigh_ = std::max(moduleHigh_, last);

    uint32_t procType = 0;
    if (types_.NewIndex(procType) && records_.AddType({procType, SYM_TYPE_PROC, 0, "", true})) {
        for (uint32_t& p : f.params)
            p = types_.Resolved(p);
        records_.SetProcedure(procType, types_.Resolved(f.returnType), f.params);
    } else
        procType = 0;
    if (!records_.OpenFunction({f.name, f.isStatic, f.start, last, procType}))
        return LDR_OK;
    ++count_;
    for (const Var& v : f.vars) {
        const VariableRecord rec{v.name,       types_.Resolved(v.type),     v.storage,
                                 v.inRegister, {v.words[0], v.words[1], 0}, 0};
        const std::optional<uint32_t> handle = records_.AddVariable(rec);
        if (!handle)
            continue;
        const bool scoped = v.high > v.low;
        records_.SetLocation(*handle, {LocationPiece{scoped ? v.low : f.start, scoped ? v.high : last + 1, v.expr}});
    }
    tables_.globalNames.insert_or_assign(f.name, NamedSymbol{f.module, f.name});
    if (!records_.EndFunction())
        return LDR_E_SYMBOL_CALL;
    return LDR_OK;
}

void StabsFunctions::ForgetModule()
{
    moduleLow_ = 0xFFFFFFFF;
    moduleHigh_ = 0;
    functionStatics_.clear();
}

}  // namespace tarnel
