#include "stabs_types.h"

#include <array>
#include <cctype>
#include <vector>

#include "dwarf2_constants.h"
#include "dwarf2_types.h"
#include "quinar/symbol_store.h"

namespace tarnel {
namespace {

// The fixed pairs (0,1)-(0,19) of the old compilers' preamble: the name
// each row was written with and the quinar index it stands for.
struct PreambleRow {
    const char* name;
    uint32_t index;
};
constexpr std::array<PreambleRow, 20> PREAMBLE = {{
    {"", 0},
    {"int", 7},
    {"char", 1},
    {"long int", 10},
    {"unsigned int", 9},
    {"long unsigned int", 12},
    {"long long int", 0x8008},
    {"long long unsigned int", 0x8208},
    {"short int", 4},
    {"short unsigned int", 6},
    {"signed char", 2},
    {"unsigned char", 3},
    {"float", 14},
    {"double", 15},
    {"long double", 16},
    {"complex int", 17},
    {"complex float", 20},
    {"complex double", 18},
    {"complex long double", 22},
    {"void", 20},
}};

bool Contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// The predefined index of a range type, as the DWARF 2 reader gives the
// same C type: by its name where it has one, else by its bounds (a float
// is written as the range size;0).
uint32_t RangeIndex(std::string_view name, int64_t low, uint64_t high)
{
    if (name == "_Bool" || name == "bool")
        return BaseTypeIndex(DW_ATE_boolean, 1, name);
    const bool isFloat = Contains(name, "float") || Contains(name, "double") || (high == 0 && low > 0);
    if (isFloat) {
        uint32_t size = high == 0 && low > 0 ? static_cast<uint32_t>(low) : 0;
        if (size == 0)
            size = name == "float" ? 4 : 8;
        return BaseTypeIndex(Contains(name, "complex") ? DW_ATE_complex_float : DW_ATE_float, size, name);
    }
    const bool isSigned = low < 0;
    const uint64_t magnitude = isSigned ? static_cast<uint64_t>(-(low + 1)) : high;
    uint32_t size = 8;
    if (magnitude <= 0xFF)
        size = 1;
    else if (magnitude <= 0xFFFF)
        size = 2;
    else if (magnitude <= 0xFFFFFFFFull)
        size = 4;
    if (isSigned && magnitude <= 0x7F)
        size = 1;
    else if (isSigned && magnitude <= 0x7FFF)
        size = 2;
    else if (isSigned && magnitude <= 0x7FFFFFFF)
        size = 4;
    if (size == 1 && (name == "char" || name.empty() || Contains(name, "char")))
        return BaseTypeIndex(isSigned || name == "signed char" ? DW_ATE_signed_char : DW_ATE_unsigned_char, 1, name);
    // "int" and "unsigned int" keep their own rows; other 4-byte names are long.
    std::string_view shown = name;
    if (name.empty())
        shown = isSigned ? "int" : "unsigned int";
    return BaseTypeIndex(isSigned ? DW_ATE_signed : DW_ATE_unsigned, size, shown);
}

}  // namespace

size_t StabsNameEnd(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ':')
            continue;
        if (i + 1 < text.size() && text[i + 1] == ':') {
            ++i;
            continue;
        }
        return i;
    }
    return std::string_view::npos;
}

uint32_t StabsTypeSize(uint32_t index)
{
    const quinar::Result<quinar::TypeInfo> t = quinar::Symbols().Type(index);
    return t ? t->size : 0;
}

// One parse over one text: a cursor with the recursion's depth.
class StabsTypeParser {
public:
    StabsTypeParser(StabsTypes& types, std::string_view text, size_t pos, uint32_t place)
        : s_(types), t_(text), pos_(pos), place_(place)
    {}

    size_t Position() const { return pos_; }
    bool Failed() const { return failed_; }

