#include "name_index.h"

#include <cctype>

namespace quinar {

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

bool SameName(std::string_view a, std::string_view b, bool caseSensitive)
{
    if (a.size() != b.size())
        return false;
    if (caseSensitive)
        return a == b;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view StripSymbolMark(std::string_view name)
{
    if (!name.empty() && name.front() == '#')
        name.remove_prefix(1);
    return name;
}

std::string_view FilePart(std::string_view path)
{
    size_t cut = path.find_last_of("/\\:");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

void NameIndex::Add(std::string_view name, NameRef ref)
{
    if (!name.empty())
        map_[FoldCase(name)].push_back(ref);
}

}  // namespace quinar
