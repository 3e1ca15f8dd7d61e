// The kernel view's task query, which the debugger core binds at run time
// ("GetTaskInfo" in "Corvane.dll") for task-qualified breakpoints.
#pragma once

#include <cstdint>

// GetTaskInfo(code, io): 0 on success, non-zero when the kernel's thread
// list cannot be read (the block pointer is then left unset).
// - TASK_INFO_NAMES: *io receives a new block {int32 count; int32 current
//   (-1 none); count zero-terminated names one after the other}.
// - TASK_INFO_CONTROL_BLOCKS: *io receives a new block {int32 count; int32
//   current; count uint32 control-block addresses}.
// - TASK_INFO_IS_OTHER_CURRENT: io points at a uint32_t control-block
//   address (a 32-bit target address, whatever the host's pointer width);
//   the result is 1 when the kernel's current thread is another one, else 0.
// The blocks of codes 1 and 2 are made with new[] and freed by the caller
// with delete[].
using GetTaskInfoFn = int (*)(unsigned code, void** io);

inline constexpr unsigned TASK_INFO_REREAD = 0;
inline constexpr unsigned TASK_INFO_NAMES = 1;
inline constexpr unsigned TASK_INFO_CONTROL_BLOCKS = 2;
inline constexpr unsigned TASK_INFO_IS_OTHER_CURRENT = 3;
