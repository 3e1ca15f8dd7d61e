#include "dwarf1_functions.h"

#include <string>
#include <utility>
#include <vector>

#include "demangle.h"
#include "dwarf1_types.h"
#include "quinar/quinar.h"

namespace tarnel {
namespace {

// The first word of a fixed address's location words.
constexpr uint32_t ADDRESS_LOCATION_TAG = 3;

// DWARF expression operations of the location pieces.
constexpr uint8_t OP_ADDR = 0x03;
constexpr uint8_t OP_REG0 = 0x50;
constexpr uint8_t OP_BREG0 = 0x70;
constexpr uint8_t OP_REGX = 0x90;
constexpr uint8_t OP_BREGX = 0x92;

enum class Place { None, Register, Frame, Address };

// What a location's atoms give: only the first atom decides the kind;
// constants added to a base register or an address move it.
struct Location {
    Place place = Place::None;
    uint32_t reg = 0;
    uint32_t value = 0;
};

Location LocationOf(const Dwarf1ReadContext& cx, const Dwarf1Entry& e)
{
    Location l;
    const Dwarf1Attribute* a = e.Find(DW1_AT_LOCATION);
    if (!a)
        return l;
    ByteCursor c(a->block, cx.section.bigEndian, ".debug");
    uint32_t constant = 0;
    bool first = true;
    while (c.Ok() && !c.AtEnd()) {
        const uint8_t atom = c.U8();
        if (first) {
            first = false;
            if (atom == DW1_OP_REG)
                return {Place::Register, c.U32(), 0};
            if (atom == DW1_OP_BASEREG) {
                l = {Place::Frame, c.U32(), 0};
                continue;
            }
            if (atom == DW1_OP_ADDR) {
                l = {Place::Address, 0, c.U32()};
                continue;
            }
            return {};
        }
        if (atom == DW1_OP_CONST)
            constant = c.U32();
        else if (atom == DW1_OP_ADD)
            l.value += constant;
        else
            break;
    }
    if (!c.Ok())
        return {};
    return l;
}

void PutLeb(Dwarf1Expression& out, uint64_t v)
{
    do {
        const uint8_t b = v & 0x7F;
        v >>= 7;
        out.push_back(v ? b | 0x80 : b);
    } while (v);
}

void PutSleb(Dwarf1Expression& out, int64_t v)
{
    for (bool more = true; more;) {
        const uint8_t b = v & 0x7F;
        v >>= 7;
        more = !((v == 0 && !(b & 0x40)) || (v == -1 && (b & 0x40)));
        out.push_back(more ? b | 0x80 : b);
    }
}

// The location as one DWARF expression: DW_OP_bregN offset for a base
// register and offset, DW_OP_regN for a register, DW_OP_addr for an
// address (in the image's byte order).
Dwarf1Expression ExpressionOf(const Location& l, bool bigEndian)
{
    Dwarf1Expression out;
    switch (l.place) {
    case Place::Register:
        if (l.reg < 32) {
            out.push_back(static_cast<uint8_t>(OP_REG0 + l.reg));
        } else {
            out.push_back(OP_REGX);
            PutLeb(out, l.reg);
        }
        break;
    case Place::Frame:
        if (l.reg < 32) {
            out.push_back(static_cast<uint8_t>(OP_BREG0 + l.reg));
        } else {
            out.push_back(OP_BREGX);
            PutLeb(out, l.reg);
        }
        PutSleb(out, static_cast<int32_t>(l.value));
        break;
    case Place::Address:
        out.push_back(OP_ADDR);
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(l.value >> (bigEndian ? 8 * (3 - i) : 8 * i)));
        break;
    case Place::None: break;
    }
    return out;
}

bool TryAdd(Dwarf1ReadContext& cx, Dwarf1PendingVariable& v, uint32_t* handle = nullptr)
{
    VariableRecord r{v.name, v.type, v.storage, v.inRegister, {v.location[0], v.location[1], v.location[2]}, 0};
    const std::optional<uint32_t> h = cx.records.AddVariable(r);
    if (!h)
        return false;
    if (!v.expression.empty())
        cx.records.SetLocation(*h, LocationPiece{0, 0xFFFFFFFF, v.expression.Span()});
    if (v.storage == SYM_STORAGE_EXTERNAL)
        cx.tables.globalNames.insert_or_assign(v.name, NamedSymbol{*h, v.name});
    if (handle)
        *handle = *h;
    return true;
}

// A variable or parameter of `e` with its type given or read; nothing
// for a variable without a name or a location.
std::optional<Dwarf1PendingVariable> VariableOf(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t storageOfAddress,
                                                const std::optional<Dwarf1Type>& given)
{
    const std::string_view name = PlainName(e.Text(DW1_AT_NAME));
    const Location l = LocationOf(cx, e);
    const Dwarf1Type t = given ? *given : Dwarf1TypeOf(cx, e);
    if (name.empty() || l.place == Place::None)
        return std::nullopt;
    Dwarf1PendingVariable v;
    v.name = std::string(name);
    v.type = t.type;
    v.reference = t.waiting;
    v.expression = ExpressionOf(l, cx.section.bigEndian);
    switch (l.place) {
    case Place::Address:
        v.storage = storageOfAddress;
        v.location[0] = ADDRESS_LOCATION_TAG;
        v.location[1] = l.value;
        break;
    case Place::Register:
        v.storage = storageOfAddress == SYM_STORAGE_EXTERNAL ? SYM_STORAGE_EXTERNAL : SYM_STORAGE_LOCAL;
        v.inRegister = true;
        v.location[0] = l.reg;
        v.location[1] = l.reg;
        break;
    case Place::Frame:
        // Globals are not frame-relative.
        if (storageOfAddress == SYM_STORAGE_EXTERNAL)
            return std::nullopt;
        v.storage = SYM_STORAGE_LOCAL;
        v.location[0] = l.value;
        break;
    case Place::None: break;
    }
    return v;
}

void AddOrKeep(Dwarf1ReadContext& cx, std::optional<Dwarf1PendingVariable> v)
{
    if (v && !TryAdd(cx, *v))
        cx.load.pendingVariables.push_back(std::move(*v));
}

// The entries of a function's scope in [from, end): parameters, locals,
// labels, nested types and lexical blocks, whose variables belong to the
// function. Parameters take their types from the procedure's list.
void ReadScope(Dwarf1ReadContext& cx, uint32_t from, uint32_t end, const std::vector<Dwarf1Type>& parameters,
               size_t& nextParameter)
{
    for (uint32_t p = from; p < end;) {
        const Dwarf1Entry e = cx.section.Read(p, end);
        p = NextOffset(cx.section, e, end);
        if (e.null)
            continue;
        switch (e.tag) {
        case DW1_TAG_FORMAL_PARAMETER: {
            std::optional<Dwarf1Type> t;
            if (nextParameter < parameters.size())
                t = parameters[nextParameter++];
            AddOrKeep(cx, VariableOf(cx, e, SYM_STORAGE_STATIC, t));
            break;
        }
        case DW1_TAG_LOCAL_VARIABLE: AddOrKeep(cx, VariableOf(cx, e, SYM_STORAGE_STATIC, std::nullopt)); break;
        case DW1_TAG_LABEL: AddDwarf1Label(cx, e); break;
        case DW1_TAG_LEXICAL_BLOCK: {
            Dwarf1Nested nested(cx, e.offset);
            ReadScope(cx, e.End(), p, parameters, nextParameter);
            break;
        }
        default:
            if (IsDwarf1TypeTag(e.tag))
                ReadDwarf1TypeEntry(cx, e, end);
            break;
        }
    }
}

// The types of the formal parameters among the direct children.
std::vector<Dwarf1Type> ParameterTypes(Dwarf1ReadContext& cx, uint32_t from, uint32_t end)
{
    std::vector<Dwarf1Type> types;
    for (uint32_t p = from; p < end;) {
        const Dwarf1Entry e = cx.section.Read(p, end);
        p = NextOffset(cx.section, e, end);
        if (e.null)
            continue;
        if (e.tag == DW1_TAG_FORMAL_PARAMETER)
            types.push_back(Dwarf1TypeOf(cx, e));
        else if (IsDwarf1TypeTag(e.tag))
            ReadDwarf1TypeEntry(cx, e, end);
    }
    return types;
}

// Closes the function's symbol block however its reading ends.
class FunctionBlock {
public:
    explicit FunctionBlock(QuinarRecords& records) : records_(records) {}
    ~FunctionBlock()
    {
        if (open)
            records_.EndFunction();
    }
    FunctionBlock(const FunctionBlock&) = delete;
    FunctionBlock& operator=(const FunctionBlock&) = delete;
    bool open = false;

private:
    QuinarRecords& records_;
};

}  // namespace

