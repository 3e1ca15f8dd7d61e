// C text of a type, built the way a declaration reads: the specifier first,
// then the declarator grown outwards from the name ("char (*)[16]",
// "int (*)(int, char *)").
#include "type_table.h"

namespace quinar {

namespace {

constexpr int kMaxTextDepth = 16;

bool IsDerived(uint32_t code)
{
    return code == SYM_TYPE_ARRAY || code == SYM_TYPE_PROC;
}

std::string Join(const std::string& specifier, const std::string& declarator)
{
    if (declarator.empty())
        return specifier;
    // "int" + "[4]" reads "int [4]", "char" + "*" reads "char *".
    return specifier + " " + declarator;
}

std::string Tagged(const char* tag, const std::string& name)
{
    return std::string(tag) + " " + (name.empty() ? "{...}" : name);
}

}  // namespace

std::string TypeTable::Text(uint32_t index) const
{
    return Text(index, "", 0);
}

std::string TypeTable::Text(uint32_t index, const std::string& inner, int depth) const
{
    if (depth > kMaxTextDepth)
        return Join("...", inner);
    if (index == 0)
        return Join("void", inner);
    const TypeRecord* t = Find(index);
    if (!t)
        return Join("?", inner);

    switch (t->code) {
    case SYM_TYPE_STRUCT: return Join(Tagged("struct", t->name), inner);
    case SYM_TYPE_UNION: return Join(Tagged("union", t->name), inner);
    case SYM_TYPE_CLASS: return Join(Tagged("class", t->name), inner);
    case SYM_TYPE_ENUM: return Join(Tagged("enum", t->name), inner);
    case SYM_TYPE_POINTER:
    case SYM_TYPE_REFERENCE: {
        std::string mark = t->code == SYM_TYPE_POINTER ? "*" : "&";
        const TypeRecord* target = Find(t->link);
        // A pointer to an array or a function needs parentheses around it.
        if (target && IsDerived(target->code))
            return Text(t->link, "(" + mark + inner + ")", depth + 1);
        return Text(t->link, mark + inner, depth + 1);
    }
    case SYM_TYPE_ARRAY: {
        std::string dim =
            t->dimsSet && t->bound != 0xFFFFFFFFu ? "[" + std::to_string(uint64_t{t->bound} + 1) + "]" : "[]";
        return Text(t->link, inner + dim, depth + 1);
    }
    case SYM_TYPE_PROC: {
        std::string params;
        for (uint32_t at = t->firstItem; at != kNone; at = params_[at].next) {
            if (!params.empty())
                params += ", ";
            params += Text(params_[at].type, "", depth + 1);
        }
        if (params.empty())
            params = "void";
        return Text(t->link, inner + "(" + params + ")", depth + 1);
    }
    case SYM_TYPE_BITFIELD: return Text(t->link, inner, depth + 1) + " : " + std::to_string(t->bitSize);
    default:
        // Base types, typedefs and the codes of other readers: by name.
        return Join(t->name.empty() ? std::string("?") : t->name, inner);
    }
}

}  // namespace quinar
