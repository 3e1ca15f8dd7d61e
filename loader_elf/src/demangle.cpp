#include "demangle.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <utility>
#include <vector>

namespace tarnel {
namespace {

// Operator codes and their texts ("operator " goes in front).
constexpr std::array<std::pair<std::string_view, std::string_view>, 42> OPERATORS{{
    {"aa", "&&"},  {"aad", "&="}, {"ad", "&"},        {"adv", "/="},    {"aer", "^="},  {"als", "<<="}, {"amd", "%="},
    {"ami", "-="}, {"amu", "*="}, {"aor", "|="},      {"apl", "+="},    {"ars", ">>="}, {"as", "="},    {"cl", "()"},
    {"cm", ","},   {"co", "~"},   {"da", "delete[]"}, {"dl", "delete"}, {"dv", "/"},    {"eq", "=="},   {"er", "^"},
    {"ge", ">="},  {"gt", ">"},   {"le", "<="},       {"ls", "<<"},     {"lt", "<"},    {"md", "%"},    {"mi", "-"},
    {"ml", "*"},   {"mm", "--"},  {"na", "new[]"},    {"ne", "!="},     {"nt", "!"},    {"nw", "new"},  {"oo", "||"},
    {"or", "|"},   {"pl", "+"},   {"pp", "++"},       {"rm", "->*"},    {"rf", "->"},   {"rs", ">>"},   {"vc", "[]"},
}};

// One parameter as it is written out: qualifier + base + array + pointer
// mark + member-pointer text.
struct DemangledParam {
    std::string qualifier, base, array, pointer, memberPointer;

    std::string Text() const { return qualifier + base + array + pointer + memberPointer; }
};

class Demangler {
public:
    explicit Demangler(std::string_view in) : in_(in) {}

    std::string Run()
    {
        if (Starts("__op"))
            ConversionOperator();
        else if (Starts("__"))
            SpecialName();
        else
            FunctionName();
        if (!error_)
            ClassName();
        if (!error_)
            Parameters();
        if (error_)
            return std::string(in_);
        return Compose();
    }

private:
    bool Starts(std::string_view prefix) const { return in_.substr(pos_).starts_with(prefix); }
    bool AtEnd() const { return pos_ >= in_.size(); }
    char Peek() const { return AtEnd() ? '\0' : in_[pos_]; }
    void Fail() { error_ = true; }

    // Decimal digits at the position; false when there are none.
    bool Number(uint32_t& n)
    {
        if (!std::isdigit(static_cast<unsigned char>(Peek())))
            return false;
        uint64_t value = 0;
        while (std::isdigit(static_cast<unsigned char>(Peek()))) {
            value = value * 10 + static_cast<uint32_t>(in_[pos_++] - '0');
            if (value > 0xFFFFFFF) {
                Fail();
                return false;
            }
        }
        n = static_cast<uint32_t>(value);
        return true;
    }

    // A decimal length and that many characters.
    bool LengthName(std::string& name)
    {
        uint32_t n = 0;
        if (!Number(n) || n == 0 || n > in_.size() - pos_) {
            Fail();
            return false;
        }
        name = std::string(in_.substr(pos_, n));
        pos_ += n;
        return true;
    }

    DemangledParam& Current()
    {
        if (params_.size() <= count_)
            params_.resize(count_ + 1);
        return params_[count_];
    }

    // A parameter number n (from 1) of the parameters decoded so far.
    bool Repeated(uint32_t n, DemangledParam& copy)
    {
        if (n == 0 || n > count_) {
            Fail();
            return false;
        }
        copy = params_[n - 1];
        return true;
    }

