#include "source_rules.h"

#include <cctype>

namespace editor {
namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

int LanguageOfPath(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return LANG_OTHER;
    const std::string ext = Lower(path.substr(dot));
    struct Row {
        const char* ext;
        int language;
    };
    static constexpr Row kRows[] = {
        {".c", LANG_C},           {".c51", LANG_C},       {".h", LANG_C},           {".inc", LANG_C},
        {".cpp", LANG_CPP},       {".cxx", LANG_CPP},     {".hxx", LANG_CPP},       {".mac", LANG_MACRO},
        {".asm", LANG_ASSEMBLER}, {".s", LANG_ASSEMBLER}, {".a51", LANG_ASSEMBLER}, {".s03", LANG_ASSEMBLER},
        {".plm", LANG_PLM},
    };
    for (const Row& row : kRows)
        if (ext == row.ext)
            return row.language;
    return LANG_OTHER;
}

TextColourMode ColourModeOfLanguage(int language)
{
    switch (language) {
    case LANG_MACRO: return TCM_MACRO;
    case LANG_ASSEMBLER: return TCM_ASSEMBLER;
    case LANG_PLM: return TCM_PLM;
    case LANG_OTHER: return TCM_OTHER;
    default: return TCM_C_SOURCE;  // C, C++ and the listings
    }
}

std::string LineNumberFormat(std::size_t lineCount)
{
    int digits = 1;
    for (std::size_t n = lineCount; n >= 10; n /= 10)
        ++digits;
    return "%" + std::to_string(digits) + "d";
}

std::string ProposedFileName(const std::string& title, const std::string& extension)
{
    std::string name = title.substr(0, title.find_first_of(" #%;/\\"));
    for (char& c : name)
        if (c == '*')
            c = '0';
    return name + extension.substr(0, extension.find_first_of(" ;,:"));
}

}  // namespace editor
