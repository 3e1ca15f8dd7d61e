#include "asm_text.h"

#include <array>
#include <cctype>

namespace pirell::as {

namespace {

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '$';
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

// Decimal digits only, at most two (a register number).
std::optional<unsigned> SmallNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 2)
        return std::nullopt;
    unsigned v = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (digits.size() == 2 && digits[0] == '0')
        return std::nullopt;
    return v;
}

constexpr unsigned kNoRegister = 99;

// The register a name stands for; kNoRegister for a name out of range
// ("r16"); nothing for a name that is no register at all.
std::optional<unsigned> RegisterOfName(std::string_view name)
{
    struct Alias {
        std::string_view name;
        unsigned reg;
    };
    static constexpr std::array<Alias, 8> kAliases = {
        {{"sp", 13}, {"lr", 14}, {"pc", 15}, {"fp", 11}, {"ip", 12}, {"sl", 10}, {"sb", 9}, {"wr", 7}}};
    for (const Alias& a : kAliases) {
        if (EqualsNoCase(name, a.name))
            return a.reg;
    }
    if (name.size() < 2)
        return std::nullopt;
    const char first = Lower(name[0]);
    const std::optional<unsigned> n = SmallNumber(name.substr(1));
    if (!n) {
        // "r" and digits too long for a register ("r100"): a register error.
        if (first == 'r' && name.size() > 1 && std::isdigit(static_cast<unsigned char>(name[1]))) {
            for (char c : name.substr(1)) {
                if (!std::isdigit(static_cast<unsigned char>(c)))
                    return std::nullopt;
            }
            return kNoRegister;
        }
        return std::nullopt;
    }
    switch (first) {
    case 'r': return *n <= 15 ? *n : kNoRegister;
    case 'a': return *n >= 1 && *n <= 4 ? *n - 1 : kNoRegister;
    case 'v': return *n >= 1 && *n <= 8 ? *n + 3 : kNoRegister;
    default: return std::nullopt;
    }
}

}  // namespace

LineParts SplitLine(std::string_view text)
{
    LineParts parts;
    if (text.size() > kMaxAssemblerLine) {
        parts.error = AsmError::TooLong;
        return parts;
    }
    for (char c : text) {
        if (c != '\t' && (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)) {
            parts.error = AsmError::Syntax;
            return parts;
        }
    }
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t'))
        ++p;
    const size_t start = p;
    while (p < text.size() && std::isalnum(static_cast<unsigned char>(text[p])))
        ++p;
    parts.mnemonic = text.substr(start, p - start);
    if (parts.mnemonic.empty()) {
        parts.error = AsmError::Mnemonic;
        return parts;
    }
    if (p < text.size() && text[p] != ' ' && text[p] != '\t') {
        parts.error = AsmError::Syntax;
        return parts;
    }
    parts.operands = text.substr(p);
    return parts;
}

std::optional<unsigned> ConditionCode(std::string_view text)
{
    static constexpr std::array<std::string_view, 15> kNames = {"eq", "ne", "cs", "cc", "mi", "pl", "vs", "vc",
                                                                "hi", "ls", "ge", "lt", "gt", "le", "al"};
    for (unsigned i = 0; i < kNames.size(); ++i) {
        if (EqualsNoCase(text, kNames[i]))
            return i;
    }
    if (EqualsNoCase(text, "hs"))
        return 2u;
    if (EqualsNoCase(text, "lo"))
        return 3u;
    return std::nullopt;
}

std::vector<MnemonicReading> ReadMnemonic(std::string_view mnemonic, const std::vector<std::string_view>& bases)
{
    std::string lower;
    for (char c : mnemonic)
        lower += Lower(c);
    std::vector<MnemonicReading> readings;
    for (std::string_view base : bases) {
        if (lower.compare(0, base.size(), base) != 0)
            continue;
        const std::string rest = lower.substr(base.size());
        readings.push_back({std::string(base), rest, 14});
        if (rest.size() < 2)
            continue;
        if (const auto c = ConditionCode(std::string_view(rest).substr(0, 2)))
            readings.push_back({std::string(base), rest.substr(2), *c});
        if (rest.size() > 2) {
            if (const auto c = ConditionCode(std::string_view(rest).substr(rest.size() - 2)))
                readings.push_back({std::string(base), rest.substr(0, rest.size() - 2), *c});
        }
    }
    return readings;
}

