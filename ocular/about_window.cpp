// PLACEHOLDER (H1): replaced by the feature's real code before it lands.
#include "commands.h"

void CmdAboutOcularis(const wchar_t*) {}
void AboutWindowForget() {}
