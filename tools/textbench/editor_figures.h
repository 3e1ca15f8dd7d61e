// The source editor's figures for textbench, offscreen on real widgets: open
// to first paint, loading through the application's idle steps beside the
// text engine's load and wc -l, a keystroke with its repaint, Page Down, and
// Ctrl+End on a partly read file.
#pragma once

#include <string>
#include <vector>

namespace textbench {

struct EditorText {
    std::string name;
    std::string bytes;
};

// The table in Markdown, one column per text.
std::string EditorFigures(const std::vector<EditorText>& texts, const std::string& folder);

}  // namespace textbench
