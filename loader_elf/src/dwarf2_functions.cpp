#include "dwarf2_functions.h"

#include <algorithm>
#include <vector>

#include "dwarf2_constants.h"
#include "dwarf2_context.h"
#include "dwarf2_locations.h"
#include "dwarf2_types.h"
#include "dwarf2_walk.h"
#include "quinar/quinar.h"

namespace tarnel {
namespace {

// Storage classes of SymAddVariable.
constexpr uint32_t STORAGE_LOCAL = SYM_STORAGE_LOCAL;
constexpr uint32_t STORAGE_STATIC = SYM_STORAGE_STATIC;
constexpr uint32_t STORAGE_EXTERNAL = SYM_STORAGE_EXTERNAL;
// Word 0 of the location of a variable at a fixed address.
constexpr uint32_t ADDRESS_LOCATION_TAG = 3;

// A parameter (or, from the ARM tools, a variable met before the body)
// as the procedure type and the symbol block receive it.
struct ParamRecord {
    std::string name;
    uint32_t type = 0;
    LocationWords words;
    std::vector<LocationPiece> pieces;  // empty: no location
    std::vector<uint8_t> constant;      // DW_AT_const_value: the value, in place of a location
    bool artificial = false;
    uint64_t entry = 0;
};

// The identity quinar knows a variable's entry by: a re-read entry is the
// same variable, and equal fields never make two entries one.
uint64_t EntryKey(const Dwarf2Unit& unit, uint32_t offset)
{
    return (static_cast<uint64_t>(unit.headerOffset) << 32) | offset;
}

// Where a parameter or variable is read: the code of its function and of
// its innermost lexical block.
struct Scope {
    CodeRange function;
    CodeRange block;
};

// The location description kept in quinar: a single expression holds only
// inside the variable's lexical block.
std::vector<LocationPiece> PiecesIn(const Dwarf2Unit& unit, const std::optional<FormValue>& location, Scope scope)
{
    if (!location)
        return {};
    const CodeRange range = scope.block;
    std::vector<LocationPiece> pieces = LocationPieces(unit, *location, scope.function);
    if (location->kind == FormClass::Block)
        for (LocationPiece& p : pieces) {
            p.low = range.low;
            p.high = range.high;
        }
    return pieces;
}

// The value of an object the compiler keeps only as a constant, laid out
// as in target memory: a block as given, a number in the type's size and
// the image's byte order. Empty when there is none, or a number's type has
// no size up to 8 bytes.
std::vector<uint8_t> ConstantOf(const Dwarf2Unit& unit, const EntryAttributes& a, uint32_t type)
{
    if (!a.constValue || a.location)
        return {};
    const FormValue& value = *a.constValue;
    if (value.kind == FormClass::Block)
        return {value.block.begin(), value.block.end()};
    if (value.kind != FormClass::Constant)
        return {};
    const std::optional<uint32_t> size = Context(unit).records.TypeSize(type);
    if (!size || *size == 0 || *size > 8)
        return {};
    const bool bigEndian = Context(unit).bigEndian;
    std::vector<uint8_t> bytes(*size);
    for (uint32_t i = 0; i < *size; ++i)
        bytes[bigEndian ? *size - 1 - i : i] = static_cast<uint8_t>(value.number >> (8 * i));
    return bytes;
}

// Where a constant holds: its lexical block (the piece's expression is
// not used).
LocationPiece InScope(Scope scope)
{
    return {scope.block.low, scope.block.high, {}};
}

LocationWords WordsOf(const Dwarf2Unit& unit, const std::optional<FormValue>& location)
{
    if (!location || location->kind != FormClass::Block)
        return {};
    return DecodeLocation(unit, location->block);
}

bool IsLoneAddress(const Dwarf2Unit& unit, const std::optional<FormValue>& location)
{
    return location && location->kind == FormClass::Block && location->block.size() == 1u + unit.addressSize &&
        location->block[0] == DW_OP_addr;
}

// The name, type and external flag of an entry, completed from the
// declaration or abstract instance it refers to.
void Complete(const Dwarf2Unit& unit, const EntryAttributes& a, std::string& name, uint32_t& typeEntry, bool& external)
{
    name = std::string(a.name);
    typeEntry = a.type;
    external = a.external;
    const uint32_t origin = a.completes != 0 ? a.completes : a.abstractOrigin;
    if (origin == 0)
        return;
    const OriginInfo info = OriginOf(unit, origin);
    if (name.empty())
        name = info.name;
    if (typeEntry == 0)
        typeEntry = info.type;
    external = external || info.external;
}

ParamRecord ReadParameter(Dwarf2Unit& unit, uint32_t offset, const Dwarf2Abbrev& abbrev, Scope scope)
{
    const EntryAttributes a = ReadLeafEntry(unit, abbrev);
    ParamRecord p;
    uint32_t typeEntry = 0;
    bool external = false;
    Complete(unit, a, p.name, typeEntry, external);
    // Compiler-made names carry a '$' part.
    p.name = p.name.substr(0, p.name.find('$'));
    p.type = ResolveTypeRef(unit, typeEntry);
    p.words = WordsOf(unit, a.location);
    p.pieces = PiecesIn(unit, a.location, scope);
    p.constant = ConstantOf(unit, a, p.type);
    if (!p.constant.empty())
        p.pieces = {InScope(scope)};
    p.artificial = a.artificial;
    p.entry = EntryKey(unit, offset);
    return p;
}

// Adds a parameter or local to the open symbol block; the list (possibly
// empty: no location) goes beside it.
LdrResult AddLocal(QuinarRecords& records, const ParamRecord& p)
{
    const std::optional<uint32_t> handle =
        records.AddVariable({p.name, p.type, STORAGE_LOCAL, p.words.isRegister, {p.words.value, 0, 0}, p.entry});
    if (!handle)
        return LDR_E_SYMBOL_CALL;
    records.SetLocation(*handle, p.pieces);
    if (!p.constant.empty())
        records.SetConstValue(*handle, p.constant);
    return LDR_OK;
}

// A variable: at file level, or in the open function's block, where a
// location expression holds within its lexical block. With `staticsOnly`
// (the body of an abstract instance of an inline function, which has no
// code and no block) only a variable at a fixed address is taken: the
// function's static, held once for all its inlined copies.
LdrResult ReadVariable(Dwarf2Unit& unit, uint32_t offset, const Dwarf2Abbrev& abbrev, Scope scope,
                       bool staticsOnly = false)
{
    const EntryAttributes a = ReadLeafEntry(unit, abbrev);
    if (!unit.entries.Ok() || a.declaration)
        return LDR_OK;
    std::string name;
    uint32_t typeEntry = 0;
    bool external = false;
    Complete(unit, a, name, typeEntry, external);
    const uint32_t type = ResolveTypeRef(unit, typeEntry);
    const LocationWords w = WordsOf(unit, a.location);
    if (staticsOnly && !(w.isAddress && IsLoneAddress(unit, a.location)))
        return LDR_OK;
    uint32_t storage = STORAGE_LOCAL;
    if (w.isAddress)
        storage = STORAGE_STATIC;
    // An external variable in a function body is the global itself: quinar
    // files it at the module's level, and the function's block stays open.
    if (external)
        storage = STORAGE_EXTERNAL;

    VariableRecord v{name, type, storage, w.isRegister, {w.value, 0, 0}, EntryKey(unit, offset)};
    if (storage != STORAGE_LOCAL && !w.isRegister) {
        v.location[0] = ADDRESS_LOCATION_TAG;
        v.location[1] = w.value;
    }
    Dwarf2ReadContext& cx = Context(unit);
    const std::optional<uint32_t> handle = cx.records.AddVariable(v);
    if (!handle)
        return LDR_E_SYMBOL_CALL;
    if (storage == STORAGE_EXTERNAL)
        cx.tables.externalVariables.insert_or_assign(name, NamedSymbol{*handle, name});
    if (const std::vector<uint8_t> constant = ConstantOf(unit, a, type); !constant.empty()) {
        cx.records.SetLocation(*handle, InScope(scope));
        cx.records.SetConstValue(*handle, constant);
    } else if (storage == STORAGE_LOCAL || !IsLoneAddress(unit, a.location))
        cx.records.SetLocation(*handle, PiecesIn(unit, a.location, scope));
    return LDR_OK;
}

CodeRange Inside(CodeRange outer, const EntryAttributes& block)
{
    if (!block.lowPc || !block.highPc || *block.highPc <= *block.lowPc)
        return outer;
    return {std::max(outer.low, *block.lowPc), std::min(outer.high, *block.highPc)};
}

// The entries below a function, level by level: lexical blocks are
// entered (their variables belong to the function), everything else is
// read whole by the one who takes it.
class FunctionChildren {
public:
    FunctionChildren(Dwarf2Unit& unit, bool hasChildren) : unit_(unit), depth_(hasChildren ? 1 : 0) {}

