// PLACEHOLDER (H1): replaced by the feature's real code before it lands.
#include "commands.h"

const MAppCmdHook kCommandTable[] = {{0, nullptr, nullptr, nullptr}};
const MAppSpaccel kKeyinTable[] = {{nullptr, nullptr, nullptr}};
const DlgToolBarDesc kToolBar = {};

void CommandsPublish() {}
void ToolBarCreate() {}
void MainMenuBuild() {}