    // A type reference or definition; `name` goes to the definition that
    // begins here (a tag's or typedef's own name).
    uint32_t Type(std::string_view name = {})
    {
        if (failed_)
            return 0;
        if (depth_ >= STABS_MAX_DEPTH)
            return Fail("type definitions nested too deep");
        ++depth_;
        const uint32_t r = TypeInner(name);
        --depth_;
        return r;
    }

    std::optional<StabsPair> Pair()
    {
        if (Peek() == '(') {
            ++pos_;
            const uint32_t file = Number32();
            if (!Expect(','))
                return std::nullopt;
            const uint32_t number = Number32();
            if (!Expect(')'))
                return std::nullopt;
            return StabsPair{file, number};
        }
        if (std::isdigit(static_cast<unsigned char>(Peek())))
            return StabsPair{0, Number32()};
        return std::nullopt;
    }

    uint32_t Lookup(const StabsPair& p) const { return s_.tables_.LookUpStabsType(p.first, p.second); }
    void Map(const StabsPair& p, uint32_t index) { s_.tables_.stabsTypes[p] = index; }

    // The definition after a pair's '=' (or an anonymous one).
    uint32_t Definition(std::string_view name, std::optional<StabsPair> pair)
    {
        Attributes();
        switch (Peek()) {
        case '(':
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7':
        case '8':
        case '9': return Alias(name, pair);
        case 'r': ++pos_; return Range(name, pair);
        case 'R': ++pos_; return FloatRange(name);
        case 'a':
            ++pos_;
            if (!Expect('r'))
                return 0;
            return Array();
        case '*': ++pos_; return Pointer(false);
        case '&': ++pos_; return Pointer(true);
        case 's': ++pos_; return Structure(name, pair, false);
        case 'u': ++pos_; return Structure(name, pair, true);
        case 'e': ++pos_; return Enumeration(name, pair);
        case 'f': ++pos_; return Function(Target());
        case '#': ++pos_; return Method();
        case 'x': ++pos_; return CrossReference();
        case 'k':
        case 'B': ++pos_; return Type();
        case '-': return Builtin();
        default: return Fail("unknown type descriptor");
        }
    }

    // Passes over type attributes ("@s16;"); a member pointer ("@(0,1),")
    // is a type of its own. The size attribute is kept.
    void Attributes()
    {
        while (Peek() == '@' && pos_ + 1 < t_.size() && std::isalpha(static_cast<unsigned char>(t_[pos_ + 1]))) {
            if (t_[pos_ + 1] == 's') {
                pos_ += 2;
                sizeBits_ = static_cast<uint32_t>(Number());
            }
            const size_t end = t_.find(';', pos_);
            if (end == std::string_view::npos) {
                Fail("type attribute without ';'");
                return;
            }
            pos_ = end + 1;
        }
    }

    char Peek() const { return pos_ < t_.size() ? t_[pos_] : '\0'; }

    bool Expect(char c)
    {
        if (Peek() == c) {
            ++pos_;
            return true;
        }
        if (!failed_) {
            std::string what = "'";
            what += c;
            what += "' expected in the type text";
            Fail(what);
        }
        return false;
    }

    uint32_t Fail(std::string_view what)
    {
        if (!failed_)
            s_.errors_.At(".stabstr", place_ + pos_, what);
        failed_ = true;
        s_.damaged_ = true;
        pos_ = t_.size();
        return 0;
    }

    // A decimal or (leading 0) octal number; past 64 bits it stays at the
    // largest value, with a message.
    int64_t Number()
    {
        bool negative = false;
        if (Peek() == '-') {
            negative = true;
            ++pos_;
        }
        const uint32_t base = Peek() == '0' ? 8 : 10;
        uint64_t v = 0;
        bool over = false;
        size_t digits = 0;
        while (pos_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[pos_]))) {
            const uint32_t d = static_cast<uint32_t>(t_[pos_] - '0');
            if (d >= base)
                break;
            if (v > (UINT64_MAX - d) / base)
                over = true;
            else
                v = v * base + d;
            ++pos_;
            ++digits;
        }
        if (digits == 0)
            Fail("number expected in the type text");
        else if (over)
            Fail("number past 64 bits in the type text");
        return negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    }

    uint32_t Number32()
    {
        const int64_t v = Number();
        if (v < 0 || v > 0xFFFFFFFFll)
            return Fail("type number past 32 bits");
        return static_cast<uint32_t>(v);
    }

