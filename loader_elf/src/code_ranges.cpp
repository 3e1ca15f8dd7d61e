#include "code_ranges.h"

#include <algorithm>
#include <cctype>

#include "load_state.h"
#include "tarnel.h"

namespace tarnel {

std::optional<CodeState> MappingSymbolState(std::string_view name)
{
    if (name.size() < 2 || name[0] != '$' || (name.size() > 2 && name[2] != '.'))
        return std::nullopt;
    switch (std::tolower(static_cast<unsigned char>(name[1]))) {
    case 'a': return CodeState::Arm;
    case 't': return CodeState::Thumb;
    case 'd': return CodeState::Data;
    default: return std::nullopt;
    }
}

void CodeRanges::Clear()
{
    armStarts_.clear();
    thumbStarts_.clear();
    mappings_.clear();
    functions_.clear();
    reach_.clear();
    thumbRanges_.clear();
}

void CodeRanges::AddMappingSymbol(uint32_t address, CodeState state, uint32_t sectionLast)
{
    mappings_.push_back({address, std::max(address, sectionLast), state});
}

void CodeRanges::AddFunction(uint32_t first, uint32_t last, bool thumb)
{
    if (first <= last)
        functions_.push_back({first, last, thumb});
}

void CodeRanges::Sort(const std::vector<ThumbRange>& thumbRanges)
{
    std::sort(armStarts_.begin(), armStarts_.end());
    std::sort(thumbStarts_.begin(), thumbStarts_.end());
    std::stable_sort(mappings_.begin(), mappings_.end(), [](const Mapping& a, const Mapping& b) {
        return a.address != b.address ? a.address < b.address : a.state < b.state;
    });
    std::stable_sort(functions_.begin(), functions_.end(),
                     [](const Function& a, const Function& b) { return a.first < b.first; });
    reach_.resize(functions_.size());
    uint32_t reach = 0;
    for (size_t i = 0; i < functions_.size(); ++i)
        reach_[i] = reach = std::max(reach, functions_[i].last);

    thumbRanges_.clear();
    for (const ThumbRange& r : thumbRanges)
        if (r.start <= r.end)
            thumbRanges_.push_back(r);
    std::sort(thumbRanges_.begin(), thumbRanges_.end(),
              [](const ThumbRange& a, const ThumbRange& b) { return a.start < b.start; });
    size_t kept = 0;
    for (const ThumbRange& r : thumbRanges_) {
        if (kept > 0 && thumbRanges_[kept - 1].end >= r.start - (r.start > 0 ? 1 : 0))
            thumbRanges_[kept - 1].end = std::max(thumbRanges_[kept - 1].end, r.end);
        else
            thumbRanges_[kept++] = r;
    }
    thumbRanges_.resize(kept);
}

// The nearest start at or below the address in each table; Thumb wins when
// both tables hold the same start.
bool CodeRanges::StartTablesSayThumb(uint32_t address) const
{
    auto nearestBelow = [address](const std::vector<uint32_t>& starts) -> std::optional<uint32_t> {
        auto it = std::upper_bound(starts.begin(), starts.end(), address);
        if (it == starts.begin())
            return std::nullopt;
        return *(it - 1);
    };
    const std::optional<uint32_t> thumb = nearestBelow(thumbStarts_);
    if (!thumb)
        return false;
    const std::optional<uint32_t> arm = nearestBelow(armStarts_);
    return !arm || *thumb >= *arm;
}

bool CodeRanges::InThumbRange(uint32_t address) const
{
    auto it = std::upper_bound(thumbRanges_.begin(), thumbRanges_.end(), address,
                               [](uint32_t a, const ThumbRange& r) { return a < r.start; });
    return it != thumbRanges_.begin() && address <= (it - 1)->end;
}

std::optional<CodeState> CodeRanges::MappedState(uint32_t address) const
{
    auto it = std::upper_bound(mappings_.begin(), mappings_.end(), address,
                               [](uint32_t a, const Mapping& m) { return a < m.address; });
    if (it == mappings_.begin() || address > (it - 1)->sectionLast)
        return std::nullopt;
    return (it - 1)->state;
}

std::optional<bool> CodeRanges::FunctionIsThumb(uint32_t address) const
{
    auto it = std::upper_bound(functions_.begin(), functions_.end(), address,
                               [](uint32_t a, const Function& f) { return a < f.first; });
    for (size_t i = static_cast<size_t>(it - functions_.begin()); i-- > 0 && reach_[i] >= address;) {
        if (functions_[i].last >= address)
            return functions_[i].thumb;
    }
    return std::nullopt;
}

bool CodeRanges::IsThumb(uint32_t address, CompilerKind kind) const
{
    if (address == 0)
        return false;
    if (kind == COMPILER_ARM)
        return StartTablesSayThumb(address);
    if (InThumbRange(address))
        return true;
    // A mapping symbol is the finest mark (an interworking veneer is a
    // Thumb function that ends in ARM code); data inside a function, such
    // as a literal pool, goes with the function.
    const std::optional<CodeState> mapped = MappedState(address);
    if (mapped && *mapped != CodeState::Data)
        return *mapped == CodeState::Thumb;
    return FunctionIsThumb(address).value_or(false);
}

CodeRanges& LoadedCodeRanges()
{
    static CodeRanges ranges;
    return ranges;
}

std::vector<CodeSpan> CodeSpansOver(uint32_t first, uint32_t last)
{
    std::vector<CodeSpan> spans;
    for (uint64_t a = first & ~1u; a <= last; a += 2) {
        const auto address = static_cast<uint32_t>(a);
        const bool thumb = LdrIsInThumbRange(address) != 0;
        if (!spans.empty() && spans.back().thumb == thumb)
            spans.back().last = address + 1;
        else
            spans.push_back({address, address + 1, thumb});
    }
    return spans;
}

}  // namespace tarnel

using namespace tarnel;

extern "C" int LdrIsInThumbRange(unsigned address)
{
    return LoadedCodeRanges().IsThumb(address, State().compilerKind) ? 1 : 0;
}

extern "C" void LdrSetThumbCode(const DWORD* ranges, unsigned count)
{
    std::vector<ThumbRange> thumb;
    thumb.reserve(count);
    for (unsigned i = 0; ranges && i < count; ++i)
        thumb.push_back({ranges[2 * i], ranges[2 * i + 1]});
    // The image is none of the ARM tools', whose start tables would answer.
    State().compilerKind = COMPILER_NONE;
    LoadedCodeRanges().Sort(thumb);
}
