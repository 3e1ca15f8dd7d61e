// The one table of numbered texts.
#include <cstdio>
#include <iterator>

#include "emu_types.h"
#include "morwen/morwen.h"

namespace {

struct ErrorText {
    UINT id;
    const char* text;
};

constexpr ErrorText kTexts[] = {
    {ERR_CAPTION, "Zelkor for Arm"},
    {ERR_BP_LIST_WHILE_RUNNING, "The target is running: stop it first."},
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
    {ERR_RESET_QUESTION, "Reset the target?"},
    {ERR_USER_IMAGES, "The user button images (\"User Buttons.bmp\") could not be loaded."},
    {ERR_NO_TIMER, "The main window could not start its timer."},
    {ERR_TARGET_LOST, "The connection to the target is lost. Abort closes the program."},
    {ERR_CLOSE_SHELL_BUSY, "The command shell is busy: wait until its command is done, then close."},
    {ERR_CLOSE_RUN_ACTIVE, "A run command is active: halt the target, then close."},
    {ERR_CLOSE_SCRIPT, "A script is running: stop it, then close."},
    {ERR_BAD_PC_TEXT, "The text is not an address: type the new program counter."},
    {ERR_MACRO_NO_NAME, "Choose a macro to run."},
    {ERR_MACRO_NO_END_SUB, "The macro file ends inside a procedure: its \"End Sub\" is missing."},
    {ERR_MACRO_FILE_READ, "A macro file could not be read."},
    // Run-control results (EmuResult) that are shown by their number.
    {static_cast<UINT>(EMU_NO_BACKEND), "The target library is not loaded."},
    {static_cast<UINT>(EMU_REFUSED), "The target refused the command."},
    {static_cast<UINT>(EMU_ESC_STEPPING), "The step was stopped by Esc."},
    {static_cast<UINT>(EMU_TARGET_LOST), "The target does not answer."},
    {static_cast<UINT>(EMU_LINK_RECEIVE), "The target's answer was not received."},
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
