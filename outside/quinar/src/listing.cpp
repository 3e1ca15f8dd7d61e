#include "quinar/listing.h"

#include <cstdarg>
#include <cstdio>

#include "store.h"

namespace quinar {

namespace {

std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Range(bool known, uint32_t first, uint32_t last) {
    return known ? Format("%08x-%08x", first, last) : std::string("-");
}

std::string ModuleName(const Store& s, uint32_t position) {
    return position == kNone ? std::string("-") : s.Modules()[position].name;
}

const char* CodeName(uint32_t code) {
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

std::vector<std::string> ListSymbols() {
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
                            : v.isRegister ? Format("r%u", v.location[0])
                                           : Format("frame%+d", static_cast<int32_t>(v.location[0]));
        rows.push_back(Format("variable %s %s type %x", where.c_str(), v.name.c_str(), v.type));
    }
    return rows;
}

std::vector<std::string> ListFunctions() {
    const Store& s = TheStore();
    std::vector<std::string> rows;
    for (const Function& f : s.Functions())
        rows.push_back(Range(true, f.start, f.end) + " " + f.name + " module " + ModuleName(s, f.module));
    return rows;
}

std::vector<std::string> ListTypes() {
    const Store& s = TheStore();
    std::vector<std::string> rows;
    for (const TypeRecord& t : s.Types().Records()) {
        if (t.predefined) continue;
        rows.push_back(Format("%x %s size %u ", t.index, CodeName(t.code), s.Types().SizeOf(t.index)) +
                       s.Types().Text(t.index));
    }
    return rows;
}

std::vector<std::string> ListLines() {
    const Store& s = TheStore();
    std::vector<std::string> rows;
    for (const LineRow& r : s.LineRows().rows)
        rows.push_back(Format("%08x %s %u", r.address, s.FileName(r.file).c_str(), r.line));
    return rows;
}

}  // namespace quinar
