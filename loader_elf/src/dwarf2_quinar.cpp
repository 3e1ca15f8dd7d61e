#include "dwarf2_quinar.h"

#include <algorithm>
#include <string>
#include <utility>

#include "quinar/symbol_store.h"

namespace tarnel {
namespace {

quinar::SymbolStore& Store()
{
    return quinar::Symbols();
}

quinar::ModuleOpening Opening(const ImageStamp& stamp, const ModuleRecord& m)
{
    quinar::ModuleOpening how;
    how.stamp = stamp;
    how.range = SymModuleDesc{2, m.start, m.end};
    how.position = m.position;
    how.kind = m.kind;
    return how;
}

}  // namespace

bool QuinarRecords::NewTypeIndex(uint32_t step, uint32_t& index, LdrResult& result)
{
    const quinar::Result<uint32_t> highest = Store().HighestTypeIndex();
    if (!highest) {
        result = static_cast<LdrResult>(highest.status);
        return false;
    }
    index = *highest + step;
    return true;
}

bool QuinarRecords::AddType(const TypeRecord& t)
{
    const std::string text(t.name);
    SymTypeDesc desc{};
    desc.valid = 1;
    desc.code = t.code;
    desc.size = t.size;
    desc.name = text.c_str();
    desc.sizeKnown = t.sizeKnown ? 1 : 0;
    return Store().AddType(t.index, desc) == SYM_OK;
}

bool QuinarRecords::IndexTaken(uint32_t index)
{
    return Store().Type(index).ok();
}

bool QuinarRecords::SetPointerTarget(uint32_t index, uint32_t target)
{
    return Store().SetPointerTarget(index, target) == SYM_OK;
}

LdrResult QuinarRecords::SetReferenceTarget(uint32_t index, uint32_t target)
{
    return static_cast<LdrResult>(Store().SetReferenceTarget(index, target));
}

bool QuinarRecords::SetTypeBase(uint32_t index, uint32_t base)
{
    return Store().SetTypeBase(index, base) == SYM_OK;
}

void QuinarRecords::UpdatePointerTarget(uint32_t index, uint32_t target)
{
    Store().SetPointerTarget(index, target);
}

bool QuinarRecords::SetArrayDimension(uint32_t index, uint32_t inner, uint32_t bound)
{
    return Store().SetArrayDims(index, SymArrayDim{inner, bound}) == SYM_OK;
}

bool QuinarRecords::UpdateArrayDimension(uint32_t index, uint32_t inner, uint32_t bound)
{
    return Store().UpdateArrayDims(index, SymArrayDim{inner, bound}) == SYM_OK;
}

std::optional<uint32_t> QuinarRecords::TypeSize(uint32_t index)
{
    const quinar::Result<quinar::TypeInfo> r = Store().Type(index);
    if (!r || !r.value.sizeKnown)
        return std::nullopt;
    return r.value.size;
}

bool QuinarRecords::SetProcedure(uint32_t index, uint32_t returnType, std::span<const uint32_t> parameters)
{
    quinar::SymbolStore& store = Store();
    if (store.AddProcType(index, returnType, static_cast<uint32_t>(parameters.size())) != SYM_OK)
        return false;
    return std::all_of(parameters.begin(), parameters.end(),
                       [&](uint32_t type) { return store.AddProcParam(index, type) == SYM_OK; });
}

bool QuinarRecords::AddEnumConstant(uint32_t index, int32_t value, std::string_view name)
{
    return Store().AddEnumConstant(index, value, name) == SYM_OK;
}

bool QuinarRecords::SetBitField(uint32_t index, const BitFieldRecord& b)
{
    return Store().SetBitField(index, SymBitFieldInfo{b.byteSize, b.bitOffset, b.bitSize, b.type}) == SYM_OK;
}

bool QuinarRecords::AddMember(uint32_t index, const MemberRecord& m)
{
    const std::string name(m.name);
    const SymStructMember member{name.c_str(), m.type, m.offset, m.byteSize, m.bitOffset, m.bitSize};
    return Store().AddStructMember(index, member) == SYM_OK;
}

bool QuinarRecords::AddClassSlot(uint32_t index, const ClassSlotRecord& s)
{
    const std::string name(s.name);
    const SymClassSlot slot{name.c_str(), s.type, s.offset, s.isFunction ? 1u : 0u, s.lowPc, s.highPc, s.access};
    return Store().AddClassSlot(index, slot) == SYM_OK;
}

bool QuinarRecords::CompleteClass(uint32_t index)
{
    return Store().AddClassType(index) == SYM_OK;
}

std::optional<std::string> QuinarRecords::TypeText(uint32_t index)
{
    quinar::Result<std::string> r = Store().TypeText(index);
    if (!r)
        return std::nullopt;
    if (r.value.size() >= SYM_TYPE_NAME_SIZE)
        r.value.resize(SYM_TYPE_NAME_SIZE - 1);
    return std::move(r.value);
}

void QuinarRecords::AddFunctionName(std::string_view signature, std::string_view name)
{
    Store().AddFunctionName(signature, name);
}

bool QuinarRecords::OpenFunction(const FunctionRecord& f)
{
    return Store().AddFunction(f.name, f.isStatic, SymModuleDesc{2, f.low, f.high}, f.procType) == SYM_OK;
}

bool QuinarRecords::EndFunction()
{
    return Store().EndSymbolBlock() == SYM_OK;
}

std::optional<uint32_t> QuinarRecords::AddVariable(const VariableRecord& v)
{
    quinar::VariableEntry entry{v.name, v.type, v.storage, v.inRegister, {}, false, 1, v.entry};
    std::copy(std::begin(v.location), std::end(v.location), entry.location.begin());
    const quinar::Result<uint32_t> r = Store().AddVariable(entry);
    if (r.status != SYM_OK && r.status != SYM_S_VARIABLE_ACCEPTED)
        return std::nullopt;
    return r.value;
}

void QuinarRecords::SetLocation(uint32_t handle, const std::vector<LocationPiece>& pieces)
{
    std::vector<SymLocationPiece> out;
    out.reserve(pieces.size());
    for (const LocationPiece& p : pieces)
        out.push_back({p.low, p.high, p.expr.data(), static_cast<uint32_t>(p.expr.size())});
    Store().SetLocationList(handle, out);
}

void QuinarRecords::SetLocation(uint32_t handle, const LocationPiece& piece)
{
    const SymLocationPiece out{piece.low, piece.high, piece.expr.data(), static_cast<uint32_t>(piece.expr.size())};
    Store().SetLocationList(handle, std::span(&out, 1));
}

void QuinarRecords::SetConstValue(uint32_t handle, std::span<const uint8_t> bytes)
{
    Store().SetConstValue(handle, bytes);
}

LdrResult QuinarRecords::AddToModule(uint32_t module, const ModuleRecord& m)
{
    return static_cast<LdrResult>(Store().ReopenModule(module, m.name, Opening(stamp_, m)));
}

QuinarRecords::Opened QuinarRecords::OpenModule(const ModuleRecord& m, uint32_t& module)
{
    const quinar::Result<uint32_t> r = Store().OpenModule(m.name, Opening(stamp_, m));
    module = r.value;
    if (r.status == SYM_S_MODULE_NO_HANDLE) {
        module = 0;
        return Opened::NoHandle;
    }
    return r.ok() ? Opened::Module : Opened::Refused;
}

void QuinarRecords::CloseModule()
{
    Store().CloseModule();
}

void QuinarRecords::SetModuleRange(uint32_t module, uint32_t start, uint32_t end)
{
    Store().SetRange(module, SymRange{start, end, 1, 1});
}

void QuinarRecords::SetModuleSourceFile(uint32_t module, std::string_view path)
{
    Store().SetModuleAttr(module, path);
}

bool QuinarRecords::AddLabel(std::string_view name, uint32_t address)
{
    return Store().AddModuleByName(name, address) == SYM_OK;
}

bool QuinarRecords::BeginLineTable(uint32_t module)
{
    return Store().BeginLineTable(module) == SYM_OK;
}

LdrResult QuinarRecords::AddLineRow(uint32_t line, uint32_t column, uint32_t address, bool statement)
{
    return static_cast<LdrResult>(Store().AddLineRow(line, column, address, statement));
}

void QuinarRecords::EndLineTable()
{
    Store().EndLineTable();
}

}  // namespace tarnel
