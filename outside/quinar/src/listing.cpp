#include "quinar/listing.h"

#include <cstdarg>
#include <cstdio>

#include "expression_text.h"
#include "store.h"

namespace quinar {

namespace {

std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Range(bool known, uint32_t first, uint32_t last)
{
    return known ? Format("%08x-%08x", first, last) : std::string("-");
}

std::string ModuleName(const Store& s, uint32_t position)
{
    return position == kNone ? std::string("-") : s.Modules()[position].name;
}

const char* CodeName(uint32_t code)
{
    switch (code) {
    case SYM_TYPE_BASE: return "base";
    case SYM_TYPE_CLASS: return "class";
    case SYM_TYPE_ENUM: return "enum";
    case SYM_TYPE_POINTER: return "pointer";
    case SYM_TYPE_STRUCT: return "struct";
    case SYM_TYPE_TYPEDEF: return "typedef";
    case SYM_TYPE_UNION: return "union";
    case SYM_TYPE_ARRAY: return "array";
    case SYM_TYPE_BITFIELD: return "bitfield";
    case SYM_TYPE_PROC: return "proc";
    case SYM_TYPE_REFERENCE: return "reference";
    default: return "?";
    }
}

}  // namespace

std::vector<std::string> ListSymbols()
{
    const Store& s = TheStore();
    std::vector<std::string> rows;
    for (const Section& x : s.Sections())
        rows.push_back(Format("section %u %s attribute %u", x.index, x.name.c_str(), x.attribute));
    for (const Module& m : s.Modules())
        rows.push_back("module " + Range(m.hasRange, m.start, m.end) + " " + m.name);
    for (const Label& l : s.Labels())
        rows.push_back(Format("label %08x %s", l.value, l.name.c_str()));
    for (const DataLabel& d : s.DataLabels())
        rows.push_back(Format("data %08x %s", d.address, d.name.c_str()));
    for (const Variable& v : s.Variables()) {
        std::string where = v.HasAddress() ? Format("%08x", v.start)
            : v.isRegister                 ? Format("r%u", v.location[0])
                                           : Format("frame%+d", static_cast<int32_t>(v.location[0]));
        rows.push_back(Format("variable %s %s type %x", where.c_str(), v.name.c_str(), v.type));
    }
    return rows;
}

std::vector<std::string> ListFunctions()
{
    const Store& s = TheStore();
    std::vector<std::string> rows;
    for (const Function& f : s.Functions())
        rows.push_back(Range(true, f.start, f.end) + " " + f.name + " module " + ModuleName(s, f.module));
    return rows;
}

std::vector<std::string> ListTypes()
{
    const Store& s = TheStore();
    std::vector<std::string> rows;
    for (const TypeRecord& t : s.Types().Records()) {
        if (t.predefined)
            continue;
        rows.push_back(Format("%x %s size %u ", t.index, CodeName(t.code), s.Types().SizeOf(t.index)) +
                       s.Types().Text(t.index));
    }
    return rows;
}

namespace {

const char* AccessName(uint32_t access)
{
    switch (access & 0xFF) {
    case SYM_ACCESS_PRIVATE: return "private";
    case SYM_ACCESS_PROTECTED: return "protected";
    default: return "public";
    }
}

std::string LinkText(const TypeRecord& t)
{
    switch (t.code) {
    case SYM_TYPE_BITFIELD: return Format(" bits %u:%u of %x", t.bitOffset, t.bitSize, t.link);
    case SYM_TYPE_ARRAY: return t.dimsSet ? Format(" bound %u of %x", t.bound, t.link) : std::string();
    case SYM_TYPE_POINTER:
    case SYM_TYPE_REFERENCE:
    case SYM_TYPE_TYPEDEF: return Format(" to %x", t.link);
    case SYM_TYPE_PROC: return Format(" returns %x", t.link);
    default: return {};
    }
}

void AddItems(const TypeTable& types, const TypeRecord& t, std::vector<std::string>& rows)
{
    switch (t.code) {
    case SYM_TYPE_STRUCT:
    case SYM_TYPE_UNION:
        for (uint32_t at = t.firstItem; at != kNone; at = types.Members()[at].next) {
            const MemberItem& m = types.Members()[at];
            std::string row = Format("  member %s type %x offset %u", m.name.c_str(), m.type, m.offset);
            if (m.bitSize != 0)
                row += Format(" bits %u:%u", m.bitOffset, m.bitSize);
            rows.push_back(row);
        }
        break;
    case SYM_TYPE_ENUM:
        for (uint32_t at = t.firstItem; at != kNone; at = types.Enumerators()[at].next)
            rows.push_back(
                Format("  enumerator %s %d", types.Enumerators()[at].name.c_str(), types.Enumerators()[at].value));
        break;
    case SYM_TYPE_PROC:
        for (uint32_t at = t.firstItem; at != kNone; at = types.Params()[at].next)
            rows.push_back(Format("  param type %x", types.Params()[at].type));
        break;
    case SYM_TYPE_CLASS:
        for (uint32_t at = t.firstItem; at != kNone; at = types.Slots()[at].next) {
            const SlotItem& c = types.Slots()[at];
            rows.push_back(
                c.isFunction
                    ? Format("  slot %s %s code %08x-%08x", AccessName(c.access), c.name.c_str(), c.lowPc, c.highPc)
                    : Format("  slot %s %s type %x offset %u", AccessName(c.access), c.name.c_str(), c.type, c.offset));
        }
        break;
    default: break;
    }
}

std::string LocationText(const Store& s, const LocationRef& ref)
{
    if (ref.count == 0)
        return "none";
    std::string text;
    for (uint32_t n = 0; n < ref.count; ++n) {
        const SymLocationPiece p = s.Piece(ref, n);
        if (n != 0)
            text += "; ";
        if (p.low != 0 || p.high != 0xFFFFFFFFu)
            text += Format("[%08x-%08x) ", p.low, p.high);
        text += ExpressionText(p.expr, p.length);
    }
    return text;
}

const char* StorageName(const Variable& v)
{
    if (v.function == kNone)
        return v.storage == SYM_STORAGE_EXTERNAL ? "global" : "static";
    switch (v.storage) {
    case SYM_STORAGE_LOCAL: return "local";
    case SYM_STORAGE_STATIC: return "static";
    default: return "global";
    }
}

}  // namespace

std::vector<std::string> ListTypesWithItems()
{
    const Store& s = TheStore();
    const TypeTable& types = s.Types();
    std::vector<std::string> rows;
    for (const TypeRecord& t : types.Records()) {
        if (t.predefined)
            continue;
        rows.push_back(Format("%x %s size %u ", t.index, CodeName(t.code), types.SizeOf(t.index)) +
                       types.Text(t.index) + LinkText(t));
        AddItems(types, t, rows);
    }
    return rows;
}

std::vector<std::string> ListFunctionsWithVariables()
{
    const Store& s = TheStore();
    std::vector<std::string> rows;
    for (const Function& f : s.Functions()) {
        rows.push_back(Range(true, f.start, f.end) + " " + f.name + " module " + ModuleName(s, f.module) +
                       Format(" type %x", f.procType));
        if (f.frameBase.stored)
            rows.push_back("  frame base " + LocationText(s, f.frameBase));
        for (uint32_t at = s.Scopes()[f.scope].firstVar; at != kNone; at = s.Variables()[at].nextInScope) {
            const Variable& v = s.Variables()[at];
            std::string where = v.HasAddress() ? Format("%08x", v.start)
                : v.isRegister                 ? Format("r%u", v.location[0])
                                               : Format("frame%+d", static_cast<int32_t>(v.location[0]));
            std::string row = Format("  %s %s type %x ", StorageName(v), v.name.c_str(), v.type) + where;
            if (v.locationList.stored)
                row += " list " + LocationText(s, v.locationList);
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<std::string> ListLines()
{
    const Store& s = TheStore();
    std::vector<std::string> rows;
    for (const LineRow& r : s.LineRows().rows)
        rows.push_back(Format("%08x %s %u", r.address, s.FileName(r.file).c_str(), r.line));
    return rows;
}

}  // namespace quinar
