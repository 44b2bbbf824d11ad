// PLACEHOLDER (H1): replaced by the feature's real code before it lands.
#include "commands.h"

void CmdPlainPoints(const wchar_t*) {}
void CmdHighContrast(const wchar_t*) {}
void CmdMediumContrast(const wchar_t*) {}
void CmdNoContrast(const wchar_t*) {}
