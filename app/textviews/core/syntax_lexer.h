// The syntax-colouring lexer: cuts one line into coloured spans for the text
// views' painter. The only state that passes from line to line, whether the
// line starts inside a C block comment, is the `LexerState` the painter
// carries row to row; the compiler kind of the loaded image (ARM or GNU
// assembler dialect) is asked each time it is needed.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text_colour.h"

namespace textcore {

struct LexerState {
    bool outsideBlockComment = true;
};

// Compiler kind 8 selects the ARM assembler dialect, any other the GNU one.
inline constexpr int kArmCompilerKind = 8;
using CompilerKindQuery = std::function<int()>;

struct CColourSpan {
    FormatClass formatClass = FC_NONE;
    std::string text;
    bool operator==(const CColourSpan&) const = default;
};

class CSyntaxLexer {
public:
    CSyntaxLexer(std::string_view line, TextColourMode mode, LexerState& state, CompilerKindQuery compilerKind = {});
    void Parse();
    const std::vector<CColourSpan>& Spans() const { return spans_; }
    void AddSpan(std::string_view text, FormatClass formatClass);

private:
    void Tokenize();
    std::size_t HandleState(std::size_t i);
    void ShortClassify(const std::string& token);
    void ParseListing();
    bool IsSpecial(const std::string& token) const;
    int CompilerKind() const { return compilerKind_ ? compilerKind_() : 0; }
    std::string Rest(std::size_t from) const;
    void ClosePending();

    std::string line_;
    TextColourMode mode_;
    LexerState& state_;
    CompilerKindQuery compilerKind_;
    std::vector<std::string> tokens_;
    std::vector<CColourSpan> spans_;
    bool outsideString_ = true;
    FormatClass pendingClass_ = FC_NONE;
    std::string pendingText_;
};

// The keyword tables, exposed for tests and the colour options.
bool IsModeKeyword(TextColourMode mode, std::string_view word);
bool IsRegisterName(std::string_view word);
bool IsPreprocessorWord(std::string_view word);
bool IsArmDirectiveWord(std::string_view word);
bool IsGnuDirectiveWord(std::string_view word);

}  // namespace textcore
