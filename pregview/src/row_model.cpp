#include "row_model.h"

#include <algorithm>
#include <cstdio>

#include "field_rules.h"
#include "peri_model.h"

namespace halvek {
namespace {

constexpr size_t kNameColumn = 27;
constexpr size_t kTitleColumn = 41;
constexpr size_t kValueColumn = 14;

size_t BufferLines(const Register& r)
{
    const int unit = std::max(r.width, 1);
    return static_cast<size_t>((r.count / unit + 7) / 8);
}

size_t InnerRows(const Register& r)
{
    return r.buffer ? BufferLines(r) : r.fields.size();
}

void PadTo(std::string& text, size_t column)
{
    if (text.size() < column)
        text.append(column - text.size(), ' ');
    else
        text += ' ';
}

}  // namespace

size_t RecountRows(Description& d)
{
    size_t total = 0;
    for (Group& g : d.groups) {
        size_t rows = 1;
        for (Register& r : g.registers) {
            r.rows = 1 + static_cast<int>(r.expanded ? InnerRows(r) : 0);
            if (g.expanded)
                rows += static_cast<size_t>(r.rows);
        }
        g.rows = static_cast<int>(rows);
        total += rows;
    }
    return total;
}

void SetAllExpanded(Description& d, bool expanded)
{
    for (Group& g : d.groups) {
        g.expanded = expanded;
        for (Register& r : g.registers)
            r.expanded = expanded;
    }
    RecountRows(d);
}

RowRef FindRow(const Description& d, size_t row)
{
    // Whole groups and registers are stepped over by their cached counts.
    for (size_t gi = 0; gi < d.groups.size(); ++gi) {
        const Group& g = d.groups[gi];
        const size_t groupRows = static_cast<size_t>(std::max(g.rows, 1));
        if (row >= groupRows) {
            row -= groupRows;
            continue;
        }
        if (row == 0)
            return {RowKind::Group, gi, 0, 0};
        --row;
        for (size_t ri = 0; ri < g.registers.size(); ++ri) {
            const Register& r = g.registers[ri];
            const size_t regRows = static_cast<size_t>(std::max(r.rows, 1));
            if (row >= regRows) {
                row -= regRows;
                continue;
            }
            if (row == 0)
                return {RowKind::Register, gi, ri, 0};
            return {r.buffer ? RowKind::BufferLine : RowKind::Field, gi, ri, row - 1};
        }
        return {};
    }
    return {};
}

std::string RegisterRowValue(const Register& r)
{
    if (r.buffer)
        return {};
    const int width = r.width <= 1 ? 1 : r.width <= 2 ? 2 : 4;
    if (r.unreadable || !PlainWidth(r.width))
        return std::string(static_cast<size_t>(width * 2), '?');
    char text[16];
    std::snprintf(text, sizeof text,
                  width == 1       ? "%2.2lX"
                      : width == 2 ? "%4.4lX"
                                   : "%8.8lX",
                  static_cast<unsigned long>(r.value));
    return text;
}

std::string RowText(const Description& d, size_t row, const AddressText& addressText)
{
    const RowRef ref = FindRow(d, row);
    if (ref.kind == RowKind::None)
        return "UNREADABLE";
    const Group& g = d.groups[ref.group];
    if (ref.kind == RowKind::Group)
        return std::string(g.expanded ? "(-)  " : "(+)  ") + g.name;
    const Register& r = g.registers[ref.reg];
    if (ref.kind == RowKind::Register) {
        std::string text = "  " + (addressText ? addressText(r.address) : std::string());
        PadTo(text, kValueColumn);
        text += RegisterRowValue(r);
        PadTo(text, kNameColumn);
        text += r.name;
        PadTo(text, kTitleColumn);
        return text + r.title;
    }
    if (ref.kind == RowKind::Field) {
        const Field& f = r.fields[ref.item];
        std::string text(kNameColumn, ' ');
        text += SpanText(f) + (f.title.empty() ? f.name : f.title);
        const std::string value = ValueText(f, f.value);
        return value.empty() ? text : text + " " + value;
    }
    // Eight units of the buffer's width a line.
    const size_t unit = static_cast<size_t>(std::max(r.width, 1));
    std::string text(kValueColumn, ' ');
    for (size_t k = 0; k < 8; ++k) {
        const size_t at = (ref.item * 8 + k) * unit;
        if (at + unit > r.shadow.size())
            break;
        uint32_t v = 0;
        for (size_t b = unit; b-- > 0;)
            v = (v << 8) | (at + b < r.shadow.size() ? r.shadow[at + b] : 0);
        char unitText[16];
        std::snprintf(unitText, sizeof unitText, "%0*X ", static_cast<int>(std::min<size_t>(unit, 4) * 2), v);
        text += unitText;
    }
    return text;
}

}  // namespace halvek
