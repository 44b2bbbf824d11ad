// The twelve commands of the plug-in: the handlers the command table, the key-ins, the tool bar and
// the main menu call. Each is defined by the file of the feature it belongs to.
#pragma once

#include "orbisa_cface.h"

enum OcularCommandId {
    kCmdLoadProject = 1,
    kCmdReload = 2,
    kCmdUpdateLoaded = 3,
    kCmdSaveSession = 4,
    kCmdSnapSettings = 5,
    kCmdAboutOcularis = 6,
    kCmdPlainPoints = 7,
    kCmdHighContrast = 8,
    kCmdMediumContrast = 9,
    kCmdNoContrast = 10,
    kCmdAdjustPointSize = 11,
    kCmdSetPointCloudVisibility = 12,
};

// argument: the key-in's text after the phrase (empty when nothing followed), null from a menu or a
// tool-bar button.
void CmdLoadProject(const wchar_t* argument);
void CmdReload(const wchar_t* argument);
void CmdUpdateLoaded(const wchar_t* argument);
void CmdSaveSession(const wchar_t* argument);
void CmdSnapSettings(const wchar_t* argument);
void CmdAboutOcularis(const wchar_t* argument);
void CmdPlainPoints(const wchar_t* argument);
void CmdHighContrast(const wchar_t* argument);
void CmdMediumContrast(const wchar_t* argument);
void CmdNoContrast(const wchar_t* argument);
void CmdAdjustPointSize(const wchar_t* argument);
void CmdSetPointCloudVisibility(const wchar_t* argument);

// The tables handed to the host; they live as long as the module.
extern const MAppCmdHook kCommandTable[];
extern const MAppSpaccel kKeyinTable[];
extern const DlgToolBarDesc kToolBar;

// Publishes the command and key-in tables, creates the tool bar, builds the main menu.
void CommandsPublish();
void ToolBarCreate();
void MainMenuBuild();
// Runs the command of that id from the command table, as the host would (menus pass a null argument).
void CommandRun(int id, const wchar_t* argument);
// Closes the about window when it is open (the teardown closes every dialog anyway).
void AboutWindowForget();