void OperandCursor::SkipBlanks()
{
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
        ++pos_;
}

bool OperandCursor::AtEnd()
{
    SkipBlanks();
    return pos_ >= text_.size();
}

bool OperandCursor::Peek(char c)
{
    SkipBlanks();
    return pos_ < text_.size() && text_[pos_] == c;
}

bool OperandCursor::Take(char c)
{
    if (!Peek(c))
        return false;
    ++pos_;
    return true;
}

void OperandCursor::Expect(char c)
{
    if (!Take(c))
        Fail(AsmError::Syntax);
}

void OperandCursor::ExpectEnd()
{
    if (!AtEnd())
        Fail(AsmError::Syntax);
}

std::optional<unsigned> OperandCursor::TryRegister()
{
    SkipBlanks();
    size_t end = pos_;
    while (end < text_.size() && IsNameChar(text_[end]))
        ++end;
    const std::optional<unsigned> reg = RegisterOfName(text_.substr(pos_, end - pos_));
    if (!reg)
        return std::nullopt;
    pos_ = end;
    if (*reg == kNoRegister) {
        Fail(AsmError::Register);
        return 0u;
    }
    return reg;
}

unsigned OperandCursor::Register()
{
    if (const auto r = TryRegister())
        return *r;
    Fail(AsmError::Syntax);
    return 0;
}

unsigned OperandCursor::CoprocNumber()
{
    SkipBlanks();
    size_t end = pos_;
    while (end < text_.size() && IsNameChar(text_[end]))
        ++end;
    const std::string_view name = text_.substr(pos_, end - pos_);
    if (name.size() >= 2 && Lower(name[0]) == 'p') {
        if (const auto n = SmallNumber(name.substr(1))) {
            pos_ = end;
            if (*n > 15)
                Fail(AsmError::Register);
            return *n & 15;
        }
    }
    Fail(AsmError::Syntax);
    return 0;
}

unsigned OperandCursor::CoprocRegister()
{
    SkipBlanks();
    size_t end = pos_;
    while (end < text_.size() && IsNameChar(text_[end]))
        ++end;
    std::string_view name = text_.substr(pos_, end - pos_);
    if (name.size() >= 2 && Lower(name[0]) == 'c') {
        name.remove_prefix(name.size() >= 3 && Lower(name[1]) == 'r' ? 2 : 1);
        if (const auto n = SmallNumber(name)) {
            pos_ = end;
            if (*n > 15)
                Fail(AsmError::Register);
            return *n & 15;
        }
    }
    Fail(AsmError::Syntax);
    return 0;
}

std::optional<int64_t> OperandCursor::TryNumber()
{
    SkipBlanks();
    size_t p = pos_;
    bool negative = false;
    if (p < text_.size() && (text_[p] == '-' || text_[p] == '+')) {
        negative = text_[p] == '-';
        ++p;
        while (p < text_.size() && text_[p] == ' ')
            ++p;
    }
    unsigned base = 10;
    if (p + 1 < text_.size() && text_[p] == '0' && (Lower(text_[p + 1]) == 'x' || Lower(text_[p + 1]) == 'b')) {
        base = Lower(text_[p + 1]) == 'x' ? 16 : 2;
        p += 2;
    }
    const size_t digitsStart = p;
    uint64_t value = 0;
    bool overflow = false;
    while (p < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[p]))) {
        const char c = Lower(text_[p]);
        const unsigned d = std::isdigit(static_cast<unsigned char>(c)) ? unsigned(c - '0') : unsigned(c - 'a' + 10);
        if (d >= base)
            break;
        value = value * base + d;
        if (value > 0xFFFFFFFFull)
            overflow = true;
        ++p;
    }
    if (p == digitsStart)
        return std::nullopt;
    // A number runs into a name character: "12abc", "0x1g".
    if (p < text_.size() && IsNameChar(text_[p]))
        return std::nullopt;
    pos_ = p;
    if (overflow || (negative && value > 0x80000000ull)) {
        Fail(AsmError::Immediate);
        return 0;
    }
    return negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
}

