// Resource tables: the strings, menus, accelerators, toolbars and dialog
// templates each module registers from its resources/ folder at load time,
// looked up by number (the module handle narrows the search when given).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/menu.h"

namespace platform {

struct DialogTemplate;

namespace resources {

void AddString(UINT id, std::string text, HMODULE module = nullptr);
// Empty when there is none.
std::string LoadString(UINT id, HMODULE module = nullptr);
bool HasString(UINT id, HMODULE module = nullptr);
void AddMenu(UINT id, std::vector<MenuDef> menu, HMODULE module = nullptr);
// A fresh model of the table (each call its own copy), or null.
std::shared_ptr<CMenu> LoadMenu(UINT id, HMODULE module = nullptr);
void AddAccelerators(UINT id, std::vector<ACCEL> table, HMODULE module = nullptr);
std::shared_ptr<AccelTable> LoadAccelerators(UINT id, HMODULE module = nullptr);
void AddToolBar(UINT id, std::vector<UINT> buttons, HMODULE module = nullptr);
std::optional<std::vector<UINT>> LoadToolBar(UINT id, HMODULE module = nullptr);
void AddDialog(UINT id, std::shared_ptr<const DialogTemplate> dialog, HMODULE module = nullptr);
std::shared_ptr<const DialogTemplate> LoadDialog(UINT id, HMODULE module = nullptr);

}  // namespace resources
}  // namespace platform