    // The next entry at any level; null when the function's children end.
    const Dwarf2Abbrev* Next(uint32_t& offset)
    {
        ByteCursor& c = unit_.entries;
        while (depth_ > 0 && c.Ok() && !c.AtEnd()) {
            offset = static_cast<uint32_t>(c.Offset());
            const uint64_t code = c.ULeb128();
            if (!c.Ok())
                break;
            if (code != 0) {
                const Dwarf2Abbrev* abbrev =
                    code > 0xFFFFFFFF ? nullptr : Context(unit_).tables.LookUpAbbrev(static_cast<uint32_t>(code));
                if (!abbrev)
                    c.Fail("unknown abbreviation code");
                return abbrev;
            }
            // A null entry ends the innermost open level.
            --depth_;
            while (!blocks_.empty() && blocks_.back().depth > depth_)
                blocks_.pop_back();
        }
        depth_ = 0;
        return nullptr;
    }
    void StepBack(uint32_t offset) { tarnel::StepBack(unit_, offset); }
    // A lexical block whose attributes have been read: its children are
    // the function's too, and hold within the block's code.
    void Enter(const Dwarf2Abbrev& block, const EntryAttributes& a)
    {
        if (!block.children)
            return;
        ++depth_;
        blocks_.push_back({depth_, Inside(Range(), a)});
    }
    CodeRange Range() const { return blocks_.empty() ? CodeRange{} : blocks_.back().range; }

private:
    struct Block {
        uint32_t depth;
        CodeRange range;
    };
    Dwarf2Unit& unit_;
    uint32_t depth_;
    std::vector<Block> blocks_;
};

enum class Style { Gnu, Arm };

struct FunctionEntry {
    EntryAttributes a;
    std::string name;
    uint32_t returnType = SYM_TYPE_VOID;
    bool external = false;
};

class FunctionReader {
public:
    FunctionReader(Dwarf2Unit& unit, Style style) : unit_(unit), cx_(Context(unit)), style_(style) {}

