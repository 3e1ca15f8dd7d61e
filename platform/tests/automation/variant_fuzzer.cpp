// Arbitrary text through every conversion: no crash, no leak, no object
// left alive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/automation.h"

namespace {

const VARTYPE kTargets[] = {VT_EMPTY, VT_NULL, VT_I2,       VT_I4,  VT_R4,      VT_R8,   VT_DATE,
                            VT_BSTR,  VT_BOOL, VT_DISPATCH, VT_UI1, VT_UNKNOWN, VT_ERROR};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocStringLen(reinterpret_cast<const char*>(data), static_cast<UINT>(size));
    for (VARTYPE to : kTargets) {
        VARIANT out;
        VariantInit(&out);
        if (SUCCEEDED(VariantChangeType(&out, &text, 0, to))) {
            // Integers go to text and back unchanged. (Doubles need not: the
            // 15 digits of the text may round past the largest double.)
            VARIANT back;
            VariantInit(&back);
            const bool integer = to == VT_I2 || to == VT_I4 || to == VT_UI1 || to == VT_BOOL;
            if (integer &&
                (FAILED(VariantChangeType(&back, &out, 0, VT_BSTR)) || FAILED(VariantChangeType(&back, &back, 0, to)) ||
                 back.lVal != out.lVal))
                std::abort();
            VariantClear(&back);
        }
        VariantClear(&out);
    }
    VariantClear(&text);
    if (zk::automation::LiveObjects() != 0)
        std::abort();
    return 0;
}
