// The debug-information readers of this library, one slot each.
#include "debug_dispatch.h"

namespace tarnel {

DebugReaders DefaultReaders()
{
    DebugReaders readers;
    return readers;
}

}  // namespace tarnel
