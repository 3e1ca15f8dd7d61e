// The queries over the image loaded last.
#include "load_state.h"
#include "tarnel.h"

using namespace tarnel;

extern "C" {

LdrResult LdrGetStartPC_ELF(ADDR* start)
{
    if (start)
        *start = ADDR{State().startPC, ADDR_SPACE_TARGET};
    return LDR_OK;
}

LdrResult LdrGetStack_ELF(int* top, int* size, int* zero, int* step)
{
    const ElfLoadState& s = State();
    if (top)
        *top = static_cast<int>(s.stack.base + s.stack.size);
    if (size)
        *size = static_cast<int>(s.stack.size);
    // The stack grows down on ARM; the step tells the stack walk so.
    int direction = 0;
    if (s.compilerKind <= 6)
        direction = s.image.header.machine == EM_ARM ? -4 : 4;
    else if (s.compilerKind == COMPILER_ARM)
        direction = -4;
    if (direction != 0) {
        if (zero)
            *zero = 0;
        if (step)
            *step = direction;
    }
    return LDR_OK;
}

int LdrIsBigEndian_ELF()
{
    return State().bigEndian ? 1 : 0;
}

int LdrGetMachineType()
{
    return static_cast<int>(State().compilerKind);
}

void ResetOnCloseELF()
{
    ForgetLoadedImage();
}

int LdrIsInCode(unsigned)
{
    return 1;
}

LdrResult LdrGetClsFuncRange(const char* className, DWORD range[2])
{
    if (!range)
        return LDR_OK;
    const ClassRange r = State().tables.ClassRangeOf(className ? className : "");
    range[0] = r.low;
    range[1] = r.high;
    return LDR_OK;
}

void LdrClearClsFuncRange()
{
    State().tables.classRanges.clear();
}

int LdrGetSrcInfo(const char* name, const DWORD* moduleHandle, ZkString* path)
{
    if (!moduleHandle)
        return 1;
    const SourceFileRecord* record = State().tables.SourceFile(*moduleHandle);
    if (!record)
        return 1;
    if (name && path && record->resolved && record->baseName == name)
        *path = record->resolvedPath;
    return 0;
}

}  // extern "C"
