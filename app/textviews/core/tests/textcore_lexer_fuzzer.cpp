// Any line in any colouring mode: the spans join to the line (as the painter
// cuts it at 255 characters), and painting the lines never fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fake_text_host.h"
#include "syntax_lexer.h"
#include "text_columns.h"
#include "text_line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace textcore;
    if (size < 2)
        return 0;
    const TextColourMode mode = data[0] % 10;
    const int compilerKind = data[1] % 2 ? kArmCompilerKind : 0;
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::vector<std::string> lines = SplitTextIntoLines(text);
    LexerState state;
    for (const std::string& whole : lines) {
        const std::string line = whole.substr(0, static_cast<std::size_t>(CharCountToColumn(whole, kMaxLineLength)));
        CSyntaxLexer lexer(line, mode, state, [compilerKind] { return compilerKind; });
        lexer.Parse();
        std::string joined;
        for (const CColourSpan& span : lexer.Spans()) {
            if (span.formatClass < 0 || span.formatClass > FC_NONE)
                std::abort();
            joined += span.text;
        }
        if (joined != line)
            std::abort();
    }
    textcore::test::ViewFixture f(lines);
    f.view.colourMode = mode;
    f.services.compilerKind = compilerKind;
    f.view.SetSelection(0, 1, static_cast<int>(lines.size()) / 2, 3, false);
    TextPaint paint;
    f.view.PaintRows(paint, 0, f.view.linesPerPage);
    return 0;
}
