#include "dwarf2_quinar.h"

#include <string>

#include "dwarf2_unit.h"
#include "quinar/quinar.h"

namespace tarnel {

bool QuinarRecords::NewTypeIndex(uint32_t step, uint32_t& index, LdrResult& result)
{
    uint32_t highest = 0;
    if (SymResult r = SymAllocTypeIndex(&highest); r != SYM_OK) {
        result = static_cast<LdrResult>(r);
        return false;
    }
    index = highest + step;
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
    return SymAddTypeRecord(t.index, &desc) == SYM_OK;
}

bool QuinarRecords::IndexTaken(uint32_t index)
{
    SymTypeDesc existing{};
    existing.nameBuffer = nullptr;
    return SymGetTypeRecord(index, &existing) == SYM_OK;
}

bool QuinarRecords::SetPointerTarget(uint32_t index, uint32_t target)
{
    return SymSetPointerTarget(index, target) == SYM_OK;
}

LdrResult QuinarRecords::SetReferenceTarget(uint32_t index, uint32_t target)
{
    return static_cast<LdrResult>(SymAddTypeReferenceTypeIndex(index, target));
}

bool QuinarRecords::SetTypeBase(uint32_t index, uint32_t base)
{
    return SymSetTypeBase(index, base) == SYM_OK;
}

void QuinarRecords::UpdatePointerTarget(uint32_t index, uint32_t target)
{
    SymUpdateTypePointerTypeIndex(index, target);
}

bool QuinarRecords::SetArrayDimension(uint32_t index, uint32_t inner, uint32_t bound)
{
    const SymArrayDim dim{inner, bound};
    return SymSetArrayDims(index, &dim) == SYM_OK;
}

bool QuinarRecords::SetProcedure(uint32_t index, uint32_t returnType, std::span<const uint32_t> parameters)
{
    if (SymAddProcType(index, 0, 0, 0, returnType, static_cast<uint32_t>(parameters.size()), 0, nullptr) != SYM_OK)
        return false;
    for (uint32_t type : parameters)
        if (SymAddProcParam(index, type) != SYM_OK)
            return false;
    return true;
}

bool QuinarRecords::AddEnumConstant(uint32_t index, int32_t value, std::string_view name)
{
    const std::string text(name);
    return SymAddEnumConstant(index, value, text.c_str()) == SYM_OK;
}

bool QuinarRecords::SetBitField(uint32_t index, const BitFieldRecord& b)
{
    const SymBitFieldInfo info{b.byteSize, b.bitOffset, b.bitSize, b.type};
    return SymSetBitFieldInfo(index, &info) == SYM_OK;
}

bool QuinarRecords::AddMember(uint32_t index, const MemberRecord& m)
{
    const std::string name(m.name);
    const SymStructMember member{name.c_str(), m.type, m.offset, m.byteSize, m.bitOffset, m.bitSize};
    return SymAddStructMember(index, &member) == SYM_OK;
}

bool QuinarRecords::AddClassSlot(uint32_t index, const ClassSlotRecord& s)
{
    const std::string name(s.name);
    const SymClassSlot slot{name.c_str(), s.type, s.offset, s.isFunction ? 1u : 0u, s.lowPc, s.highPc, s.access};
    return SymAddTypeClass(index, &slot) == SYM_OK;
}

bool QuinarRecords::CompleteClass(uint32_t index)
{
    return SymAddClassType(index) == SYM_OK;
}

bool QuinarRecords::TypeText(uint32_t index, char (&text)[80])
{
    static_assert(SYM_TYPE_NAME_SIZE == 80);
    return BuildDetailedType(index, text) == SYM_OK;
}

void QuinarRecords::AddFunctionName(std::string_view signature, std::string_view name)
{
    SymAddFuncNametoMap(std::string(signature).c_str(), std::string(name).c_str());
}

bool QuinarRecords::OpenFunction(const FunctionRecord& f)
{
    const SymModuleDesc range{2, f.low, f.high};
    return SymAddPublicSymbol(std::string(f.name).c_str(), f.isStatic ? 1 : 0, 0, &range, f.procType) == SYM_OK;
}

bool QuinarRecords::EndFunction()
{
    return SymEndSymbolBlock() == SYM_OK;
}

std::optional<uint32_t> QuinarRecords::AddVariable(const VariableRecord& v)
{
    uint32_t handle = 0;
    const SymResult r = SymAddVariable(std::string(v.name).c_str(), v.type, v.storage, v.inRegister ? 1 : 0,
                                       v.location, 0, 1, &handle);
    if (r != SYM_OK && r != SYM_S_VARIABLE_ACCEPTED)
        return std::nullopt;
    return handle;
}

void QuinarRecords::SetLocation(uint32_t handle, const std::vector<LocationPiece>& pieces)
{
    std::vector<SymLocationPiece> out;
    out.reserve(pieces.size());
    for (const LocationPiece& p : pieces)
        out.push_back({p.low, p.high, p.expr.data(), static_cast<uint32_t>(p.expr.size())});
    SymSetLocationList(handle, out.data(), static_cast<uint32_t>(out.size()));
}

LdrResult QuinarRecords::AddToModule(uint32_t module, const ModuleRecord& m)
{
    const SymModuleDesc desc{2, m.start, m.end};
    return static_cast<LdrResult>(
        SymAddModuleOpenByDescNew(module, std::string(m.name).c_str(), &stamp_, &desc, m.position, m.kind, 0));
}

QuinarRecords::Opened QuinarRecords::OpenModule(const ModuleRecord& m, uint32_t& module)
{
    const SymModuleDesc desc{2, m.start, m.end};
    module = 0;
    const SymResult r = SymOpenModule(std::string(m.name).c_str(), &stamp_, &desc, m.position, m.kind, 0, &module, 0);
    if (r == SYM_S_MODULE_NO_HANDLE) {
        module = 0;
        return Opened::NoHandle;
    }
    return r == SYM_OK ? Opened::Module : Opened::Refused;
}

void QuinarRecords::CloseModule(uint32_t flag)
{
    SymCloseModule(flag);
}

void QuinarRecords::SetModuleRange(uint32_t module, uint32_t start, uint32_t end)
{
    const SymRange range{start, end, 1, 1};
    SymSetModuleRange(&range, module);
}

void QuinarRecords::SetModuleSourceFile(uint32_t module, std::string_view path)
{
    SymSetModuleAttr(module, std::string(path).c_str());
}

bool QuinarRecords::BeginLineTable(uint32_t module)
{
    return SymBeginLineTable(module) == SYM_OK;
}

LdrResult QuinarRecords::AddLineRow(uint32_t line, uint32_t column, uint32_t address)
{
    const SymResult r = SymAddLineRow(line, column, address, 0);
    return r == SYM_OK ? LDR_OK : static_cast<LdrResult>(r);
}

void QuinarRecords::EndLineTable()
{
    SymEndLineTable();
}

}  // namespace tarnel
