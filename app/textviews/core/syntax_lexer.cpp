#include "syntax_lexer.h"

#include "text_columns.h"

namespace textcore {

namespace {

bool IsAsciiLetter(unsigned char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

bool IsDigit(unsigned char ch)
{
    return ch >= '0' && ch <= '9';
}

bool IsHexDigit(unsigned char ch)
{
    return IsDigit(ch) || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

// A word like 0FFh or each: a hexadecimal letter first, h last, hexadecimal
// digits between.
bool IsHexWithSuffix(const std::string& token)
{
    if (token.size() < 2)
        return false;
    const auto first = static_cast<unsigned char>(token.front());
    const char last = token.back();
    if (!(IsHexDigit(first) && !IsDigit(first)) || (last != 'h' && last != 'H'))
        return false;
    for (std::size_t i = 1; i + 1 < token.size(); ++i) {
        if (!IsHexDigit(static_cast<unsigned char>(token[i])))
            return false;
    }
    return true;
}

bool IsListingBreak(char ch)
{
    return ch == '\0' || ch == ' ' || ch == '\t' || ch == '\a';
}

}  // namespace

CSyntaxLexer::CSyntaxLexer(std::string_view line, TextColourMode mode, LexerState& state,
                           CompilerKindQuery compilerKind)
    : line_(line), mode_(mode), state_(state), compilerKind_(std::move(compilerKind))
{}

void CSyntaxLexer::Tokenize()
{
    if (mode_ == TCM_OTHER) {
        tokens_.push_back(line_);
    } else {
        std::size_t pos = 0;
        const std::size_t end = line_.size();
        while (pos < end && line_[pos] != '\n') {
            const auto ch = static_cast<unsigned char>(line_[pos]);
            std::size_t next = pos + 1;
            if (IsWordChar(ch)) {
                while (next < end && IsWordChar(static_cast<unsigned char>(line_[next])))
                    ++next;
            } else if (ch == ' ' || ch == '\t') {
                while (next < end && static_cast<unsigned char>(line_[next]) == ch)
                    ++next;
            } else {
                next = pos + CharLength(line_, pos);
            }
            tokens_.push_back(line_.substr(pos, next - pos));
            pos = next;
        }
        // A line feed and what follows it belong to no token of the line; keep
        // them in the last one so that no byte is lost.
        if (pos < end)
            tokens_.push_back(line_.substr(pos));
    }
    tokens_.emplace_back();
}

bool CSyntaxLexer::IsSpecial(const std::string& token) const
{
    if (token.empty())
        return false;
    const char ch = token.front();
    switch (mode_) {
    case TCM_C_SOURCE:
    case TCM_PLM: return ch == '/' || ch == '\\' || ch == '*' || ch == '#' || ch == '"' || ch == '\'';
    case TCM_MACRO: return ch == '"' || ch == '\'';
    case TCM_ASSEMBLER:
        if (ch == '/' || ch == '\\' || ch == '*' || ch == '#' || ch == '"' || ch == '\'' || ch == ';')
            return true;
        return (ch == '@' || ch == '.') && CompilerKind() != kArmCompilerKind;
    default: return false;
    }
}

void CSyntaxLexer::ClosePending()
{
    if (pendingClass_ == FC_NONE)
        return;
    FormatClass formatClass = pendingClass_;
    if (formatClass == FC_TEXT) {
        if (IsModeKeyword(mode_, pendingText_))
            formatClass = FC_KEYWORD;
        else if (mode_ == TCM_C_SOURCE && IsRegisterName(pendingText_))
            formatClass = FC_REGISTER;
    }
    spans_.push_back({formatClass, std::move(pendingText_)});
    pendingText_.clear();
    pendingClass_ = FC_NONE;
}

void CSyntaxLexer::AddSpan(std::string_view text, FormatClass formatClass)
{
    if (pendingClass_ == FC_NONE) {
        pendingClass_ = formatClass;
        pendingText_ = std::string(text);
    } else if (formatClass == pendingClass_) {
        pendingText_.append(text);
    } else {
        ClosePending();
        pendingClass_ = formatClass;
        pendingText_ = std::string(text);
    }
}

std::string CSyntaxLexer::Rest(std::size_t from) const
{
    std::string text;
    for (std::size_t i = from; i < tokens_.size(); ++i)
        text += tokens_[i];
    return text;
}

void CSyntaxLexer::ShortClassify(const std::string& token)
{
    const auto first = static_cast<unsigned char>(token.front());
    if (!IsAsciiLetter(first) && !IsDigit(first))
        AddSpan(token, FC_OPERATOR);
    else if (IsDigit(first))
        AddSpan(token, FC_NUMBER);
    else
        AddSpan(token, FC_TEXT);
}

// Handles the special character at token i with the token after it; returns
// the index of the next token to take.
std::size_t CSyntaxLexer::HandleState(std::size_t i)
{
    const std::string& c = tokens_[i];
    const std::string& t = tokens_[i + 1];
    const std::string ct = c + t;
    const bool inComment = !state_.outsideBlockComment;
    const bool inString = !outsideString_;
    const std::size_t next = i + 2;
    switch (c.front()) {
    case '/':
        if (inComment) {
            AddSpan(ct, FC_COMMENT);
        } else if (inString) {
            AddSpan(ct, FC_STRING);
        } else if (t.empty()) {
            AddSpan(c, FC_OPERATOR);
        } else if (t == "*") {
            state_.outsideBlockComment = false;
            AddSpan(ct, FC_COMMENT);
        } else if (t == "/") {
            AddSpan(Rest(i), FC_COMMENT);
            return tokens_.size();
        } else {
            AddSpan(c, FC_OPERATOR);
            if (IsSpecial(t))
                return i + 1;
            ShortClassify(t);
        }
        return next;
    case '*':
        if (inComment) {
            if (t.empty()) {
                AddSpan(c, FC_COMMENT);
            } else if (t == "/") {
                AddSpan(ct, FC_COMMENT);
                state_.outsideBlockComment = true;
            } else if (IsSpecial(t)) {
                AddSpan(c, FC_COMMENT);
                return i + 1;
            } else {
                AddSpan(ct, FC_COMMENT);
            }
        } else if (inString) {
            AddSpan(ct, FC_STRING);
        } else {
            AddSpan(c, FC_OPERATOR);
            if (IsSpecial(t))
                return i + 1;
            if (!t.empty())
                ShortClassify(t);
        }
        return next;
    case '\\': AddSpan(ct, inComment ? FC_COMMENT : inString ? FC_STRING : FC_TEXT); return next;
    case '#':
        if (mode_ == TCM_PLM) {
            AddSpan(ct, FC_TEXT);
        } else if (inComment) {
            AddSpan(ct, FC_COMMENT);
        } else if (inString) {
            AddSpan(ct, FC_STRING);
        } else if (IsPreprocessorWord(t) ||
                   (mode_ == TCM_ASSEMBLER && IsArmDirectiveWord(t) && CompilerKind() == kArmCompilerKind)) {
            AddSpan(ct, FC_KEYWORD);
        } else if (mode_ == TCM_ASSEMBLER && (t == "#" || (!t.empty() && t.front() == ' '))) {
            AddSpan(Rest(i), FC_COMMENT);
            return tokens_.size();
        } else {
            AddSpan(ct, FC_TEXT);
        }
        return next;
    case '"':
        if (inComment) {
            AddSpan(ct, FC_COMMENT);
        } else {
            outsideString_ = !outsideString_;
            AddSpan(ct, FC_STRING);
            if (t == "\"")
                outsideString_ = !outsideString_;
        }
        return next;
    case '\'':
        if (mode_ == TCM_MACRO) {
            AddSpan(Rest(i), FC_COMMENT);
            return tokens_.size();
        }
        // Inside a string an apostrophe is part of the string.
        AddSpan(ct, inComment ? FC_COMMENT : inString ? FC_STRING : FC_TEXT);
        return next;
    case '.':
        if (inComment)
            AddSpan(ct, FC_COMMENT);
        else if (inString)
            AddSpan(ct, FC_STRING);
        else
            AddSpan(ct, IsGnuDirectiveWord(t) ? FC_KEYWORD : FC_TEXT);
        return next;
    case '@':
    case ';': AddSpan(Rest(i), FC_COMMENT); return tokens_.size();
    default: AddSpan(c, FC_OPERATOR); return i + 1;
    }
}

void CSyntaxLexer::ParseListing()
{
    const char first = line_.front();
    if (first == ' ' || first == '\t') {
        AddSpan(line_, mode_ == TCM_DISASSEMBLY ? FC_LABEL : FC_MIXED_SOURCE);
        return;
    }
    std::size_t pos = 0;
    const std::size_t end = line_.size();
    auto field = [&](FormatClass formatClass) {
        const std::size_t from = pos;
        while (pos < end && !IsListingBreak(line_[pos]))
            ++pos;
        if (pos > from)
            AddSpan(std::string_view(line_).substr(from, pos - from), formatClass);
    };
    auto blanks = [&] {
        while (pos < end && (line_[pos] == ' ' || line_[pos] == '\t')) {
            const char blank = line_[pos];
            const std::size_t from = pos;
            while (pos < end && line_[pos] == blank)
                ++pos;
            AddSpan(std::string_view(line_).substr(from, pos - from), FC_TEXT);
        }
    };
    field(FC_ADDRESS);
    blanks();
    field(FC_ASSEMBLY_CODE);
    blanks();
    if (pos < end)
        AddSpan(std::string_view(line_).substr(pos), FC_ASM_INSTRUCTION);
}

void CSyntaxLexer::Parse()
{
    outsideString_ = true;
    if (line_.empty()) {
        spans_.push_back({FC_NONE, {}});
        return;
    }
    if (mode_ == TCM_OUTPUT) {
        AddSpan(line_, FC_TEXT);
    } else if (mode_ == TCM_DISASSEMBLY || mode_ == TCM_MIXED) {
        ParseListing();
    } else {
        Tokenize();
        std::size_t i = 0;
        while (i < tokens_.size()) {
            const std::string& token = tokens_[i];
            if (token.empty())
                break;
            if (IsSpecial(token)) {
                i = HandleState(i);
                continue;
            }
            const auto first = static_cast<unsigned char>(token.front());
            if (!outsideString_)
                AddSpan(token, FC_STRING);
            else if (!state_.outsideBlockComment)
                AddSpan(token, FC_COMMENT);
            else if (!IsAsciiLetter(first) && !IsDigit(first))
                AddSpan(token, FC_OPERATOR);
            else if (IsDigit(first) || IsHexWithSuffix(token))
                AddSpan(token, FC_NUMBER);
            else
                AddSpan(token, FC_TEXT);
            ++i;
        }
    }
    ClosePending();
    if (spans_.empty())
        spans_.push_back({FC_NONE, {}});
}

}  // namespace textcore
