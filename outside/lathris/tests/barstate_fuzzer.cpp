// Saved toolbar states and dock layouts as any bytes: decoded without a
// crash, and what decodes encodes to the same record.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lathris/bar_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    lathris::ButtonList buttons;
    std::string error;
    if (lathris::DecodeButtons(bytes, buttons, error) && lathris::EncodeButtons(buttons) != bytes)
        std::abort();
    lathris::DockState state;
    if (lathris::DecodeDockState(bytes, state, error) && lathris::EncodeDockState(state) != bytes)
        std::abort();
    // The same bytes behind a valid header reach the button parser's body.
    std::string framed = std::string("ZKTB\x01\x00", 6) + bytes;
    lathris::DecodeButtons(framed, buttons, error);
    return 0;
}
