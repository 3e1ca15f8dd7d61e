// Any bytes give a program or one compile error; nesting past the bound is
// a compile error, never a stack overflow.
#include <cstddef>
#include <cstdint>
#include <new>

#include "parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        auto program = zk::script::Parse(text, size > 0 && data[0] == '=');
        (void)program;
    } catch (const zk::script::ScriptError& e) {
        if (!e.compile || e.number == 0 || e.description.empty())
            __builtin_trap();
    } catch (const zk::script::RuntimeError&) {
        __builtin_trap();  // parsing raises only compile errors
    }
    return 0;
}
