#include "ieee695_names.h"

#include <cctype>

namespace quentor::ieee695 {
namespace {

std::string_view FromFirstLetter(std::string_view name)
{
    size_t i = 0;
    while (i < name.size() && !std::isalpha(static_cast<unsigned char>(name[i])))
        ++i;
    return name.substr(i);
}

std::string_view CutAtSeparator(std::string_view name)
{
    const size_t at = name.size() > 1 ? name.find("__", 1) : std::string_view::npos;
    return at == std::string_view::npos ? name : name.substr(0, at);
}

// "__ct__" + decimal length + class name: the class name, or empty when the
// text does not hold one.
std::string_view ClassOf(std::string_view rest)
{
    size_t digits = 0;
    size_t length = 0;
    while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])) && digits < 6)
        length = length * 10 + static_cast<size_t>(rest[digits++] - '0');
    if (digits == 0 || length == 0 || length > rest.size() - digits)
        return {};
    return rest.substr(digits, length);
}

}  // namespace

std::string CodeNameOf(std::string_view name)
{
    for (const auto& [prefix, tilde] : {std::pair{std::string_view("__ct__"), false}, {"__dt__", true}}) {
        if (name.starts_with(prefix)) {
            const std::string_view cls = ClassOf(name.substr(prefix.size()));
            if (!cls.empty())
                return (tilde ? "~" : "") + std::string(cls);
        }
    }
    std::string_view cut = CutAtSeparator(name);
    if (cut.starts_with("__sti") || cut.starts_with("__std"))
        cut = FromFirstLetter(cut);
    return std::string(cut);
}

std::string DataNameOf(std::string_view name)
{
    if (name.starts_with("__vtbl") || name.starts_with("__ptbl"))
        name = FromFirstLetter(name);
    return std::string(CutAtSeparator(name));
}

std::string MemberNameOf(std::string_view name)
{
    return std::string(CutAtSeparator(name));
}

std::string ModuleNameOf(std::string_view blockName)
{
    const size_t slash = blockName.find_last_of("/:\\");
    std::string_view file = slash == std::string_view::npos ? blockName : blockName.substr(slash + 1);
    if (const size_t dot = file.rfind('.'); dot != std::string_view::npos)
        file = file.substr(0, dot);
    return std::string(file);
}

std::string_view PlainName(std::string_view name)
{
    return name.starts_with('_') ? name.substr(1) : name;
}

}  // namespace quentor::ieee695