    LdrResult Read(Dwarf2Entry& entry, const std::string* className, ClassSlot* slot)
    {
        entry.childrenRead = true;
        const NestedEntry level(cx_.pass, unit_.entries);
        FunctionEntry f;
        ReadEntryAttributes(unit_, entry.abbrev, f.a);
        if (!unit_.entries.Ok())
            return LDR_OK;
        uint32_t typeEntry = 0;
        Complete(unit_, f.a, f.name, typeEntry, f.external);
        if (className && !f.a.name.empty() && f.a.completes == 0)
            f.name = className->empty() ? std::string(f.a.name) : *className + "::" + std::string(f.a.name);
        // No DW_AT_type: a void function.
        f.returnType = typeEntry != 0 ? ResolveTypeRef(unit_, typeEntry) : SYM_TYPE_VOID;
        const bool hasCode = f.a.lowPc && f.a.highPc && *f.a.highPc > *f.a.lowPc;
        if (hasCode)
            code_ = {*f.a.lowPc, *f.a.highPc};

        FunctionChildren children(unit_, entry.abbrev.children);
        std::vector<ParamRecord> params;
        ParameterPass(children, params);
        if (slot)
            Declare(entry.offset, f, params, *slot);
        NoteMemberName(f);

        if (f.a.declaration || !hasCode) {
            // A declaration or an abstract instance of an inline function:
            // no code of its own. Its types are read all the same, and an
            // abstract instance's statics are the module's.
            return Body(children, false, !f.a.declaration);
        }
        return Make(f, params, children);
    }

private:
    void ParameterPass(FunctionChildren& children, std::vector<ParamRecord>& params)
    {
        uint32_t offset = 0;
        while (const Dwarf2Abbrev* child = children.Next(offset)) {
            const uint16_t tag = child->tag;
            if (tag == DW_TAG_formal_parameter) {
                params.push_back(ReadParameter(unit_, offset, *child, {code_, {}}));
            } else if (IsTypeTag(tag)) {
                Dwarf2Entry type{offset, *child};
                ReadDwarf2TypeEntry(unit_, type);
            } else if (tag == DW_TAG_label || (tag == DW_TAG_unspecified_parameters && style_ == Style::Gnu)) {
                SkipEntry(unit_, *child);
            } else if (style_ == Style::Arm && tag == DW_TAG_variable) {
                // The ARM tools' variables before the body are parameters.
                params.push_back(ReadParameter(unit_, offset, *child, {code_, {}}));
            } else if (style_ == Style::Arm && tag == DW_TAG_lexical_block) {
                EntryAttributes block;
                ReadEntryAttributes(unit_, *child, block);
                children.Enter(*child, block);
            } else {
                // The body begins here.
                children.StepBack(offset);
                return;
            }
        }
    }