int64_t OperandCursor::Number()
{
    if (const auto n = TryNumber())
        return *n;
    Fail(AsmError::Syntax);
    return 0;
}

int64_t OperandCursor::Immediate(bool hashOptional)
{
    if (!Take('#') && !hashOptional)
        Fail(AsmError::Syntax);
    return Number();
}

uint32_t OperandCursor::RegisterList()
{
    Expect('{');
    uint32_t list = 0;
    if (!Ok())
        return 0;
    do {
        const unsigned first = Register();
        unsigned last = first;
        if (Take('-'))
            last = Register();
        if (!Ok())
            return 0;
        if (last < first) {
            Fail(AsmError::Register);
            return 0;
        }
        for (unsigned r = first; r <= last; ++r)
            list |= 1u << r;
    } while (Take(','));
    Expect('}');
    return list;
}

bool OperandCursor::TakeKeyword(std::string_view keyword)
{
    SkipBlanks();
    const std::string_view rest = Rest();
    if (rest.size() < keyword.size() || !EqualsNoCase(rest.substr(0, keyword.size()), keyword))
        return false;
    if (rest.size() > keyword.size() && IsNameChar(rest[keyword.size()]))
        return false;
    pos_ += keyword.size();
    return true;
}

std::string OperandCursor::Name()
{
    SkipBlanks();
    size_t end = pos_;
    while (end < text_.size() && IsNameChar(text_[end]))
        ++end;
    std::string name(text_.substr(pos_, end - pos_));
    pos_ = end;
    return name;
}

std::string OperandCursor::Word()
{
    SkipBlanks();
    size_t end = pos_;
    while (end < text_.size() && text_[end] != ',')
        ++end;
    size_t last = end;
    while (last > pos_ && (text_[last - 1] == ' ' || text_[last - 1] == '\t'))
        --last;
    std::string word(text_.substr(pos_, last - pos_));
    pos_ = end;
    return word;
}

std::optional<uint32_t> AddressOperand(OperandCursor& cursor, const SymbolResolver& symbols)
{
    std::string text = cursor.Word();
    const bool hash = !text.empty() && text[0] == '#';
    if (hash)
        text.erase(0, 1);
    if (text.empty()) {
        cursor.Fail(AsmError::Syntax);
        return std::nullopt;
    }
    // A number: after "#" when it begins with a digit ("#0x8010", our
    // listing's "#0000800c"); without "#" any hexadecimal text ("8000", "fe",
    // objdump's "bl 80"). Other texts name symbols.
    bool number = std::isdigit(static_cast<unsigned char>(text[0]));
    if (!hash && !number) {
        number = true;
        for (char c : text)
            number = number && std::isxdigit(static_cast<unsigned char>(c));
    }
    if (number) {
        std::string_view digits = text;
        if (digits.size() > 2 && digits[0] == '0' && Lower(digits[1]) == 'x')
            digits.remove_prefix(2);
        uint64_t value = 0;
        if (digits.empty() || digits.size() > 8) {
            cursor.Fail(digits.empty() ? AsmError::Syntax : AsmError::Address);
            return std::nullopt;
        }
        for (char c : digits) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                cursor.Fail(AsmError::Syntax);
                return std::nullopt;
            }
            const char l = Lower(c);
            value = value * 16 + (std::isdigit(static_cast<unsigned char>(l)) ? l - '0' : l - 'a' + 10);
        }
        return static_cast<uint32_t>(value);
    }
    for (char c : text) {
        if (!IsNameChar(c)) {
            cursor.Fail(AsmError::Syntax);
            return std::nullopt;
        }
    }
    std::optional<uint32_t> address = symbols ? symbols(text) : std::nullopt;
    if (!address)
        cursor.Fail(AsmError::Address);
    return address;
}

}  // namespace pirell::as
