#include "operand.h"

#include <array>
#include <cctype>

#include "session.h"

namespace zk::sim {

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Digits of `base` from the start of `digits`, stopping at the first that is
// not one; saturates at 0xFFFFFFFF.
uint32_t Accumulate(std::string_view digits, unsigned base)
{
    uint64_t value = 0;
    for (char c : digits) {
        const int d = DigitValue(c);
        if (d >= static_cast<int>(base))
            break;
        value = value * base + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFu)
            value = uint64_t{0xFFFFFFFFu} + 1;  // stays above the range
    }
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

bool AllOf(std::string_view s, int (*pred)(int))
{
    if (s.empty())
        return false;
    for (char c : s) {
        if (!pred(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithWord(std::string_view word, std::string_view prefix)
{
    return word.size() >= prefix.size() && SameWord(word.substr(0, prefix.size()), prefix);
}

template <size_t N>
std::optional<unsigned> IndexOf(const std::array<std::string_view, N>& table, std::string_view word)
{
    for (size_t i = 0; i < N; ++i) {
        if (!table[i].empty() && SameWord(table[i], word))
            return static_cast<unsigned>(i);
    }
    return std::nullopt;
}

constexpr std::array<std::string_view, 6> kAssignments = {"=", "+=", "-=", "*=", "/=", "%="};
constexpr std::array<std::string_view, 6> kComparisons = {">", ">=", "==", "<=", "<", "!="};

}  // namespace

bool SameWord(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

std::optional<uint32_t> ParseConstant(std::string_view word)
{
    if (StartsWithWord(word, "0x")) {
        const std::string_view digits = word.substr(2);
        if (!AllOf(digits, isxdigit))
            return std::nullopt;
        return Accumulate(digits, 16);
    }
    if (!AllOf(word, isdigit))
        return std::nullopt;
    // "010" is 8, "09" is 0: octal as far as octal digits go.
    if (word.size() > 1 && word[0] == '0')
        return Accumulate(word.substr(1), 8);
    return Accumulate(word, 10);
}

std::optional<unsigned> RegisterNameNumber(std::string_view word)
{
    static constexpr std::array<std::string_view, 6> kNamed = {"sp", "lr", "pc", "cpsr", "psr", "spsr"};
    static constexpr std::array<unsigned, 6> kNumbers = {13, 14, 15, kNameCpsr, kNameCpsr, kNameSpsr};
    if (auto i = IndexOf(kNamed, word))
        return kNumbers[*i];
    if (word.size() < 2 || word.size() > 3 || Lower(word[0]) != 'r')
        return std::nullopt;
    const std::string_view digits = word.substr(1);
    if (!AllOf(digits, isdigit) || (digits.size() == 2 && digits[0] == '0'))
        return std::nullopt;
    const uint32_t n = Accumulate(digits, 10);
    if (n > 15)
        return std::nullopt;
    return n;
}

uint32_t ReadNamedRegister(const Session& session, unsigned number)
{
    uint32_t value = 0;
    session.sim.ReadRegister(SimRegisterOf(number), value);
    return value;
}

std::optional<MemoryForm> ParseMemoryForm(std::string_view word)
{
    if (word.size() < 5 || word.back() != ')' || word[2] != '(' || Lower(word[0]) != 'm')
        return std::nullopt;
    MemoryForm form;
    switch (Lower(word[1])) {
    case 'w': form.width = 4; break;
    case 'h': form.width = 2; break;
    case 'b': form.width = 1; break;
    default: return std::nullopt;
    }
    form.inner = word.substr(3, word.size() - 4);
    if (!RegisterNameNumber(form.inner) && !ParseConstant(form.inner))
        return std::nullopt;
    return form;
}

uint32_t MemoryFormAddress(const Session& session, const MemoryForm& form)
{
    if (auto reg = RegisterNameNumber(form.inner))
        return ReadNamedRegister(session, *reg);
    return ParseConstant(form.inner).value_or(0);
}

std::optional<unsigned> CoprocessorRegisterWord(std::string_view word)
{
    if (word.size() < 3 || word.size() > 4 || Lower(word[0]) != 'c' || Lower(word[1]) != 'r')
        return std::nullopt;
    const std::string_view digits = word.substr(2);
    if (!AllOf(digits, isdigit) || (digits.size() == 2 && digits[0] == '0'))
        return std::nullopt;
    const uint32_t n = Accumulate(digits, 10);
    if (n > 15)
        return std::nullopt;
    return n;
}

std::optional<unsigned> AssignmentOperator(std::string_view word)
{
    return IndexOf(kAssignments, word);
}

std::optional<unsigned> ComparisonOperator(std::string_view word)
{
    return IndexOf(kComparisons, word);
}

uint32_t ApplyAssignment(unsigned op, uint32_t old, uint32_t operand)
{
    switch (op) {
    case 0: return operand;
    case 1: return old + operand;
    case 2: return old - operand;
    case 3: return old * operand;
    case 4: return operand ? old / operand : old;
    case 5: return operand ? old % operand : old;
    default: return old;
    }
}

bool ApplyComparison(unsigned op, uint32_t a, uint32_t b)
{
    switch (op) {
    case 0: return a > b;
    case 1: return a >= b;
    case 2: return a == b;
    case 3: return a <= b;
    case 4: return a < b;
    case 5: return a != b;
    default: return false;
    }
}

bool EvaluateOperand(Session& session, unsigned kinds, std::string_view word, const OptionSpec* keywords, Operand& out)
{
    out.present = true;
    out.token.assign(word);
    out.value = 0;
    if (kinds & kConstant) {
        if (auto v = ParseConstant(word)) {
            out.value = *v;
            return true;
        }
    }
    if (kinds & kRegisterName) {
        if (auto reg = RegisterNameNumber(word)) {
            out.value = ReadNamedRegister(session, *reg);
            return true;
        }
    }
    if (kinds & kMemoryForm) {
        if (auto form = ParseMemoryForm(word)) {
            uint32_t value = 0;
            if (!session.sim.ReadMemory(MemoryFormAddress(session, *form), AccessKind::DebugData, form->width, value)) {
                session.Print("Can not access memory !!!!\n");
                return false;
            }
            out.value = value;
            return true;
        }
    }
    if (kinds & kUserSymbol) {
        if (const UserSymbols::Symbol* symbol = session.symbols.Find(word)) {
            out.value = symbol->value;
            return true;
        }
    }
    if (kinds & kText)
        return true;
    if ((kinds & kKeyword) && keywords) {
        if (auto i = IndexOf(keywords->keywords, word)) {
            out.value = *i;
            return true;
        }
    }
    if (kinds & kAssignment) {
        if (auto op = AssignmentOperator(word)) {
            out.value = *op;
            return true;
        }
    }
    if (kinds & kComparison) {
        if (auto op = ComparisonOperator(word)) {
            out.value = *op;
            return true;
        }
    }
    out.present = false;
    return false;
}

}  // namespace zk::sim