    // Signature and declaration of a member function (its class's slot).
    void Declare(uint32_t offset, const FunctionEntry& f, const std::vector<ParamRecord>& params, ClassSlot& slot)
    {
        std::string signature = f.name + "(";
        bool first = true;
        for (const ParamRecord& p : params) {
            if (p.artificial || p.name == "this")
                continue;
            const std::optional<std::string> text = cx_.records.TypeText(p.type);
            signature += (first ? "" : ", ") + text.value_or("Unknown Type");
            first = false;
        }
        signature += first ? "void)" : ")";
        cx_.records.AddFunctionName(signature, f.name);
        cx_.pass.memberDeclarations.insert_or_assign(offset, f.name);
        slot.name = f.name;
        slot.isFunction = 1;
        slot.access = AccessOf(f.a.accessibility);
        if (f.a.lowPc && f.a.highPc && *f.a.highPc > *f.a.lowPc) {
            slot.lowPc = *f.a.lowPc;
            slot.highPc = *f.a.highPc - 1;
        }
    }

    // The symbol table names member functions by their mangled names; the
    // class ranges come from them.
    void NoteMemberName(const FunctionEntry& f) const
    {
        if (!f.a.linkageName.empty() && f.name.find("::") != std::string::npos)
            cx_.tables.memberNames.insert_or_assign(std::string(f.a.linkageName), f.name);
    }

    LdrResult Make(const FunctionEntry& f, const std::vector<ParamRecord>& params, FunctionChildren& children)
    {
        uint32_t procType = 0;
        LdrResult r = LDR_OK;
        if (!cx_.records.NewTypeIndex(1, procType, r)) {
            Body(children, false);
            return r;
        }
        std::vector<uint32_t> paramTypes;
        paramTypes.reserve(params.size());
        for (const ParamRecord& p : params)
            paramTypes.push_back(p.type);
        if (!cx_.records.AddType({procType, SYM_TYPE_PROC, 0, "", true}) ||
            !cx_.records.SetProcedure(procType, f.returnType, paramTypes)) {
            Body(children, false);
            return LDR_E_SYMBOL_CALL;
        }

        // Only a function that opened its block takes parameters, locals
        // and the block's end.
        bool blockOpen = false;
        if (!f.name.empty() || style_ == Style::Arm)
            blockOpen = cx_.records.OpenFunction({f.name, !f.external, *f.a.lowPc, *f.a.highPc - 1, procType});
        ++cx_.functions;
        if (!blockOpen) {
            Body(children, false);
            return LDR_OK;
        }
        if (f.a.frameBase)
            cx_.records.SetLocation(0, LocationPieces(unit_, *f.a.frameBase, code_));
        for (const ParamRecord& p : params)
            if (!p.name.empty() && r == LDR_OK)
                r = AddLocal(cx_.records, p);
        if (LdrResult b = Body(children, true); r == LDR_OK)
            r = b;
        if (!cx_.records.EndFunction() && r == LDR_OK)
            r = LDR_E_SYMBOL_CALL;
        return r;
    }

