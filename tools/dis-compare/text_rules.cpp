#include "text_rules.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace zk::tools {

namespace {

constexpr std::array<const char*, 17> kConditions = {"eq", "ne", "cs", "cc", "mi", "pl", "vs", "vc", "hi",
                                                     "ls", "ge", "lt", "gt", "le", "al", "nv", ""};

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Register name in canonical spelling, or the word unchanged.
std::string CanonicalRegister(const std::string& word)
{
    if (word == "sp")
        return "r13";
    if (word == "lr")
        return "r14";
    if (word == "r15")
        return "pc";
    return word;
}

std::optional<unsigned> RegisterNumber(const std::string& name)
{
    const std::string c = CanonicalRegister(name);
    if (c == "pc")
        return 15;
    if (c.size() < 2 || c[0] != 'r')
        return std::nullopt;
    const auto n = ParseNumber(c.substr(1));
    if (!n || *n > 14 || c.size() > 3)
        return std::nullopt;
    return *n;
}

std::string RegisterText(unsigned n)
{
    return n == 15 ? std::string("pc") : "r" + std::to_string(n);
}

// "{r0-r3,r14}" -> "{r0,r1,r2,r3,r14}".
std::string ExpandList(const std::string& inner)
{
    std::string out;
    for (const std::string& item : SplitOperands(inner)) {
        const size_t dash = item.find('-');
        std::optional<unsigned> first = RegisterNumber(item.substr(0, dash)), last = first;
        if (dash != std::string::npos)
            last = RegisterNumber(item.substr(dash + 1));
        if (!first || !last || *last < *first) {
            out += (out.empty() ? "" : ",") + item;
            continue;
        }
        for (unsigned r = *first; r <= *last; ++r)
            out += (out.empty() ? "" : ",") + RegisterText(r);
    }
    return out;
}

bool IsBareNumber(const std::string& token)
{
    if (token.empty())
        return false;
    size_t i = token[0] == '-' ? 1 : 0;
    if (i >= token.size() || !std::isdigit(static_cast<unsigned char>(token[i])))
        return false;
    return ParseNumber(token).has_value();
}

}  // namespace

std::string Squash(std::string_view text)
{
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = true;
            continue;
        }
        // A blank between two words stays ("lsl r2"), every other goes.
        if (blank && !out.empty() && IsWordChar(out.back()) && IsWordChar(c))
            out += ' ';
        blank = false;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string Hex(uint32_t value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", value);
    return buf;
}

std::optional<uint32_t> ParseNumber(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    uint64_t v = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const auto h = ParseHex(text);
        if (!h)
            return std::nullopt;
        v = *h;
    } else {
        for (char c : text) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
            v = v * 10 + static_cast<unsigned>(c - '0');
            if (v > 0xFFFFFFFFull)
                return std::nullopt;
        }
    }
    const auto value = static_cast<uint32_t>(v);
    return negative ? 0u - value : value;
}

std::optional<uint32_t> ParseHex(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    uint32_t v = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        v = (v << 4) |
            static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return v;
}

std::vector<std::string> SplitOperands(std::string_view squashed)
{
    std::vector<std::string> out;
    int depth = 0;
    std::string current;
    for (char c : squashed) {
        if (c == '[' || c == '{')
            ++depth;
        if (c == ']' || c == '}')
            --depth;
        if (c == ',' && depth == 0) {
            out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty() || !out.empty())
        out.push_back(current);
    return out;
}

std::string JoinOperands(const std::vector<std::string>& operands)
{
    std::string out;
    for (size_t i = 0; i < operands.size(); ++i)
        out += (i ? "," : "") + operands[i];
    return out;
}

std::string CanonicalOperands(std::string_view squashed)
{
    // Words: register names.
    std::string words;
    for (size_t i = 0; i < squashed.size();) {
        if (IsWordChar(squashed[i])) {
            size_t j = i;
            while (j < squashed.size() && IsWordChar(squashed[j]))
                ++j;
            words += CanonicalRegister(std::string(squashed.substr(i, j - i)));
            i = j;
        } else {
            words += squashed[i++];
        }
    }
    // Numbers after "#", keeping a "-" sign apart.
    std::string numbers;
    for (size_t i = 0; i < words.size();) {
        if (words[i] != '#') {
            numbers += words[i++];
            continue;
        }
        size_t j = i + 1;
        const bool negative = j < words.size() && words[j] == '-';
        if (negative)
            ++j;
        size_t k = j;
        while (k < words.size() && IsWordChar(words[k]))
            ++k;
        const auto v = ParseNumber(words.substr(j, k - j));
        if (!v) {
            numbers += words[i++];
            continue;
        }
        numbers += std::string("#") + (negative ? "-" : "") + Hex(*v);
        i = k;
    }
    // Register lists, bare numbers, zero offsets.
    std::vector<std::string> operands = SplitOperands(numbers);
    for (std::string& op : operands) {
        if (op.size() >= 2 && op.front() == '{') {
            const size_t close = op.find('}');
            if (close != std::string::npos)
                op = "{" + ExpandList(op.substr(1, close - 1)) + op.substr(close);
        } else if (IsBareNumber(op)) {
            op = Hex(*ParseNumber(op));
        }
    }
    std::string out = JoinOperands(operands);
    // A zero offset without write-back: "[rN,#0x0]" is "[rN]".
    for (size_t pos = out.find(",#0x0]"); pos != std::string::npos; pos = out.find(",#0x0]", pos + 1)) {
        if (pos + 6 < out.size() && out[pos + 6] == '!')
            continue;
        out.erase(pos, 5);
    }
    return out;
}

std::optional<Mnemonic> SplitMnemonic(std::string_view mnemonic, const std::vector<MnemonicRule>& rules)
{
    std::optional<Mnemonic> found;
    for (const MnemonicRule& rule : rules) {
        const std::string_view base = rule.base;
        if (mnemonic.substr(0, base.size()) != base)
            continue;
        const std::string_view rest = mnemonic.substr(base.size());
        for (const char* cond : kConditions) {
            const std::string_view c = cond;
            for (size_t at = 0; at + c.size() <= rest.size(); ++at) {
                if (rest.substr(at, c.size()) != c)
                    continue;
                const std::string suffix = std::string(rest.substr(0, at)) + std::string(rest.substr(at + c.size()));
                for (const char* allowed : rule.suffixes) {
                    if (suffix != allowed)
                        continue;
                    Mnemonic m{std::string(base), suffix, std::string(c)};
                    if (found && found->Canonical() != m.Canonical())
                        return std::nullopt;
                    found = m;
                }
                if (c.empty())
                    break;
            }
        }
    }
    return found;
}

}  // namespace zk::tools