private:
    uint32_t TypeInner(std::string_view name)
    {
        Attributes();
        const size_t at = pos_;
        if (std::optional<StabsPair> p = Pair()) {
            if (Peek() != '=') {
                const uint32_t known = Lookup(*p);
                return known == STABS_NO_TYPE ? 0 : known;
            }
            ++pos_;
            const uint32_t r = Definition(name, p);
            if (!failed_)
                Map(*p, r);
            return r;
        }
        if (failed_)
            return 0;
        pos_ = at;
        return Definition(name, std::nullopt);
    }

    // A reference target: unknown gives void.
    uint32_t Target()
    {
        const uint32_t t = Type();
        return t == 0 ? SYM_TYPE_VOID : t;
    }

    // "(0,5)=(0,5)" is void; any other pair stands for its type.
    uint32_t Alias(std::string_view, std::optional<StabsPair> pair)
    {
        const size_t at = pos_;
        std::optional<StabsPair> p = Pair();
        if (p && pair && *p == *pair && Peek() != '=')
            return SYM_TYPE_VOID;
        pos_ = at;
        const uint32_t target = Type();
        if (!pair || target == 0 || target == SYM_TYPE_VOID || failed_)
            return target;
        // gcc's typedef'd use: a new number for the type, named by a
        // typedef entry that follows.
        uint32_t index = 0;
        if (!NewIndex(index))
            return 0;
        s_.aliases_[index] = target;
        return index;
    }

    uint32_t Range(std::string_view name, std::optional<StabsPair> pair)
    {
        const size_t at = pos_;
        std::optional<StabsPair> base = Pair();
        bool self = base && pair && *base == *pair && Peek() != '=';
        if (!self) {
            pos_ = at;
            Type();
        }
        if (!Expect(';'))
            return 0;
        const int64_t low = Number();
        if (!Expect(';'))
            return 0;
        const int64_t high = Number();
        if (!Expect(';'))
            return 0;
        if (pair && pair->first == 0 && pair->second > 0 && pair->second < PREAMBLE.size() &&
            name == PREAMBLE[pair->second].name)
            return PREAMBLE[pair->second].index;
        return RangeIndex(name, low, static_cast<uint64_t>(high));
    }

    // A negative number: one of the builtin types ("-16;" a boolean).
    uint32_t Builtin()
    {
        const int64_t n = -Number();
        if (!Expect(';'))
            return 0;
        switch (n) {
        case 1:
        case 15: return BaseTypeIndex(DW_ATE_signed, 4, "int");
        case 2: return BaseTypeIndex(DW_ATE_signed_char, 1, "char");
        case 3: return BaseTypeIndex(DW_ATE_signed, 2, "short int");
        case 4: return BaseTypeIndex(DW_ATE_signed, 4, "long int");
        case 5: return BaseTypeIndex(DW_ATE_unsigned_char, 1, "unsigned char");
        case 6: return BaseTypeIndex(DW_ATE_signed_char, 1, "signed char");
        case 7: return BaseTypeIndex(DW_ATE_unsigned, 2, "short unsigned int");
        case 8:
        case 9: return BaseTypeIndex(DW_ATE_unsigned, 4, "unsigned int");
        case 10: return BaseTypeIndex(DW_ATE_unsigned, 4, "long unsigned int");
        case 11: return SYM_TYPE_VOID;
        case 12:
        case 17: return BaseTypeIndex(DW_ATE_float, 4, "float");
        case 13:
        case 18: return BaseTypeIndex(DW_ATE_float, 8, "double");
        case 14: return BaseTypeIndex(DW_ATE_float, 8, "long double");
        case 16:
        case 21:
        case 22:
        case 23:
        case 24: return BaseTypeIndex(DW_ATE_boolean, 1, "_Bool");
        case 31: return BaseTypeIndex(DW_ATE_signed, 8, "long long int");
        case 32: return BaseTypeIndex(DW_ATE_unsigned, 8, "long long unsigned int");
        default: return Fail("unknown builtin type number");
        }
    }

    // "R3;8;0;": a float class and a size.
    uint32_t FloatRange(std::string_view name)
    {
        const int64_t kind = Number();
        if (!Expect(';'))
            return 0;
        const int64_t size = Number();
        if (!Expect(';'))
            return 0;
        Number();
        if (!Expect(';'))
            return 0;
        const uint32_t encoding = kind == 3 || kind == 4 || kind == 5 ? DW_ATE_complex_float : DW_ATE_float;
        return BaseTypeIndex(encoding, static_cast<uint32_t>(size), name);
    }

    bool NewIndex(uint32_t& index)
    {
        if (!s_.NewIndex(index)) {
            Fail("the symbol store gave no type index");
            return false;
        }
        return true;
    }

    uint32_t Array()
    {
        Type();  // the index type
        if (!Expect(';'))
            return 0;
        Number();
        if (!Expect(';'))
            return 0;
        const int64_t high = Number();
        if (!Expect(';'))
            return 0;
        const uint32_t element = Target();
        if (failed_)
            return 0;
        uint32_t index = 0;
        if (!NewIndex(index))
            return 0;
        if (!s_.records_.AddType({index, SYM_TYPE_ARRAY, 0, "", false}) ||
            !s_.records_.SetArrayDimension(index, element, static_cast<uint32_t>(high)))
            return Fail("the symbol store refused an array type");
        return index;
    }

    uint32_t Pointer(bool reference)
    {
        const uint32_t target = Target();
        if (failed_)
            return 0;
        uint32_t index = 0;
        if (!NewIndex(index))
            return 0;
        if (!s_.records_.AddType({index, reference ? SYM_TYPE_REFERENCE : SYM_TYPE_POINTER, 4, "", true}))
            return Fail("the symbol store refused a pointer type");
        const bool set = reference ? s_.records_.SetReferenceTarget(index, target) == LDR_OK
                                   : s_.records_.SetPointerTarget(index, target);
        if (!set)
            return Fail("the symbol store refused a pointer target");
        return index;
    }

    // The index a tag's definition fills: the one its pair or a cross
    // reference of its name made and nothing completed yet, else a new one.
    bool TagIndex(char kind, std::string_view name, std::optional<StabsPair> pair, uint32_t code, uint32_t size,
                  uint32_t& index)
    {
        index = 0;
        if (pair) {
            const uint32_t known = Lookup(*pair);
            if (known != STABS_NO_TYPE && s_.incomplete_.count(known))
                index = known;
        }
        if (index == 0 && !name.empty()) {
            auto it = s_.tags_.find({kind, std::string(name)});
            if (it != s_.tags_.end() && s_.incomplete_.count(it->second))
                index = it->second;
        }
        if (index != 0) {
            s_.incomplete_.erase(index);
            quinar::Symbols().SetTypeSize(index, size);
        } else {
            if (!NewIndex(index))
                return false;
            if (!s_.records_.AddType({index, code, size, name, true})) {
                Fail("the symbol store refused a type");
                return false;
            }
        }
        if (!name.empty())
            s_.tags_[{kind, std::string(name)}] = index;
        if (pair)
            Map(*pair, index);
        return true;
    }

    struct Member {
        std::string name;
        uint32_t type = 0;
        uint32_t bitPosition = 0;
        uint32_t bitSize = 0;
    };

    uint32_t Structure(std::string_view name, std::optional<StabsPair> pair, bool isUnion)
    {
        const int64_t size = Number();
        if (failed_)
            return 0;
        uint32_t index = 0;
        if (!TagIndex(isUnion ? 'u' : 's', name, pair, isUnion ? SYM_TYPE_UNION : SYM_TYPE_STRUCT,
                      static_cast<uint32_t>(size), index))
            return 0;
        if (Peek() == '!')
            BaseClasses();
        std::vector<Member> members;
        while (!failed_ && Peek() != ';') {
            if (pos_ >= t_.size())
                return Fail("structure text without its closing ';'");
            const size_t colon = t_.find(':', pos_);
            if (colon == std::string_view::npos)
                return Fail("structure member without ':'");
            Member m;
            m.name = std::string(t_.substr(pos_, colon - pos_));
            pos_ = colon + 1;
            if (Peek() == ':') {
                ++pos_;
                Methods();
                continue;
            }
            if (Peek() == '/') {  // access of a class member
                pos_ += 2;
            }
            m.type = Type();
            if (Peek() == ':') {  // a static member: its physical name follows
                const size_t end = t_.find(';', pos_);
                if (end == std::string_view::npos)
                    return Fail("static member without ';'");
                pos_ = end + 1;
                continue;
            }
            if (!Expect(','))
                break;
            m.bitPosition = static_cast<uint32_t>(Number());
            if (!Expect(','))
                break;
            m.bitSize = static_cast<uint32_t>(Number());
            if (!Expect(';'))
                break;
            members.push_back(std::move(m));
        }
        if (!failed_)
            Expect(';');
        if (!failed_ && Peek() == '~') {  // the class's virtual table holder
            ++pos_;
            if (Peek() == '%') {
                ++pos_;
                Type();
            }
            Expect(';');
        }
        for (const Member& m : members)
            if (!AddMember(index, m))
                return Fail("the symbol store refused a structure member");
        return index;
    }

    bool AddMember(uint32_t index, const Member& m)
    {
        const uint32_t declared = s_.Resolved(m.type);
        const uint32_t size = StabsTypeSize(declared);
        const quinar::Result<quinar::TypeInfo> info = quinar::Symbols().Type(declared);
        const bool scalar =
            info && (info->code == SYM_TYPE_BASE || info->code == SYM_TYPE_ENUM || info->code == SYM_TYPE_TYPEDEF);
        if (!scalar || size == 0 || m.bitSize == 0 || m.bitSize >= size * 8)
            return s_.records_.AddMember(index, {m.name, m.type, m.bitPosition / 8, size, 0, 0});
        // A bit field: its storage unit of the declared type, the bit offset
        // counted from the unit's most significant bit.
        const uint32_t unitBits = size * 8;
        const uint32_t unitOffset = m.bitPosition / unitBits * size;
        const uint32_t inUnit = m.bitPosition - unitOffset * 8;
        const uint32_t fromTop = s_.bigEndian_ ? inUnit : unitBits - inUnit - m.bitSize;
        uint32_t field = 0;
        if (!NewIndex(field))
            return false;
        if (!s_.records_.AddType({field, SYM_TYPE_BITFIELD, size, "", true}) ||
            !s_.records_.SetBitField(field, {size, fromTop, m.bitSize, m.type}))
            return false;
        return s_.records_.AddMember(index, {m.name, field, unitOffset, size, fromTop, m.bitSize});
    }

    // "!1,020,(0,5);": count, then per base: virtual, access, offset, type.
    void BaseClasses()
    {
        ++pos_;
        const int64_t count = Number();
        if (!Expect(','))
            return;
        for (int64_t i = 0; i < count && !failed_; ++i) {
            pos_ += 2;
            Number();
            if (!Expect(','))
                return;
            Type();
            Expect(';');
        }
    }

    // A member function's overloads: type ':' physical name ';' access,
    // qualifier, kind (with '*' a virtual index and class), until ';'.
    void Methods()
    {
        while (!failed_) {
            Type();
            if (!Expect(':'))
                return;
            const size_t end = t_.find(';', pos_);
            if (end == std::string_view::npos) {
                Fail("member function without ';'");
                return;
            }
            pos_ = end + 1;
            pos_ += 2;  // access and qualifier
            const char kind = Peek();
            ++pos_;
            if (kind == '*') {
                Number();
                if (!Expect(';'))
                    return;
                Type();
                if (!Expect(';'))
                    return;
            }
            if (pos_ > t_.size()) {
                Fail("member function text cut short");
                return;
            }
            if (Peek() == ';') {
                ++pos_;
                return;
            }
        }
    }

    uint32_t Enumeration(std::string_view name, std::optional<StabsPair> pair)
    {
        // gcc writes _Bool so without its extensions.
        constexpr std::string_view BOOLEAN = "False:0,True:1,;";
        if (t_.substr(pos_, BOOLEAN.size()) == BOOLEAN) {
            pos_ += BOOLEAN.size();
            return BaseTypeIndex(DW_ATE_boolean, 1, "_Bool");
        }
        const uint32_t size = sizeBits_ ? sizeBits_ / 8 : 4;
        uint32_t index = 0;
        if (!TagIndex('e', name, pair, SYM_TYPE_ENUM, size, index))
            return 0;
        while (!failed_ && Peek() != ';') {
            if (pos_ >= t_.size())
                return Fail("enumeration text without its closing ';'");
            const size_t colon = t_.find(':', pos_);
            if (colon == std::string_view::npos)
                return Fail("enumerator without ':'");
            const std::string_view enumerator = t_.substr(pos_, colon - pos_);
            pos_ = colon + 1;
            const int64_t value = Number();
            if (!Expect(','))
                return 0;
            if (!s_.records_.AddEnumConstant(index, static_cast<int32_t>(value), enumerator))
                return Fail("the symbol store refused an enumerator");
        }
        Expect(';');
        return index;
    }

    uint32_t Function(uint32_t returnType)
    {
        if (failed_)
            return 0;
        uint32_t index = 0;
        if (!NewIndex(index))
            return 0;
        if (!s_.records_.AddType({index, SYM_TYPE_PROC, 0, "", true}) ||
            !s_.records_.SetProcedure(index, returnType, {}))
            return Fail("the symbol store refused a procedure type");
        return index;
    }

    // "#(0,5),(0,3),(0,7);" (class, return, parameters) or "##(0,3);".
    uint32_t Method()
    {
        uint32_t returnType = 0;
        if (Peek() == '#') {
            ++pos_;
            returnType = Target();
        } else {
            Type();
            if (!Expect(','))
                return 0;
            returnType = Target();
            while (!failed_ && Peek() == ',') {
                ++pos_;
                Type();
            }
        }
        if (!Expect(';'))
            return 0;
        return Function(returnType);
    }

    // "xsname:": a named empty type, completed by its definition.
    uint32_t CrossReference()
    {
        const char kind = Peek();
        if (kind != 's' && kind != 'u' && kind != 'e')
            return Fail("unknown cross reference");
        ++pos_;
        const size_t end = StabsNameEnd(t_.substr(pos_));
        if (end == std::string_view::npos)
            return Fail("cross reference without ':'");
        const size_t colon = pos_ + end;
        std::string name(t_.substr(pos_, colon - pos_));
        pos_ = colon + 1;
        auto it = s_.tags_.find({kind, name});
        if (it != s_.tags_.end())
            return it->second;
        uint32_t index = 0;
        if (!NewIndex(index))
            return 0;
        const uint32_t code = kind == 's' ? SYM_TYPE_STRUCT : kind == 'u' ? SYM_TYPE_UNION : SYM_TYPE_ENUM;
        if (!s_.records_.AddType({index, code, 0, name, false}))
            return Fail("the symbol store refused a type");
        s_.tags_[{kind, name}] = index;
        s_.incomplete_.insert(index);
        return index;
    }

    StabsTypes& s_;
    std::string_view t_;
    size_t pos_ = 0;
    uint32_t place_ = 0;
    uint32_t depth_ = 0;
    uint32_t sizeBits_ = 0;
    bool failed_ = false;
};

