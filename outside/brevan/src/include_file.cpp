// The include command: runs the lines of a text file as shell lines.
//
//   include "C:\work\board init.inc"     quoted: blanks allowed
//   include "C:\work\board init.inc      the closing quote may be missing
//   include board.inc                    unquoted: the rest of the line
//
// A file that is missing, not text, or that includes itself (directly or
// further down) gives one message, and the whole include ends there.
#include <strings.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "server_state.h"

namespace brevan {

namespace {

constexpr int kMaxIncludeDepth = 16;
constexpr int kIncludeFailed = -1;

std::vector<std::string>& OpenIncludes()
{
    static std::vector<std::string> open;
    return open;
}

// Text files hold printable characters, tabs and line ends only.
bool IsText(const std::string& bytes)
{
    for (const unsigned char c : bytes)
        if (c == 0 || (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != 0x1A))
            return false;
    return true;
}

int Fail(const std::string& text)
{
    ShlPrintMessage(text.c_str(), SHL_PRINT_MESSAGE);
    return kIncludeFailed;
}

}  // namespace

std::string IncludePathOf(std::string_view rest)
{
    size_t at = 0;
    while (at < rest.size() && (rest[at] == ' ' || rest[at] == '\t'))
        ++at;
    rest.remove_prefix(at);
    if (!rest.empty() && rest[0] == '"') {
        rest.remove_prefix(1);
        const size_t close = rest.find('"');
        return std::string(rest.substr(0, close));
    }
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r' || rest.back() == '\n'))
        rest.remove_suffix(1);
    return std::string(rest);
}

int RunIncludeFile(const std::string& given)
{
    if (given.empty())
        return Fail("Include: no file given");
    std::vector<std::string>& open = OpenIncludes();
    const std::string path = platform::ResolvePathNoCase(platform::ToNativePath(given));
    for (const std::string& o : open)
        if (platform::EqualPathsNoCase(o, path))
            return Fail("Include file includes itself: " + given);
    if (open.size() >= kMaxIncludeDepth)
        return Fail("Include files nested too deep: " + given);
    std::string bytes;
    if (!platform::IsRegularFile(path) || !platform::ReadWholeFile(path, bytes, nullptr))
        return Fail("Cannot open include file: " + given);
    if (!IsText(bytes))
        return Fail("Not a text file: " + given);
    open.push_back(path);
    int result = 0;
    size_t at = 0;
    while (at < bytes.size() && result != kIncludeFailed) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t\x1A") == std::string::npos)
            continue;
        const int r = ShlExecuteCommand(line.c_str(), static_cast<int>(line.size()), nullptr, nullptr);
        // A nested include that failed has said why; the rest is not run.
        if (r == kIncludeFailed && strncasecmp(line.c_str() + line.find_first_not_of(" \t>"), "include", 7) == 0)
            result = kIncludeFailed;
    }
    open.pop_back();
    return result;
}

}  // namespace brevan
