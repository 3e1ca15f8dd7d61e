// The clock of the script server's Wait, in milliseconds; tests put in
// their own to cover long waits at once.
#pragma once

#include <cstdint>
#include <functional>

namespace scriptsrv {

using WaitClock = std::function<int64_t()>;
// Installs a clock (empty: the steady clock); returns the previous one.
WaitClock SetWaitClock(WaitClock clock);

}  // namespace scriptsrv
