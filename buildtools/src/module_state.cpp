#include "buildtools/module_state.h"

#include "buildtools/paths.h"

namespace fendrix {

Module& Module::Instance()
{
    static Module module;
    return module;
}

void Module::RefreshFrom(const CompilerInfo& info)
{
    if (reader_)
        reader_->Refresh(info, state_);
    if (state_.outputDir.empty())
        state_.outputDir = FolderOf(info.outputPath);
    if (state_.outputName.empty())
        state_.outputName = FileNameOf(info.outputPath);
    if (state_.projectDir.empty())
        state_.projectDir = FolderOf(info.projectPath);
}

void Module::TakeFoldersFrom(const CompilerInfo& info)
{
    state_.outputDir = FolderOf(info.outputPath);
    state_.outputName = FileNameOf(info.outputPath);
    state_.projectDir = FolderOf(info.projectPath);
}

}  // namespace fendrix
