// What the host's own menu items and tool-bar buttons do.
#pragma once

enum HostAction {
    kActionNone = 0,
    kActionExit,
    kActionOneView,
    kActionTwoViews,
    kActionFourViews,
    kActionTop,
    kActionFront,
    kActionRight,
    kActionIso,
    kActionTogglePerspective,
    kActionToggleStereo,
    kActionStereoAnaglyph,
    kActionStereoSideBySide,
    kActionStereoOverUnder,
    kActionToggleSnap,
    kActionFitActive,
    kActionFitRange,
    kActionClearPoints,
    kActionShowToolBars,
    kActionAbout,
};

void RunHostAction(HostAction action);
// Whether the action's menu item shows a check mark now.
bool HostActionChecked(HostAction action);
