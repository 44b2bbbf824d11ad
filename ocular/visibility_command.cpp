// PLACEHOLDER (H5): replaced by the feature's real code before it lands.
#include "commands.h"
#include "display.h"

unsigned int ClassColorTable[256][3];

void CmdSetPointCloudVisibility(const wchar_t*) {}
