// The settings sheet's pages as one set: the eleven option pages in the order
// in which they are added to the sheet (and stored in `pageState`), their tree
// codes, and the joined option lines of the record.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "buildtools/option_pages.h"
#include "compiler_info.h"

namespace fendrix {

class PageSet {
public:
    explicit PageSet(const ModuleState& state);

    CPageTAC general;
    CPageAs assembler;
    CPageAsWarn asmWarn;
    CPageAtpcsC compiler;
    CPageWarningC warning;
    CPageDebugOptC debugOpt;
    CPagePreC preprocessor;
    CPageCodeGenC codeGen;
    CPageLinkLayout libLink;
    CPageLinkOption linkOptions;
    CPageLinkListing linkListing;

    // Pages in sheet order, each with its tree code.
    const std::vector<CBasePropertyPage*>& Pages() const { return pages_; }
    static constexpr int kTreeCodes[] = {1, 4, 2, 4, 1, 1, 1, 2, 4, 1, 2};

    // Stores every page into the record's `pageState` (never more than its
    // 4096 bytes: long texts and lists are cut until the states fit).
    void Store(CompilerInfo& info);
    // Reads the pages back from the record's first `pageStateLength` bytes;
    // a damaged or newer page keeps what it held, and the pages after it
    // are not read. The include list goes into `state`. Returns the number
    // of pages read.
    size_t Load(const CompilerInfo& info, ModuleState& state);
    size_t Load(const uint8_t* bytes, size_t size, ModuleState& state);
    // The first page's refusal, "" when every page may be left.
    std::string Validate() const;
    // Applies every page into the module state and returns their texts.
    PageTexts Apply(ModuleState& state);

private:
    std::vector<CBasePropertyPage*> pages_;
};

// The record's option lines from the applied texts.
std::string JoinCompilerOptions(const PageTexts& t);
std::string JoinAssemblerOptions(const PageTexts& t);
std::string JoinLinkerOptions(const PageTexts& t, bool linkMap);

// The modal run of the sheet: edits the pages, answers 1 (OK) or 2 (cancel).
// The dialogs install the real one; without one the answer is 2.
using SheetRun = std::function<int(PageSet&)>;
void SetSheetRun(SheetRun run);

// `GetProjectSetting` and `TCUpdateLinkModules` step 1 on the library's module.
int ProjectSetting(CompilerInfo& info);
void RefreshFromPages(const CompilerInfo& info, ModuleState& state);

}  // namespace fendrix
