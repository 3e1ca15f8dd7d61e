// Any bytes as the option pages' saved states: load, store, load again; the
// two loads store the same bytes, and no load reads past the given length.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "buildtools/page_set.h"

namespace {

std::vector<uint8_t> Store(fendrix::PageSet& pages)
{
    CompilerInfo info;
    pages.Store(info);
    return {info.pageState.begin(), info.pageState.begin() + info.pageStateLength};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input in a block of its own size: a read past it is the sanitizer's.
    const size_t n = std::min(size, kPageStateSize);
    const std::unique_ptr<uint8_t[]> bytes(new uint8_t[n]);
    std::memcpy(bytes.get(), data, n);

    fendrix::ModuleState state;
    fendrix::PageSet first(state);
    first.Load(bytes.get(), n, state);
    const std::vector<uint8_t> stored = Store(first);
    if (stored.size() > kPageStateSize)
        std::abort();

    auto again = std::make_unique<CompilerInfo>();
    std::copy(stored.begin(), stored.end(), again->pageState.begin());
    again->pageStateLength = static_cast<uint32_t>(stored.size());
    fendrix::ModuleState state2;
    fendrix::PageSet second(state2);
    second.Load(*again, state2);
    if (Store(second) != stored || state2.includeDirs != state.includeDirs)
        std::abort();
    return 0;
}
