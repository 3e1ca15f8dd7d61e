// The library's one description and its model, for the window layer and the
// tests; the exports of halvek.h forward to it.
#pragma once

#include <string>

#include "peri_model.h"

namespace halvek {

PeriModel& TheModel();
// The main frame kept by PeriOpenWindow, and the window's handle.
HWND MainFrame();
HWND PeripheralWindow();
// Where a description file is opened: as named from the current folder,
// else in the library's own folder; each with the case of its components
// matched when it differs. Empty when neither exists.
std::string FindDescriptionFile(const std::string& name);
// A row of the window's list, register addresses as dolmer writes them.
std::string RowTextAt(size_t row);

}  // namespace halvek
