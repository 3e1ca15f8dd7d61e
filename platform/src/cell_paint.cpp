#include "platform/cell_paint.h"

namespace platform {
namespace {

bool Covers(int column, int from, int count)
{
    return column >= from && (count < 0 || column < from + count);
}

}  // namespace

CellColors CellPaint::CellAt(const CellRow& row, int column) const
{
    int format = 0;
    for (const auto& f : row.fills)
        if (Covers(column, f.column, f.count))
            format = f.format;
    for (const auto& r : row.runs)
        if (Covers(column, r.column, static_cast<int>(r.text.size())))
            format = r.format;
    CellColors c = Colors(format);
    for (const auto& inv : row.inverted)
        if (Covers(column, inv.column, inv.count))
            return Inverted(c);
    return c;
}

char CellPaint::CharAt(const CellRow& row, int column) const
{
    char ch = ' ';
    for (const auto& r : row.runs)
        if (Covers(column, r.column, static_cast<int>(r.text.size())))
            ch = r.text[static_cast<size_t>(column - r.column)];
    return ch;
}

std::string ExpandTabs(const std::string& text, int tabWidth)
{
    if (tabWidth < 1)
        tabWidth = 1;
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\t') {
            size_t next = (out.size() / static_cast<size_t>(tabWidth) + 1) * static_cast<size_t>(tabWidth);
            out.append(next - out.size(), ' ');
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace platform
