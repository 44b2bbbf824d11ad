// PLACEHOLDER (H4): replaced by the feature's real code before it lands.
#include "commands.h"
#include "sessions.h"

SessionStateRecord SessionState;

bool SessionLoadSteps(const wchar_t*, uint32_t*) {
    return false;
}
void SessionAttachImageList() {}
void CmdSaveSession(const wchar_t*) {}