uint32_t StabsTypes::ParseType(std::string_view text, size_t& pos, uint32_t place)
{
    damaged_ = false;
    StabsTypeParser p(*this, text, pos, place);
    const uint32_t r = p.Type();
    pos = p.Position();
    return r;
}

void StabsTypes::ReadTypeDef(std::string_view text, uint32_t place)
{
    damaged_ = false;
    const size_t colon = StabsNameEnd(text);
    if (colon == std::string_view::npos)
        return;
    const std::string_view name = text.substr(0, colon);
    size_t pos = colon + 1;
    const char letter = pos < text.size() ? text[pos] : '\0';
    if (letter != 't' && letter != 'T')
        return;
    ++pos;
    if (letter == 'T' && pos < text.size() && text[pos] == 't')
        ++pos;
    StabsTypeParser p(*this, text, pos, place);
    const std::optional<StabsPair> pair = p.Pair();
    if (!pair || p.Failed())
        return;
    const uint32_t known = p.Lookup(*pair);
    const bool defines = p.Peek() == '=';
    if (known != STABS_NO_TYPE && !(defines && incomplete_.count(known))) {
        if (aliases_.count(known))
            NameAlias(known, name);
        return;
    }
    if (!defines)
        return;
    p.Expect('=');
    // Ranges, void and tags take the definition's index; a typedef of any
    // other type is a type of its own, named, over an unnamed definition.
    size_t body = p.Position();
    while (body < text.size() && text[body] == '@') {
        const size_t end = text.find(';', body);
        body = end == std::string_view::npos ? text.size() : end + 1;
    }
    const char first = body < text.size() ? text[body] : '\0';
    const bool named = letter == 'T' || first == 'r' || first == 'R';
    const uint32_t base = p.Definition(named ? name : std::string_view(), pair);
    if (p.Failed())
        return;
    if (aliases_.count(base) && !name.empty() && !named) {
        NameAlias(base, name);
        p.Map(*pair, base);
        return;
    }
    if (named || base == SYM_TYPE_VOID || base == 0 || name.empty()) {
        p.Map(*pair, base);
        return;
    }
    uint32_t index = 0;
    if (!NewIndex(index))
        return;
    const uint32_t size = StabsTypeSize(Resolved(base));
    if (records_.AddType({index, SYM_TYPE_TYPEDEF, size, name, size != 0}) && records_.SetTypeBase(index, base))
        p.Map(*pair, index);
}

