// User symbols of the command language: named 32-bit values in creation
// order. Names are matched without regard to case. Built-in symbols (those
// the simulator's init creates, "ICount") count like the others but cannot
// be deleted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zk::sim {

inline constexpr const char* kInstructionCountSymbol = "ICount";

class UserSymbols {
public:
    static constexpr size_t kMaxNameLength = 59;

    struct Symbol {
        std::string name;
        uint32_t value = 0;
        bool builtIn = false;
    };

    enum class Creation { Created, Exists, OutOfMemory };
    enum class Removal { Removed, BuiltIn, Missing };

    Symbol* Find(std::string_view name);
    const Symbol* Find(std::string_view name) const;
    Creation Create(std::string_view name, uint32_t value = 0, bool builtIn = false);
    Removal Remove(std::string_view name);
    void Clear() { symbols_.clear(); }
    const std::vector<Symbol>& All() const { return symbols_; }

private:
    std::vector<Symbol> symbols_;
};

}  // namespace zk::sim
