#include "shell/macro_files.h"

#include <utility>

#include "morwen/morwen.h"
#include "platform/file.h"
#include "platform/win32.h"

namespace shell {

namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view TrimLeft(std::string_view s)
{
    const size_t first = s.find_first_not_of(kBlanks);
    return first == std::string_view::npos ? std::string_view{} : s.substr(first);
}

std::string_view Trim(std::string_view s)
{
    s = TrimLeft(s);
    const size_t last = s.find_last_not_of(kBlanks);
    return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

std::string ReadWhole(const std::string& path)
{
    platform::CFile file(path.c_str(), platform::CFile::modeRead);
    std::string text;
    char buffer[65536];
    for (;;) {
        const UINT n = file.Read(buffer, sizeof buffer);
        if (n == 0)
            break;
        text.append(buffer, n);
    }
    return text;
}

}  // namespace

CMacroFileReader::CMacroFileReader(const std::string& path) : text_(ReadWhole(path)) {}

CMacroFileReader CMacroFileReader::FromText(std::string text)
{
    CMacroFileReader reader;
    reader.text_ = std::move(text);
    return reader;
}

bool CMacroFileReader::ReadString(std::string_view& line)
{
    if (pos_ >= text_.size())
        return false;
    const size_t end = text_.find('\n', pos_);
    const size_t stop = end == std::string::npos ? text_.size() : end;
    line = std::string_view(text_).substr(pos_, stop - pos_);
    pos_ = end == std::string::npos ? text_.size() : end + 1;
    return true;
}

int CMacroFileReader::FirstSub(MacroSub& record)
{
    pos_ = 0;
    inside_ = false;
    unterminated_ = false;
    return NextSub(record);
}

int CMacroFileReader::NextSub(MacroSub& record)
{
    std::string_view line;
    while (ReadString(line)) {
        line = TrimLeft(line);
        if (line.substr(0, 4) == "Sub ") {
            record.name = Trim(line.substr(4));
            inside_ = true;
            continue;
        }
        const size_t blank = line.find(' ');
        if (blank != std::string_view::npos && line.substr(0, blank) == "End" &&
            TrimLeft(line.substr(blank + 1)).substr(0, 3) == "Sub") {
            // A closing line without its opening one names no procedure.
            if (inside_) {
                inside_ = false;
                return 1;
            }
        }
    }
    if (inside_) {
        inside_ = false;
        unterminated_ = true;
        ReportError(ERR_MACRO_NO_END_SUB, ERR_CAPTION, MB_ICONERROR);
    }
    return 0;
}

std::vector<std::string> MacroProcedures(CMacroFileReader& reader)
{
    std::vector<std::string> names;
    MacroSub record;
    for (int found = reader.FirstSub(record); found; found = reader.NextSub(record))
        names.push_back(record.name);
    return names;
}

MacroLoad ReadMacroFiles(const std::vector<std::string>& files)
{
    MacroLoad load;
    try {
        for (const std::string& path : files) {
            std::string text = ReadWhole(path);
            load.script += text;
            // A file's last line never runs into the next file's first.
            if (!text.empty() && text.back() != '\n')
                load.script += '\n';
            CMacroFileReader reader = CMacroFileReader::FromText(std::move(text));
            for (std::string& name : MacroProcedures(reader))
                load.procedures.push_back(std::move(name));
        }
    } catch (const platform::CFileException&) {
        ReportError(ERR_MACRO_FILE_READ, ERR_CAPTION, 0);
        return MacroLoad{false, {}, {}};
    }
    return load;
}

std::string MacroFileTitle(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace shell