bool StabsTypes::NewIndex(uint32_t& index)
{
    if (next_ == 0) {
        LdrResult r = LDR_OK;
        if (!records_.NewTypeIndex(1, next_, r))
            return false;
    }
    index = next_++;
    return true;
}

uint32_t StabsTypes::Resolved(uint32_t index) const
{
    for (int hops = 0; hops < 64; ++hops) {
        auto it = aliases_.find(index);
        if (it == aliases_.end())
            return index;
        index = it->second;
    }
    return index;
}

void StabsTypes::NameAlias(uint32_t index, std::string_view name)
{
    auto it = aliases_.find(index);
    if (it == aliases_.end())
        return;
    const uint32_t target = it->second;
    aliases_.erase(it);
    const uint32_t size = StabsTypeSize(Resolved(target));
    if (records_.AddType({index, SYM_TYPE_TYPEDEF, size, name, size != 0}))
        records_.SetTypeBase(index, target);
}

void StabsTypes::SettleAliases()
{
    // Numbers no typedef named: a typedef named as the type it stands for.
    while (!aliases_.empty()) {
        const auto [index, target] = *aliases_.begin();
        const std::string text = quinar::Symbols().TypeText(Resolved(target)).value;
        NameAlias(index, text);
    }
}

}  // namespace tarnel
