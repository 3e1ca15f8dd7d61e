// The small records the debugger keeps for loaded modules, functions, lines
// and disassembly blocks, each creatable by its run-time class name, and the
// process-wide loaded-module list.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "emu_types.h"
#include "platform/runtime_class.h"
#include "win_types.h"

namespace appdebug {

using CObList = std::list<CObject*>;

// A named node whose child objects it owns (the whole tree goes with it).
class CSourceData : public CObject {
public:
    CSourceData() : m_children(std::make_unique<CObList>()) {}
    ~CSourceData() override;
    std::string m_name;
    std::unique_ptr<CObList> m_children;
    DECLARE_DYNCREATE(CSourceData)
};

class CSourceAttr : public CObject {
public:
    uint32_t m_word1 = 0, m_word2 = 0, m_word3 = 0;
    DECLARE_DYNCREATE(CSourceAttr)
};

// One disassembly line: label, address, code bytes in hexadecimal and the
// instruction.
class CAssemblyCode : public CObject {
public:
    std::string m_label, m_address, m_code, m_instruction;
    DECLARE_DYNCREATE(CAssemblyCode)
};

// One disassembly fill: its mode (-1 when made) and its lines, deleted with it.
class CAssemblyData : public CObject {
public:
    CAssemblyData() : m_lines(std::make_unique<CObList>()) {}
    ~CAssemblyData() override;
    int32_t m_mode = -1;
    std::unique_ptr<CObList> m_lines;  // CAssemblyCode records
    DECLARE_DYNCREATE(CAssemblyData)
};

class CModuleDesc : public CObject {
public:
    uint32_t m_word = 0;
    DECLARE_DYNCREATE(CModuleDesc)
};

// A loaded module: the symbol library's handle, its source name, its code
// range (space 1).
class CModuleInfo : public CObject {
public:
    uint32_t m_handle = 0;
    std::string m_name;
    ADDR m_start{};
    ADDR m_end{};
    DECLARE_DYNCREATE(CModuleInfo)
};

class CFuncInfo : public CObject {
public:
    uint32_t m_word = 0;
    std::string m_name;
    ADDR m_start{};
    ADDR m_end{};
    DECLARE_DYNCREATE(CFuncInfo)
};

class CLineInfo : public CObject {
public:
    uint32_t m_words[6] = {};
    DECLARE_DYNCREATE(CLineInfo)
};

// The loaded-module list: the records of the loaded image's modules in the
// symbol library's order, and beside them the resolved source path of each
// (empty: not resolved yet).
class LoadedModuleList {
public:
    LoadedModuleList() = default;
    ~LoadedModuleList() { Clear(); }
    LoadedModuleList(const LoadedModuleList&) = delete;
    LoadedModuleList& operator=(const LoadedModuleList&) = delete;

    // Deletes every record and empties both arrays.
    void Clear();
    // Clear, then one record per module of the symbol library whose
    // information reads and whose start is not above its end.
    void Rebuild();

    size_t Count() const { return modules_.size(); }
    CModuleInfo* Module(size_t i) const { return modules_[i]; }
    std::string& ResolvedPath(size_t i) { return paths_[i]; }
    const std::vector<CModuleInfo*>& Modules() const { return modules_; }

private:
    std::vector<CModuleInfo*> modules_;
    std::vector<std::string> paths_;
};

// The process-wide list.
LoadedModuleList& LoadedModules();

// The factor by which the disassembly view multiplies (lines per page + 4)
// for its backward page fill.
int AsmColumnUnit();

}  // namespace appdebug
