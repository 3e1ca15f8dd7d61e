// The one table of numbered texts.
#include <cstdio>
#include <iterator>

#include "morwen/morwen.h"

namespace {

struct ErrorText {
    UINT id;
    const char* text;
};

constexpr ErrorText kTexts[] = {
    {ERR_CAPTION, "Zelkor for Arm"},
    {ERR_BP_LIST_WHILE_RUNNING, "The breakpoint list can only be opened while the target is stopped."},
    {ERR_CONDITION_OPERATOR, "The condition has no valid comparison (use <, <=, <>, ==, >= or >)."},
    {ERR_CONDITION_TOO_LONG, "A condition may have at most 9 clauses."},
    {ERR_MEM_BAD_PATTERN, "Invalid pattern: use a quoted text or up to 32 values of the access size."},
    {ERR_MEM_BAD_ADDRESS, "Invalid address."},
    {ERR_MEM_FOUND_AT, "Found at %s"},
    {ERR_MEM_LIBRARY, "The memory library refused the operation."},
    {ERR_MEM_CHECKSUM, "Checksum: 0x%04X"},
    {ERR_MEM_FAILED, "The operation failed."},
    {ERR_MEM_DESTINATION_RANGE, "The destination range is out of the address space."},
    {ERR_MEM_COPY_DONE, "Copy done."},
    {ERR_MEM_FILL_FAILED, "Fill failed."},
    {ERR_MEM_FILL_DONE, "Fill done."},
};

}  // namespace

extern "C" int ErrGetText(UINT id, ZkString* text)
{
    for (const ErrorText& e : kTexts) {
        if (e.id == id) {
            if (text)
                *text = e.text;
            return 1;
        }
    }
    if (text) {
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "Error 0x%X.", id);
        *text = fallback;
    }
    return 0;
}
