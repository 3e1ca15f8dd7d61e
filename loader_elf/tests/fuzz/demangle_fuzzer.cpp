// The old-scheme C++ demangler over any text: no crash, no read outside the
// text, and a result for every input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "demangle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)tarnel::DemangleSymbol(text);
    return 0;
}
