// The tool-bar area below the menu bar: the host's own tool bar (snapping, stereo, perspective, fit)
// and the mini apps' tool bars, each button showing its icon (or its label as text when the icon
// cannot be had) with the label as tooltip, groups set apart by a gap.
#pragma once

#include "cface/host.h"

#include <string>
#include <vector>

HWND CreateToolArea(HWND parent);
// Lays the bars out in rows for the area's width; returns the height the area needs.
int LayoutToolArea(int width);

// 0 when created; -1 for a null descriptor, -2 without a name, -3 for a name already taken, -4 without
// items. images gets "icon" or "text" per button.
int CreateToolBar(OrbisaMiniApp* app, const DlgToolBarDesc* descriptor, std::vector<std::string>* images);
void RemoveAppToolBars(OrbisaMiniApp* app);
// Presses the first button with exactly this label (UTF-8); false when there is none.
bool PressToolButton(const std::string& label);
// One line per button: button "BAR" "LABEL" x=X width=W icon=RRGGBB (or text).
std::vector<std::string> DescribeToolButtons();
// The host's toggles show the snap state and the active view's stereo and camera states.
void RefreshHostToolBar();
// Names of the tool bars and whether each is shown; and showing or hiding one.
std::vector<std::pair<std::string, bool>> ToolBarList();
void ShowToolBar(const std::string& name, bool show);