std::optional<LinkageSymbol> FindLinkageSymbol(const Dwarf1ReadContext& cx, std::string_view linkage)
{
    const NotedSection& symtab = cx.notes[Noted::Symtab];
    const NotedSection& strtab = cx.notes[Noted::Strtab];
    if (!symtab.present || !strtab.present || linkage.empty())
        return std::nullopt;
    const std::string underscored = "_" + std::string(linkage);
    const std::span<const uint8_t> strings =
        cx.file.subspan(std::min<size_t>(strtab.offset, cx.file.size()))
            .first(std::min<size_t>(strtab.size, cx.file.size() - std::min<size_t>(strtab.offset, cx.file.size())));
    ByteCursor symbols(cx.file.subspan(std::min<size_t>(symtab.offset, cx.file.size())), cx.section.bigEndian,
                       ".symtab");
    for (uint32_t at = 0; at + 16 <= symtab.size && symbols.Remaining() >= 16; at += 16) {
        const uint32_t nameOffset = symbols.U32();
        const uint32_t value = symbols.U32();
        const uint32_t size = symbols.U32();
        symbols.Skip(4);
        if (nameOffset >= strings.size())
            continue;
        const std::span<const uint8_t> rest = strings.subspan(nameOffset);
        size_t n = 0;
        while (n < rest.size() && rest[n] != 0)
            ++n;
        const std::string_view name(reinterpret_cast<const char*>(rest.data()), n);
        if (name == underscored || name == linkage)
            return LinkageSymbol{value, size};
    }
    return std::nullopt;
}

