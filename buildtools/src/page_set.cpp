#include "buildtools/page_set.h"

#include <algorithm>
#include <cstring>

#include "buildtools/options.h"

namespace fendrix {

PageSet::PageSet(const ModuleState& state)
    : general(state), pages_{&general,      &assembler, &asmWarn, &compiler,    &warning,    &debugOpt,
                             &preprocessor, &codeGen,   &libLink, &linkOptions, &linkListing}
{}

void PageSet::Store(CompilerInfo& info)
{
    linkListing.includeDirs = preprocessor.includes;
    constexpr size_t kLimits[][2] = {{4096, 4096}, {1024, 64}, {512, 32}, {256, 16}, {128, 8}, {64, 4}, {16, 0}};
    for (size_t i = 0; i < std::size(kLimits); ++i) {
        PageWriter out(kLimits[i][0], kLimits[i][1]);
        for (const CBasePropertyPage* page : pages_)
            page->Store(out);
        if (out.Bytes().size() <= kPageStateSize || i + 1 == std::size(kLimits)) {
            const size_t n = std::min(out.Bytes().size(), kPageStateSize);
            std::memcpy(info.pageState.data(), out.Bytes().data(), n);
            info.pageStateLength = static_cast<uint32_t>(n);
            return;
        }
    }
}

size_t PageSet::Load(const CompilerInfo& info, ModuleState& state)
{
    return Load(info.pageState.data(), std::min<size_t>(info.pageStateLength, kPageStateSize), state);
}

size_t PageSet::Load(const uint8_t* bytes, size_t size, ModuleState& state)
{
    PageReader in(bytes, size);
    size_t read = 0;
    while (read < pages_.size() && pages_[read]->Load(in, state))
        ++read;
    if (read == pages_.size())
        preprocessor.includes = linkListing.includeDirs;
    return read;
}

std::string PageSet::Validate() const
{
    for (const CBasePropertyPage* page : pages_) {
        std::string refusal = page->Validate();
        if (!refusal.empty())
            return refusal;
    }
    return {};
}

PageTexts PageSet::Apply(ModuleState& state)
{
    PageTexts texts;
    for (CBasePropertyPage* page : pages_)
        page->Apply(texts, state);
    return texts;
}

std::string JoinCompilerOptions(const PageTexts& t)
{
    return t.compiler + " " + t.warning + "  " + t.debugOpt + " " + t.codeGen;
}

std::string JoinAssemblerOptions(const PageTexts& t)
{
    std::string line = t.assembler;
    AppendOption(line, t.asmWarn);
    return line;
}

std::string JoinLinkerOptions(const PageTexts& t, bool linkMap)
{
    std::string line;
    AppendOption(line, t.linkOptions);
    AppendOption(line, t.libLink);
    AppendOption(line, "-g -n -N");
    if (linkMap)
        AppendOption(line, CPageLinkListing::kMapSwitch);
    return line;
}

}  // namespace fendrix
