#include "platform/window_host.h"

#include <algorithm>

namespace platform {

void FakeHost::SetScrollInfo(int bar, const SCROLLINFO& info)
{
    SCROLLINFO& s = bars[bar == SB_HORZ ? 0 : 1];
    if (info.fMask & SIF_RANGE) {
        s.nMin = info.nMin;
        s.nMax = info.nMax;
    }
    if (info.fMask & SIF_PAGE)
        s.nPage = info.nPage;
    if (info.fMask & SIF_POS)
        s.nPos = info.nPos;
    // The position stays inside the range less one page, as the control keeps it.
    int maxPos = s.nMax - std::max(static_cast<int>(s.nPage) - 1, 0);
    s.nPos = std::clamp(s.nPos, s.nMin, std::max(s.nMin, maxPos));
}

}  // namespace platform