    // One type code: a complete code fills the current record and counts
    // it; a modifier fills it and leaves it for the next code.
    void Type()
    {
        static constexpr std::string_view BASE_CODES = "cdefilmrsv";
        static constexpr std::array<std::string_view, 10> BASE_TEXTS{
            "char ", "double ", "", "float ", "int ", "long ", "long long ", "long double ", "short ", "void "};
        const char code = Peek();
        if (AtEnd()) {
            Fail();
            return;
        }
        ++pos_;
        if (const size_t at = BASE_CODES.find(code); at != std::string_view::npos) {
            Current().base = BASE_TEXTS[at];
            ++count_;
            return;
        }
        switch (code) {
        case 'C': Current().qualifier += "const "; return;
        case 'S': Current().qualifier += "signed "; return;
        case 'U': Current().qualifier += "unsigned "; return;
        case 'V': Current().qualifier += "volatile "; return;
        case 'P': Current().pointer = "*"; return;
        case 'R': Current().pointer = "&"; return;
        case 'A': {
            uint32_t n = 0;
            if (!Number(n)) {
                Fail();
                return;
            }
            Current().array += "[" + std::to_string(n) + "]";
            if (Peek() == '_')
                ++pos_;
            return;
        }
        case 'M': {
            std::string cls;
            if (LengthName(cls))
                Current().memberPointer = "(" + cls + "::*)";
            return;
        }
        case 'Q': {
            const char q = Peek();
            if (!std::isdigit(static_cast<unsigned char>(q)) || q == '0') {
                Fail();
                return;
            }
            ++pos_;
            std::string part;
            for (int i = 0; i < q - '0'; ++i)
                if (!LengthName(part))
                    return;
            Current().base = part;
            ++count_;
            return;
        }
        case 'T': {
            uint32_t n = 0;
            DemangledParam copy;
            if (!Number(n)) {
                Fail();
                return;
            }
            if (Repeated(n, copy)) {
                Current() = copy;
                ++count_;
            }
            return;
        }
        case 'N': {
            const char c = Peek();
            uint32_t n = 0;
            DemangledParam copy;
            if (!std::isdigit(static_cast<unsigned char>(c))) {
                Fail();
                return;
            }
            ++pos_;
            if (!Number(n)) {
                Fail();
                return;
            }
            if (Repeated(n, copy)) {
                for (int i = 0; i < c - '0'; ++i) {
                    Current() = copy;
                    ++count_;
                }
            }
            return;
        }
        default:
            if (std::isdigit(static_cast<unsigned char>(code))) {
                --pos_;
                std::string cls;
                if (LengthName(cls)) {
                    Current().base = cls + " ";
                    ++count_;
                }
                return;
            }
            Fail();
        }
    }

    // "__op<type>__": a conversion operator.
    void ConversionOperator()
    {
        pos_ = 4;
        while (!error_ && !AtEnd() && Peek() != '_')
            Type();
        if (error_ || count_ != 1 || !Starts("__")) {
            Fail();
            return;
        }
        op_ = "operator " + params_[0].Text();
        pos_ += 2;
    }

    // "__<code>__": a constructor, destructor or operator.
    void SpecialName()
    {
        const size_t end = in_.find('_', 2);
        if (end == std::string_view::npos) {
            Fail();
            return;
        }
        const std::string_view code = in_.substr(2, end - 2);
        if (code == "ct") {
            op_ = " ";
            structor_ = true;
        } else if (code == "dt") {
            op_ = "~";
            structor_ = true;
        } else {
            for (const auto& [c, text] : OPERATORS)
                if (c == code)
                    op_ = "operator " + std::string(text);
        }
        pos_ = end + 1;
        if (Peek() != '_' || op_.empty()) {
            Fail();
            return;
        }
        ++pos_;
    }

    void FunctionName()
    {
        const size_t end = in_.find("__");
        if (end == std::string_view::npos || end == 0) {
            Fail();
            return;
        }
        function_ = std::string(in_.substr(0, end));
        pos_ = end + 2;
    }

    void ClassName()
    {
        if (!std::isdigit(static_cast<unsigned char>(Peek())))
            return;
        std::string text;
        if (!LengthName(text))
            return;
        hasClass_ = true;
        const size_t i = text.find('_');
        if (i != std::string::npos && i + 2 < text.size() && text[i + 1] == '_' && text[i + 2] == 't') {
            class_ = text.substr(0, i);
            template_ = "<" + (i + 5 < text.size() ? text.substr(i + 5) : std::string()) + ">";
        } else {
            class_ = text;
        }
    }

    void Parameters()
    {
        params_.clear();
        count_ = 0;
        std::string suffix;
        if (Peek() != 'F') {
            // A method qualifier ("C" of a const member function). Any other
            // code here, or anything but 'F' after it, is not of the scheme
            // (a C name with a double underscore).
            const char code = Peek();
            if (code != 'C' && code != 'V') {
                Fail();
                return;
            }
            Type();
            suffix = " " + params_[0].qualifier;
            params_[0].qualifier.clear();
            if (Peek() != 'F') {
                if (!AtEnd())
                    Fail();
                list_ = suffix;
                return;
            }
        }
        ++pos_;  // 'F'
        while (!error_ && !AtEnd())
            Type();
        // A modifier that no code completes.
        if (params_.size() > count_)
            Fail();
        if (error_)
            return;
        list_ = "(";
        for (uint32_t i = 0; i < count_; ++i) {
            if (i != 0)
                list_ += ", ";
            list_ += params_[i].Text();
        }
        list_ += ")" + suffix;
    }

    std::string Compose() const
    {
        std::string out = class_ + template_;
        if (hasClass_)
            out += "::";
        out += function_ + op_;
        if (structor_)
            out += class_;
        return out + list_;
    }

    std::string_view in_;
    size_t pos_ = 0;
    bool error_ = false, hasClass_ = false, structor_ = false;
    std::string function_, op_, class_, template_, list_;
    std::vector<DemangledParam> params_;
    uint32_t count_ = 0;
};

}  // namespace

std::string DemangleSymbol(std::string_view mangled)
{
    return Demangler(mangled).Run();
}

}  // namespace tarnel
