// PLACEHOLDER (H5): replaced by the feature's real code before it lands.
#include "commands.h"

void CmdSnapSettings(const wchar_t*) {}
