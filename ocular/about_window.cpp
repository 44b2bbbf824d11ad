// The about window: modeless, so the user can keep it beside the views; one at a time.
#include "commands.h"

#include "plugin.h"

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"

#include <stdio.h>

namespace {

constexpr double kAboutColumns = 44;
constexpr double kAboutLines = 11;
constexpr int kVersionTextChars = 40;

Dialog* AboutDialog = nullptr;

// The window can go by its close box, its button or the teardown: each passes through here.
void AboutDestroyed(Dialog* dialog) {
    if (dialog == AboutDialog) AboutDialog = nullptr;
}

int AboutClose(Dialog* dialog) {
    Dialog* closing = dialog;
    DlgClose(&closing);
    return 0;
}

Dialog* AboutCreate() {
    Dialog* dialog = DlgCreate(L"Ocularis", kAboutColumns, kAboutLines, DlgWindowTool, 0, TopWindow);
    wchar_t version[kVersionTextChars];
    swprintf(version, kVersionTextChars, L"Version %03d.%03d", kOcularVersionMajor, kOcularVersionMinor);
    DlgText(dialog, 2, 1.5, 40, L"Ocularis", DlgTextCentre | DlgTextBold, AppColorBlack, AppColorBackground);
    DlgText(dialog, 2, 3, 40, L"Stereo point-cloud viewer for Orbisa", DlgTextCentre, AppColorBlack,
            AppColorBackground);
    DlgText(dialog, 2, 4.5, 40, version, DlgTextCentre, AppColorBlack, AppColorBackground);
    DlgLine(dialog, 2, 6.5, 40);
    if (!DlgButton(dialog, 17, 8, 10, 1.5, AboutClose, L"Close", nullptr, 0)) {
        if (dialog) DlgDestroy(dialog);
        return nullptr;
    }
    DlgSetDestroyHook(dialog, AboutDestroyed);
    return dialog;
}

} // namespace

void CmdAboutOcularis(const wchar_t*) {
    if (AboutDialog && AboutDialog->window) {
        DlgToTop(AboutDialog);
        return;
    }
    AboutDialog = AboutCreate();
    if (AboutDialog) DlgShow(AboutDialog);
}

void AboutWindowForget() {
    DlgClose(&AboutDialog);
}
