// The configured processor: name, byte order, family, type text.
#include <algorithm>
#include <cstring>
#include <strings.h>

#include "cpu_model.h"
#include "vexlor/vexlor.h"

using namespace vexlor;

namespace {

// Stack size for images that bring no stack of their own.
constexpr int DEFAULT_STACK_SIZE = 0x10000;
constexpr size_t CPU_TYPE_MAX = 31;
constexpr size_t INSERT_OUTPUT = 128;

bool Configured()
{
    return Model().configured;
}

void CopyText(char* out, const std::string& text, size_t max)
{
    const size_t n = std::min(text.size(), max);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

}  // namespace

extern "C" {

int ProcReturnByteOrder(int* order)
{
    if (!order || !Configured())
        return VEXLOR_NOT_CONFIGURED;
    *order = Model().byteOrder != 0;
    return 0;
}

int ProcDefaultStackSize(int* size)
{
    if (!size)
        return VEXLOR_NOT_CONFIGURED;
    *size = DEFAULT_STACK_SIZE;
    return 0;
}

int ProcReturnProcessorName(char* buffer)
{
    if (!buffer || !Configured())
        return VEXLOR_NOT_CONFIGURED;
    CopyText(buffer, Model().processorName, PROCESSOR_NAME_MAX);
    return 0;
}

int ProcInsertSpecificProcessor(const char* pattern, char* out)
{
    if (!pattern || !out || !Configured())
        return VEXLOR_NOT_CONFIGURED;
    // Exactly one "%s" and no other conversion.
    const char* slot = std::strstr(pattern, "%s");
    if (!slot || std::strchr(slot + 2, '%') || std::strchr(pattern, '%') != slot)
        return VEXLOR_BAD_PATTERN;
    std::string text(pattern, slot);
    text += Model().processorName;
    text += slot + 2;
    if (text.size() >= INSERT_OUTPUT)
        return VEXLOR_BAD_PATTERN;
    CopyText(out, text, INSERT_OUTPUT - 1);
    return 0;
}

int ProcReturnProcFamily(DWORD* family)
{
    if (!family || !Configured())
        return VEXLOR_NOT_CONFIGURED;
    *family = strncasecmp(Model().processorName.c_str(), "ARM", 3) == 0 ? VEXLOR_FAMILY_ARM : VEXLOR_FAMILY_UNKNOWN;
    return 0;
}

// The part of the processor name before the first '-': "ARM7TDMI" of
// "ARM7TDMI-KS32C50100".
int ProcGetCpuType(char* buffer)
{
    if (!buffer || !Configured())
        return VEXLOR_NOT_CONFIGURED;
    const std::string& name = Model().processorName;
    CopyText(buffer, name.substr(0, name.find('-')), CPU_TYPE_MAX);
    return 0;
}

}  // extern "C"
