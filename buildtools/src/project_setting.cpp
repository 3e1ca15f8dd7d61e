// `GetProjectSetting`: the settings sheet over the record, and the refresh of
// the module state from the saved page states behind `TCUpdateLinkModules`.
#include <algorithm>

#include "buildtools/link_script.h"
#include "buildtools/makefile_writer.h"
#include "buildtools/page_set.h"
#include "buildtools/paths.h"

namespace fendrix {

namespace {
SheetRun& Run()
{
    static SheetRun run;
    return run;
}
}  // namespace

void SetSheetRun(SheetRun run)
{
    Run() = std::move(run);
}

int ProjectSetting(CompilerInfo& info)
{
    ModuleState& state = Module::Instance().State();
    if (info.useDefaults) {
        if (!info.outputPath.empty()) {
            state.outputDir = FolderOf(info.outputPath);
            state.outputName = FileNameOf(info.outputPath);
        } else {
            state.outputDir = FolderOf(info.projectPath);
            state.outputName = WithExtension(FileNameOf(info.projectPath), "elf");
        }
    }
    state.customBuild = info.customBuild != 0;
    state.userLinkScript = false;
    PageSet pages(state);
    pages.libLink.Clear();
    if (!info.useDefaults)
        pages.Load(info, state);

    const int result = Run() ? Run()(pages) : 2;
    if (result != 1)
        return result;

    const PageTexts texts = pages.Apply(state);
    info.projectType = pages.general.projectType;
    // No folder gives the bare name (never a path at the file system's root).
    info.outputPath = state.outputDir;
    if (!info.outputPath.empty() && info.outputPath.back() != '/')
        info.outputPath += '/';
    info.outputPath += state.outputName;
    info.useDefaults = 0;
    info.customBuild = state.customBuild ? 1 : 0;
    pages.Store(info);
    info.compilerOptions = JoinCompilerOptions(texts);
    info.assemblerOptions = JoinAssemblerOptions(texts);
    info.linkerOptions = JoinLinkerOptions(texts, pages.linkListing.generateMap != 0);
    if (!info.customBuild) {
        WriteMakefile(info, state);
        if (!state.userLinkScript)
            WriteLinkScript(info.projectPath, state.topOfMemory);
    } else {
        info.customBuildFile = pages.general.batchFile;
    }
    return result;
}

void RefreshFromPages(const CompilerInfo& info, ModuleState& state)
{
    PageSet pages(state);
    const size_t read = pages.Load(info, state);
    if (!pages.preprocessor.Text().empty())
        state.definitions = pages.preprocessor.Text();
    if (!pages.general.outputName.empty())
        state.outputName = pages.general.outputName;
    const CPageLinkListing& listing = pages.linkListing;
    if (!listing.stackTop.empty())
        state.topOfMemory = listing.stackTop;
    state.customBuild = pages.general.useBatch != 0;
    state.userLinkScript = listing.userLd != 0;
    state.userLinkScriptPath = listing.ldPath;
    // The byte order and the section addresses the makefile passes on, when
    // their pages were saved (else they stay as the module holds them).
    const auto saved = [&](const CBasePropertyPage& page) {
        const auto& all = pages.Pages();
        return static_cast<size_t>(std::find(all.begin(), all.end(), &page) - all.begin()) < read;
    };
    if (saved(pages.compiler))
        state.bigEndian = pages.compiler.Radios()[0].index == 1;
    if (!saved(listing))
        return;
    for (const auto& [from, to] :
         {std::pair{&listing.textSection, &state.textAddress}, std::pair{&listing.dataSection, &state.dataAddress},
          std::pair{&listing.bssSection, &state.bssAddress}})
        if (!from->empty())
            *to = *from;
}

}  // namespace fendrix
