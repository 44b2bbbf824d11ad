// The main menu bar: the host's File, View and Help menus, and the top-level entries and items that
// mini apps add with WndMainMenuAddItem and WndMainMenuAddSeparator (placed before Help).
#pragma once

#include "cface/host.h"

#include <string>
#include <vector>

HMENU BuildMainMenu();
// A WM_COMMAND from the menu bar; false when the id is none of the menu's.
bool HandleMenuCommand(int id);
// Check marks of the host's items, before a menu opens.
void RefreshMenuChecks(HMENU menu);
// Chooses ENTRY/ITEM by their labels (letter case, "&" and shortcut texts ignored); false when absent.
bool ChooseMenuItem(const std::string& entry, const std::string& item);
// One line per item: menu "ENTRY" "ITEM" (separators as ---).
std::vector<std::string> DescribeMenus();
void RemoveAppMenus(OrbisaMiniApp* app);
