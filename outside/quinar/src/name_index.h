// Names of the store's records, looked up with or without regard to case
// (the program's `Case` setting). Keys are folded to lower case; a
// case-sensitive look-up then compares the record's own name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quinar {

std::string FoldCase(std::string_view text);
bool SameName(std::string_view a, std::string_view b, bool caseSensitive);
// The name without one leading '#' (the program marks symbol names with it).
std::string_view StripSymbolMark(std::string_view name);
// The part of a path after its last '/', '\' or ':'.
std::string_view FilePart(std::string_view path);

// A reference to a record: its kind (SymKind) and position.
struct NameRef {
    uint32_t kind;
    uint32_t position;
};

class NameIndex {
public:
    void Add(std::string_view name, NameRef ref);
    void Clear() { map_.clear(); }
    // Calls visit(ref) for every record filed under the folded name, oldest
    // first, until it returns true; returns whether one did.
    template <class Visit>
    bool FindIf(std::string_view name, Visit visit) const
    {
        auto it = map_.find(FoldCase(name));
        if (it == map_.end())
            return false;
        for (const NameRef& ref : it->second)
            if (visit(ref))
                return true;
        return false;
    }

private:
    std::unordered_map<std::string, std::vector<NameRef>> map_;
};

}  // namespace quinar
