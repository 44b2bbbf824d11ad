// PLACEHOLDER (H4): replaced by the feature's real code before it lands.
#include "commands.h"
#include "projects.h"

ClassificationMask256 VisibilityMask;
ClassificationMask256 SessionClassMask;
uint32_t VisibilityOption = 2;

void CmdLoadProject(const wchar_t*) {}
void CmdReload(const wchar_t*) {}
void CmdUpdateLoaded(const wchar_t*) {}
