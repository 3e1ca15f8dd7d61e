// What fendrix keeps between calls besides the host's record: the project and
// output folders, the output name and the option texts of the settings pages
// that the makefile and link-script writers read. The settings pages fill it
// through a PageStateReader from the record's saved page states.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "compiler_info.h"

namespace fendrix {

struct ModuleState {
    std::string projectDir;  // folder of the project file, no trailing separator
    std::string outputDir;   // folder of the output file, as the user gave it
    std::string outputName;  // output file name and extension

    bool bigEndian = false;
    std::string textAddress = "0x8000";
    std::string dataAddress = "0x1a000";
    std::string bssAddress = "0x30000";
    std::string topOfMemory = "0x74000";
    std::vector<std::string> includeDirs;
    std::string definitions;  // preprocessor definitions, words separated by blanks
    std::string libraries;    // extra libraries for the link line
    bool customBuild = false;
    bool userLinkScript = false;
    std::string userLinkScriptPath;
};

// Brings the module state's option texts up to date from a record's saved
// page states (the settings pages implement it; without one nothing changes).
class PageStateReader {
public:
    virtual ~PageStateReader() = default;
    virtual void Refresh(const CompilerInfo& info, ModuleState& state) = 0;
};

// The library's one module state and its page-state reader.
class Module {
public:
    static Module& Instance();

    ModuleState& State() { return state_; }
    void SetPageStateReader(std::shared_ptr<PageStateReader> reader) { reader_ = std::move(reader); }
    // Refreshes the option texts from the record, then fills an empty output
    // folder or name from `outputPath`.
    void RefreshFrom(const CompilerInfo& info);
    // Output folder and name from `outputPath`, project folder from `projectPath`.
    void TakeFoldersFrom(const CompilerInfo& info);
    void Reset() { state_ = ModuleState{}; }

private:
    ModuleState state_;
    std::shared_ptr<PageStateReader> reader_;
};

}  // namespace fendrix
