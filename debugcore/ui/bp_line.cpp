// The breakpoint dialog's text line, written and read back.
#include "bp_line.h"

#include <cerrno>
#include <cstdlib>

namespace sarvik::ui {
namespace {

constexpr std::string_view kSeparator = "  ";
constexpr std::string_view kCountOpen = "  <COUNT=";

bool ReadCount(std::string_view text, uint32_t& count)
{
    // strtoul base 0 over the whole text between "COUNT=" and ">".
    if (text.empty() || text.size() > 16 || text.front() == '-' || text.front() == '+' || text.front() == ' ')
        return false;
    std::string digits(text);
    errno = 0;
    char* end = nullptr;
    unsigned long value = std::strtoul(digits.c_str(), &end, 0);
    if (errno != 0 || end != digits.c_str() + digits.size() || value > 0xFFFFFFFFul)
        return false;
    count = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

int BpLine::Type() const
{
    if (access)
        return BP_LINE_ACCESS;
    return condition.empty() ? BP_LINE_PLAIN : BP_LINE_CONDITIONAL;
}

std::string WriteBpLine(const BpLine& line)
{
    std::string out = line.enabled ? " +" : " -";
    out += kSeparator;
    out += '(';
    out += line.address;
    if (!line.position.empty())
        out += ' ' + line.position;
    out += ')';
    if (!line.condition.empty())
        out += std::string(kSeparator) + '{' + line.condition + '}';
    if (line.access) {
        std::string kind;
        if (line.accessType & BP_ACCESS_READ)
            kind = "Read";
        if (line.accessType & BP_ACCESS_WRITE)
            kind += " Write";
        out += std::string(kSeparator) + '[' + kind + " at " + line.accessAddress + ']' + line.macro;
    }
    out += std::string(kCountOpen) + std::to_string(line.count) + '>';
    return out;
}

bool ReadBpLine(std::string_view text, BpLine& out)
{
    out = BpLine{};
    if (text.size() < 2 || text[0] != ' ' || (text[1] != '+' && text[1] != '-'))
        return false;
    out.enabled = text[1] == '+';
    std::string_view rest = text.substr(2);

    // The count closes the line.
    if (rest.empty() || rest.back() != '>')
        return false;
    size_t countAt = rest.rfind(kCountOpen);
    if (countAt == std::string_view::npos)
        return false;
    if (!ReadCount(rest.substr(countAt + kCountOpen.size(), rest.size() - countAt - kCountOpen.size() - 1), out.count))
        return false;
    rest = rest.substr(0, countAt);

    // "  (address position)"
    if (rest.substr(0, 3) != "  (")
        return false;
    size_t close = rest.find(')', 3);
    if (close == std::string_view::npos)
        return false;
    std::string_view inside = rest.substr(3, close - 3);
    size_t blank = inside.find(' ');
    out.address = std::string(inside.substr(0, blank));
    if (out.address.empty())
        return false;
    if (blank != std::string_view::npos)
        out.position = std::string(inside.substr(blank + 1));
    rest = rest.substr(close + 1);

    // "  {condition}"
    if (rest.substr(0, 3) == "  {") {
        size_t end = rest.find('}', 3);
        if (end == std::string_view::npos)
            return false;
        out.condition = std::string(rest.substr(3, end - 3));
        rest = rest.substr(end + 1);
    }

    // "  [Read Write at address]macro"
    if (rest.substr(0, 3) == "  [") {
        size_t end = rest.find(']', 3);
        if (end == std::string_view::npos)
            return false;
        std::string_view kind = rest.substr(3, end - 3);
        out.access = true;
        if (kind.find("Read") != std::string_view::npos)
            out.accessType |= BP_ACCESS_READ;
        if (kind.find("Write") != std::string_view::npos)
            out.accessType |= BP_ACCESS_WRITE;
        size_t lastBlank = kind.rfind(' ');
        out.accessAddress = std::string(lastBlank == std::string_view::npos ? kind : kind.substr(lastBlank + 1));
        out.macro = std::string(rest.substr(end + 1));
        rest = {};
    }
    return rest.empty();
}

}  // namespace sarvik::ui