bool AddDwarf1Label(Dwarf1ReadContext& cx, const Dwarf1Entry& e)
{
    const Dwarf1Attribute* low = e.Find(DW1_AT_LOW_PC);
    const std::string_view name = e.Text(DW1_AT_NAME);
    if (!low || name.empty())
        return true;
    return cx.records.AddLabel(name, low->value);
}

LdrResult ReadDwarf1Subroutine(Dwarf1ReadContext& cx, const Dwarf1Entry& e, uint32_t limit, bool isStatic)
{
    const uint32_t end = e.Find(DW1_AT_SIBLING) ? NextOffset(cx.section, e, limit) : e.End();
    std::string name(e.Text(DW1_AT_NAME));
    const Dwarf1Type result = Dwarf1TypeOf(cx, e, DW1_FT_VOID);
    const Dwarf1Attribute* low = e.Find(DW1_AT_LOW_PC);
    const Dwarf1Attribute* high = e.Find(DW1_AT_HIGH_PC);
    std::optional<std::pair<uint32_t, uint32_t>> range;
    if (low && high && high->value > low->value)
        range = {low->value, high->value - 1};
    const std::string_view linkage = e.Text(DW1_AT_MANGLED_NAME);
    if (!linkage.empty()) {
        const std::string demangled = DemangleSymbol(linkage);
        if (demangled.find(':') != std::string::npos)
            name = demangled;
        if (!low && !high) {
            if (const std::optional<LinkageSymbol> s = FindLinkageSymbol(cx, linkage); s && s->size != 0)
                range = {s->value, s->value + s->size - 1};
        }
    }

    const std::vector<Dwarf1Type> parameters = ParameterTypes(cx, e.End(), end);
    uint32_t procType = 0;
    LdrResult r = LDR_OK;
    if (!cx.records.NewTypeIndex(1, procType, r))
        return r;
    cx.records.AddType({procType, SYM_TYPE_PROC, 0, "", true});
    std::vector<uint32_t> types;
    for (const Dwarf1Type& t : parameters)
        types.push_back(t.type);
    if (!cx.records.SetProcedure(procType, result.type, types))
        r = LDR_E_SYMBOL_CALL;
    // A declaration without code names no function.
    if (!range)
        return r;

    FunctionBlock block(cx.records);
    block.open = cx.records.OpenFunction({name, isStatic, range->first, range->second, procType});
    if (!block.open)
        return LDR_E_SYMBOL_CALL;
    ++cx.functions;
    if (cx.FullDetail()) {
        size_t nextParameter = 0;
        ReadScope(cx, e.End(), end, parameters, nextParameter);
    }
    return r;
}

void ReadDwarf1GlobalVariable(Dwarf1ReadContext& cx, const Dwarf1Entry& e)
{
    AddOrKeep(cx, VariableOf(cx, e, SYM_STORAGE_EXTERNAL, std::nullopt));
}

void ReadDwarf1FileVariable(Dwarf1ReadContext& cx, const Dwarf1Entry& e)
{
    AddOrKeep(cx, VariableOf(cx, e, SYM_STORAGE_STATIC, std::nullopt));
}

void RetryDwarf1PendingVariables(Dwarf1ReadContext& cx, uint32_t unitOffset)
{
    std::vector<Dwarf1PendingVariable>& pending = cx.load.pendingVariables;
    std::erase_if(pending, [&](Dwarf1PendingVariable& v) {
        if (v.reference) {
            uint32_t index = 0;
            bool found = false;
            cx.tables.LookUpDwarf1Type(*v.reference, &index, &found);
            if (found)
                v.type = index;
        }
        return TryAdd(cx, v);
    });
    if (!pending.empty())
        cx.errors.At(".debug", unitOffset,
                     std::to_string(pending.size()) + (pending.size() == 1 ? " variable" : " variables") +
                         " of the unit not added: type unknown");
    pending.clear();
}

}  // namespace tarnel