    // The body: locals (with `made`, into the open block), lexical blocks,
    // types, nested and inlined functions. Other entries are stepped over.
    LdrResult Body(FunctionChildren& children, bool made, bool statics = false)
    {
        LdrResult result = LDR_OK;
        uint32_t offset = 0;
        while (const Dwarf2Abbrev* child = children.Next(offset)) {
            LdrResult r = LDR_OK;
            switch (child->tag) {
            case DW_TAG_variable:
                if (made || statics)
                    r = ReadVariable(unit_, offset, *child, {code_, children.Range()}, !made);
                else
                    SkipEntry(unit_, *child);
                break;
            case DW_TAG_lexical_block: {
                EntryAttributes block;
                ReadEntryAttributes(unit_, *child, block);
                children.Enter(*child, block);
                break;
            }
            case DW_TAG_formal_parameter:
                // gcc puts a parameter it keeps only as a constant after
                // the locals: it joins them.
                if (made) {
                    const ParamRecord p = ReadParameter(unit_, offset, *child, {code_, {}});
                    if (!p.name.empty() && unit_.entries.Ok())
                        r = AddLocal(cx_.records, p);
                } else {
                    SkipEntry(unit_, *child);
                }
                break;
            case DW_TAG_subprogram:
            case DW_TAG_inlined_subroutine: {
                Dwarf2Entry nested{offset, *child};
                r = FunctionReader(unit_, style_).Read(nested, nullptr, nullptr);
                break;
            }
            default:
                if (IsTypeTag(child->tag)) {
                    Dwarf2Entry type{offset, *child};
                    r = ReadDwarf2TypeEntry(unit_, type);
                } else {
                    SkipEntry(unit_, *child);
                }
                break;
            }
            if (r != LDR_OK)
                result = r;
        }
        return result;
    }

    Dwarf2Unit& unit_;
    Dwarf2ReadContext& cx_;
    Style style_;
    CodeRange code_;  // the function's code, once known
};

}  // namespace

LdrResult ReadDwarf2Subprogram(Dwarf2Unit& unit, Dwarf2Entry& entry)
{
    switch (unit.kind) {
    case COMPILER_GNU_C: return FunctionReader(unit, Style::Gnu).Read(entry, nullptr, nullptr);
    case COMPILER_ARM:
    case COMPILER_GREEN_HILLS: return FunctionReader(unit, Style::Arm).Read(entry, nullptr, nullptr);
    default:
        // No known compiler: the function is not read.
        entry.childrenRead = true;
        SkipEntry(unit, entry.abbrev);
        return LDR_OK;
    }
}

LdrResult ReadMemberFunction(Dwarf2Unit& unit, Dwarf2Entry& entry, const std::string& className, ClassSlot& slot)
{
    return FunctionReader(unit, Style::Gnu).Read(entry, &className, &slot);
}

LdrResult ReadDwarf2Variable(Dwarf2Unit& unit, Dwarf2Entry& entry)
{
    entry.childrenRead = true;
    return ReadVariable(unit, entry.offset, entry.abbrev, Scope{});
}

LdrResult ReadDwarf2Label(Dwarf2Unit& unit, Dwarf2Entry& entry)
{
    SkipAttributes(unit, entry.abbrev);
    return LDR_OK;
}

LdrResult ReadDwarf2LexicalBlock(Dwarf2Unit& unit, Dwarf2Entry& entry)
{
    SkipAttributes(unit, entry.abbrev);
    return LDR_OK;
}

}  // namespace tarnel
