// The engine loads and converts on its own worker thread; the host's thread waits here, keeping the
// user informed of the engine's current step.
#include "projects.h"

#include "plugin.h"

#include "dialogs/status_window.h"
#include "pcv.h"

#include <windows.h>

namespace {

constexpr DWORD kEngineWaitPollMs = 50;
constexpr int kEngineDone = 100;

} // namespace

void EngineWait() {
    Dialog* busy = BusyWindowOpen(L"Processing...", L"", TopWindow, L"");
    Sleep(kEngineWaitPollMs);
    wchar_t step[2 * PCV_TEXT_CHARS];
    while (pcvCalculateGetProgressStatus() != kEngineDone) {
        step[0] = L'\0';
        pcvCalculateGetProgressStatusDescription(step);
        // The step text is the engine's: shown as it stands, whatever "%" it holds.
        BusyWindowSetText(busy, step, nullptr);
        Sleep(kEngineWaitPollMs);
    }
    if (busy) BusyWindowClose(&busy);
}
