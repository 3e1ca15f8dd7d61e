#include "buildtools/options.h"

#include <algorithm>
#include <cctype>

#include "buildtools/makefile_writer.h"

namespace fendrix {

std::string TrimLeadingBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

void AppendOption(std::string& line, const std::string& option)
{
    if (TrimLeadingBlanks(option).empty())
        return;
    if (!line.empty() && line.back() != ' ')
        line += ' ';
    line += option;
}

bool FindOption(const std::string& line, const std::string& option)
{
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    const auto it = std::search(line.begin(), line.end(), option.begin(), option.end(), same);
    if (it == line.end() || option.empty())
        return false;
    const size_t at = static_cast<size_t>(it - line.begin());
    const size_t end = at + option.size();
    return (at == 0 || line[at - 1] == ' ') && (end == line.size() || line[end] == ' ');
}

void AppendUnlessFound(std::string& line, const std::string& option)
{
    if (!FindOption(line, option))
        AppendOption(line, option);
}

namespace {

struct Rewrite {
    const char* word;
    const char* replacement;  // null: left out
    const char* why;
};

// Words that Debian's tools (gcc 12, binutils 2.40, soft-float newlib) refuse
// or read otherwise.
constexpr Rewrite kRewrites[] = {
    {"-gdwarf", "-gdwarf-2", "DWARF version 2 as the debugger reads it"},
    {"-Winitialized", "-Wuninitialized", "the warning's name in gcc"},
    {"-nostartupfiles", nullptr, "ld refuses it"},
    {"-nodefaultlibs", nullptr, "ld refuses it"},
    {"-mapcs-26", nullptr, "26-bit code is gone from gcc"},
    {"-mshort-load-bytes", nullptr, "gone from gcc"},
    {"-fpretend-float", nullptr, "gone from gcc"},
    {"-fshort-double", nullptr, "gone from gcc"},
    {"-funaligned-pointers", nullptr, "gone from gcc"},
    {"-mhard-float", nullptr, "the C library is soft-float"},
    {"-Wa,-mall", nullptr, "the assembler refuses it"},
    {"-Wa,-K", nullptr, "the assembler refuses it"},
};

}  // namespace

std::string TranslateOptions(const std::string& options, bool bigEndian, std::vector<std::string>& notes)
{
    auto note = [&](const std::string& text) {
        if (std::find(notes.begin(), notes.end(), text) == notes.end())
            notes.push_back(text);
    };
    std::string out;
    size_t at = 0;
    while (at < options.size()) {
        size_t end = options.find(' ', at);
        if (end == std::string::npos)
            end = options.size();
        std::string word = options.substr(at, end - at);
        const std::string blanks = options.substr(end,
                                                  options.find_first_not_of(' ', end) == std::string::npos
                                                      ? std::string::npos
                                                      : options.find_first_not_of(' ', end) - end);
        at = end + blanks.size();
        bool keep = true;
        for (const Rewrite& r : kRewrites) {
            if (word != r.word)
                continue;
            if (r.replacement) {
                note(std::string(r.word) + " written as " + r.replacement + " (" + r.why + ")");
                word = r.replacement;
            } else {
                note(std::string(r.word) + " left out (" + r.why + ")");
                keep = false;
            }
        }
        if (bigEndian && word == "-EL") {
            note("-EL written as -EB (big-endian project)");
            word = "-EB";
        }
        if (keep)
            out += word + blanks;
        else if (word.empty())
            out += blanks;
    }
    return out;
}

}  // namespace fendrix
