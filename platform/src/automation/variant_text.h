// Numbers and dates as text, by the automation conversion rules: doubles
// with 15 significant digits, singles with 7, dates as M/D/YYYY with the
// time as H:MM:SS AM/PM (either part alone when the other is zero).
#pragma once

#include <string>
#include <string_view>

#include "platform/automation.h"

namespace zk::automation {

std::string FormatDouble(double value, int digits);
std::string FormatDate(DATE value);

// S_OK, DISP_E_TYPEMISMATCH for text that is no number, DISP_E_OVERFLOW for
// one beyond a double's range.
HRESULT ParseNumber(std::string_view text, double* value);
// S_OK or DISP_E_TYPEMISMATCH. Accepts what FormatDate writes, and the
// ISO form YYYY-MM-DD[ HH:MM[:SS]].
HRESULT ParseDate(std::string_view text, DATE* value);

}  // namespace zk::automation
