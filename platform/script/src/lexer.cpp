#include "lexer.h"

#include <cmath>
#include <cstdlib>

namespace zk::script {

namespace {

bool IsNameStart(unsigned char c)
{
    return std::isalpha(c) || c >= 0x80;
}
bool IsNameChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c >= 0x80;
}

[[noreturn]] void Fail(int number, int line, int col)
{
    ScriptError e;
    e.number = number;
    e.compile = true;
    e.source = kCompileSource;
    e.description = ErrorText(number);
    e.line = line;
    e.column = col;
    throw e;
}

Value IntegerLiteral(double v)
{
    if (v <= 32767)
        return Value::Int(static_cast<int16_t>(v));
    if (v <= 2147483647.0)
        return Value::Long(static_cast<int32_t>(v));
    return Value::Dbl(v);
}

}  // namespace

std::vector<Token> Tokenize(std::string_view s)
{
    std::vector<Token> out;
    int line = 0;
    size_t lineStart = 0;
    size_t i = 0;
    auto push = [&](Tok kind, size_t start) -> Token& {
        Token& t = out.emplace_back();
        t.kind = kind;
        t.line = line;
        t.col = static_cast<int>(start - lineStart);
        return t;
    };
    auto newline = [&](size_t start) {
        if (out.empty() || out.back().kind != Tok::Eol || out.back().text != "\n")
            push(Tok::Eol, start).text = "\n";
        else
            out.back().line = line;  // keep one end per run of empty lines
    };
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t start = i;
        if (c == ' ' || c == '\t' || c == '\0' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            newline(start);
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            ++i;
            ++line;
            lineStart = i;
            continue;
        }
        if (c == '\'') {
            while (i < s.size() && s[i] != '\n' && s[i] != '\r')
                ++i;
            continue;
        }
        if (c == ':') {
            push(Tok::Eol, start).text = ":";
            ++i;
            continue;
        }
        if (c == '_') {
            size_t j = i + 1;
            while (j < s.size() && (s[j] == ' ' || s[j] == '\t'))
                ++j;
            if (j >= s.size() || s[j] == '\r' || s[j] == '\n') {
                if (j < s.size() && s[j] == '\r' && j + 1 < s.size() && s[j + 1] == '\n')
                    ++j;
                i = j < s.size() ? j + 1 : j;
                ++line;
                lineStart = i;
                continue;
            }
            Fail(1032, line, static_cast<int>(start - lineStart));
        }
        if (IsNameStart(c) || c == '[') {
            std::string name;
            if (c == '[') {
                size_t j = i + 1;
                while (j < s.size() && s[j] != ']' && s[j] != '\n' && s[j] != '\r')
                    ++j;
                if (j >= s.size() || s[j] != ']')
                    Fail(1032, line, static_cast<int>(start - lineStart));
                name.assign(s.substr(i + 1, j - i - 1));
                i = j + 1;
            } else {
                while (i < s.size() && IsNameChar(static_cast<unsigned char>(s[i])))
                    ++i;
                name.assign(s.substr(start, i - start));
            }
            if (name.size() == 3 && Lower(name) == "rem" && c != '[') {
                while (i < s.size() && s[i] != '\n' && s[i] != '\r')
                    ++i;
                continue;
            }
            push(Tok::Name, start).text = std::move(name);
            continue;
        }
        if (std::isdigit(c) ||
            (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])) &&
             (out.empty() || out.back().kind != Tok::Name))) {
            size_t j = i;
            bool real = false;
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                ++j;
            if (j < s.size() && s[j] == '.') {
                real = true;
                ++j;
                while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                    ++j;
            }
            if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
                size_t k = j + 1;
                if (k < s.size() && (s[k] == '+' || s[k] == '-'))
                    ++k;
                if (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) {
                    real = true;
                    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
                        ++k;
                    j = k;
                }
            }
            std::string digits(s.substr(i, j - i));
            double v = std::strtod(digits.c_str(), nullptr);
            if (!std::isfinite(v))
                Fail(6, line, static_cast<int>(start - lineStart));
            Token& t = push(Tok::Number, start);
            t.value = real ? Value::Dbl(v) : IntegerLiteral(v);
            if (j < s.size() && (s[j] == '#' || s[j] == '!' || s[j] == '@'))
                ++j;  // type characters
            else if (j < s.size() && s[j] == '&' && !real &&
                     (j + 1 >= s.size() || !IsNameChar(static_cast<unsigned char>(s[j + 1])))) {
                ++j;
                if (v > 2147483647.0)
                    Fail(6, line, static_cast<int>(start - lineStart));
                t.value = Value::Long(static_cast<int32_t>(v));
            }
            i = j;
            continue;
        }
        if (c == '&' && i + 1 < s.size() &&
            (s[i + 1] == 'h' || s[i + 1] == 'H' || s[i + 1] == 'o' || s[i + 1] == 'O' ||
             std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            int base = (s[i + 1] == 'h' || s[i + 1] == 'H') ? 16 : 8;
            size_t j = std::isdigit(static_cast<unsigned char>(s[i + 1])) ? i + 1 : i + 2;
            uint64_t n = 0;
            size_t digits = 0;
            while (j < s.size()) {
                int d = -1;
                char ch = s[j];
                if (ch >= '0' && ch <= '9')
                    d = ch - '0';
                else if (base == 16 && ch >= 'a' && ch <= 'f')
                    d = ch - 'a' + 10;
                else if (base == 16 && ch >= 'A' && ch <= 'F')
                    d = ch - 'A' + 10;
                if (d < 0 || d >= base)
                    break;
                n = n * base + d;
                if (n > 0xFFFFFFFFull)
                    Fail(6, line, static_cast<int>(start - lineStart));
                ++digits, ++j;
            }
            if (digits == 0)
                Fail(1032, line, static_cast<int>(start - lineStart));
            bool longType = j < s.size() && s[j] == '&';
            if (longType)
                ++j;
            Token& t = push(Tok::Number, start);
            // Up to 16 bits is an Integer (&HFFFF is -1), up to 32 a Long.
            if (!longType && n <= 0xFFFF)
                t.value = Value::Int(static_cast<int16_t>(static_cast<uint16_t>(n)));
            else
                t.value = Value::Long(static_cast<int32_t>(static_cast<uint32_t>(n)));
            i = j;
            continue;
        }
        if (c == '"') {
            std::string text;
            size_t j = i + 1;
            for (;;) {
                if (j >= s.size() || s[j] == '\n' || s[j] == '\r')
                    Fail(1033, line, static_cast<int>(start - lineStart));
                if (s[j] == '"') {
                    if (j + 1 < s.size() && s[j + 1] == '"') {
                        text += '"';
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += s[j++];
            }
            push(Tok::String, start).value = Value::Str(text);
            i = j + 1;
            continue;
        }
        if (c == '#') {
            size_t j = i + 1;
            while (j < s.size() && s[j] != '#' && s[j] != '\n' && s[j] != '\r')
                ++j;
            if (j >= s.size() || s[j] != '#')
                Fail(1032, line, static_cast<int>(start - lineStart));
            Value text = Value::Str(s.substr(i + 1, j - i - 1));
            Value date;
            if (FAILED(VariantChangeType(&date, &text, 0, VT_DATE)))
                Fail(1032, line, static_cast<int>(start - lineStart));
            push(Tok::Date, start).value = std::move(date);
            i = j + 1;
            continue;
        }
        static const char* const kTwo[] = {"<=", ">=", "<>", "=<", "=>"};
        bool two = false;
        for (const char* op : kTwo)
            if (i + 1 < s.size() && s[i] == op[0] && s[i + 1] == op[1]) {
                std::string text = op;
                if (text == "=<")
                    text = "<=";
                if (text == "=>")
                    text = ">=";
                push(Tok::Op, start).text = text;
                i += 2;
                two = true;
                break;
            }
        if (two)
            continue;
        if (std::string_view("+-*/\\^&=<>(),.").find(static_cast<char>(c)) != std::string_view::npos) {
            push(Tok::Op, start).text = std::string(1, static_cast<char>(c));
            ++i;
            continue;
        }
        Fail(1032, line, static_cast<int>(start - lineStart));
    }
    newline(s.size());
    push(Tok::End, s.size());
    return out;
}

}  // namespace zk::script
