// The main page: where the product goes (executables and settings folders), where its host lives, and
// for services the account they run under. Three variants by installation kind, each laid out by a table.
#include "pages.h"
#include "setup_state.h"
#include "setup_text.h"

#include "dialogs/app.h"
#include "dialogs/choosers.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

namespace {

constexpr int kFolderFieldChars = kSetupPathChars - 1;
constexpr int kAccountFieldChars = kSetupAccountChars - 1;
constexpr wchar_t kWelcome[] =
    L"Welcome to Nimbo Setup. This will install a Korvane application on your computer.";
constexpr wchar_t kBrowse[] = L"Browse...";

enum FolderChoiceValue { FolderChoiceDefault = 0, FolderChoiceProgramFiles = 1, FolderChoiceFree = 2 };

// ---- Browse buttons: each fills its own folder and keeps the page open ----

int BrowseInto(Dialog* page, wchar_t* folder, const wchar_t* title) {
    if (BrowseFolder(folder, page ? page->window : nullptr, title)) DlgRefreshVariable(page, folder);
    return 0;
}

int BrowseMicroStation(Dialog* page) {
    return BrowseInto(page, g_setup.microStationFolder, L"MicroStation installation folder");
}
int BrowseOrbisa(Dialog* page) {
    return BrowseInto(page, g_setup.orbisaFolder, L"Orbisa installation folder");
}
int BrowseExecutables(Dialog* page) {
    return BrowseInto(page, g_setup.exeFolder, L"Nimbo executable folder");
}
int BrowseSettings(Dialog* page) {
    return BrowseInto(page, g_setup.settingsFolder, L"Nimbo settings folder");
}

// ---- Folder choice ----

// The Program Files folder as this machine names it, followed by the company folder.
bool ProgramFilesKorvane(wchar_t* folder, size_t capacity) {
    PWSTR programFiles = nullptr;
    bool found = SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &programFiles));
    bool fitted = found && SetupTextCopy(folder, capacity, programFiles) &&
                  SetupTextAppend(folder, capacity, L"\\Korvane");
    CoTaskMemFree(programFiles);
    return fitted;
}

void SetDefaultFolders() {
    SetupTextCopy(g_setup.exeFolder, kSetupPathChars, g_setup.defaultFolder);
    SetupTextCopy(g_setup.settingsFolder, kSetupPathChars, g_setup.defaultFolder);
}

void SetProgramFilesFolders() {
    // A Program Files folder that cannot be had (or named in full) leaves the executables where they were.
    wchar_t folder[kSetupPathChars];
    if (ProgramFilesKorvane(folder, kSetupPathChars))
        SetupTextCopy(g_setup.exeFolder, kSetupPathChars, folder);
    SetupTextCopy(g_setup.settingsFolder, kSetupPathChars, g_setup.defaultFolder);
}

void KeepFolders() {}

struct FolderChoiceEntry {
    int value;
    const wchar_t* text; // the default entry shows the default folder behind it
    void (*apply)();
};

const FolderChoiceEntry kFolderChoices[] = {
    {FolderChoiceDefault, L"Default ", SetDefaultFolders},
    {FolderChoiceProgramFiles, L"Default 'Program Files'", SetProgramFilesFolders},
    {FolderChoiceFree, L"Freely selectable folders", KeepFolders},
};

bool FillFolderChoice(DialogItem* choice) {
    for (const FolderChoiceEntry& entry : kFolderChoices) {
        wchar_t text[DlgItemTextLength];
        SetupTextCopy(text, DlgItemTextLength, entry.text);
        if (entry.value == FolderChoiceDefault)
            SetupTextAppend(text, DlgItemTextLength, g_setup.defaultFolder);
        if (!DlgChoiceAdd(choice, entry.value, text)) return false;
    }
    return DlgRefresh(choice) != 0;
}

// ---- Page layouts ----

// What a row of a layout table makes. The Host rows take their text, folder and button from the host
// that the page is for.
enum RowKind {
    RowBoldText,
    RowLine,
    RowFolderChoice,
    RowString,
    RowButton,
    RowHostPrompt,
    RowHostFolder,
    RowHostBrowse,
};

struct PageRow {
    RowKind kind;
    double x, y, w;
    const wchar_t* text; // text, field label or button label
    wchar_t* field;      // string fields
    int maximum;
    int flags;
    DlgCallback callback; // buttons
};

struct HostPage {
    const wchar_t* prompt;
    const wchar_t* label;
    wchar_t* folder;
    DlgCallback browse;
};

// The wording of the MicroStation prompt is the product's own.
const HostPage kMicroStationHost = {L"Enter directory where MicroStation been installed.", L"MicroStation:",
                                    g_setup.microStationFolder, BrowseMicroStation};
const HostPage kOrbisaHost = {L"Enter directory where Orbisa has been installed.", L"Orbisa:",
                              g_setup.orbisaFolder, BrowseOrbisa};

const PageRow kHostPageRows[] = {
    {RowBoldText, 1, 0.4, 76, kWelcome, nullptr, 0, 0, nullptr},
    {RowLine, 0, 1.7, 0, nullptr, nullptr, 0, 0, nullptr},
    {RowLine, 0, 4.6, 0, nullptr, nullptr, 0, 0, nullptr},
    {RowHostPrompt, 1, 5.0, 76, nullptr, nullptr, 0, 0, nullptr},
    {RowHostFolder, 14, 6.0, 49, nullptr, nullptr, kFolderFieldChars, DlgItemNotify, nullptr},
    {RowHostBrowse, 64, 5.8, 12, kBrowse, nullptr, 0, 0, nullptr},
    {RowLine, 0, 7.3, 0, nullptr, nullptr, 0, 0, nullptr},
    {RowBoldText, 1, 7.8, 32, L"Nimbo installation folders:", nullptr, 0, 0, nullptr},
    {RowFolderChoice, 14, 8.8, 30, L"Folder choice:", nullptr, 0, DlgItemNotify, nullptr},
    {RowString, 14, 10.0, 49, L"Executables:", g_setup.exeFolder, kFolderFieldChars, DlgItemNotify, nullptr},
    {RowButton, 64, 9.8, 12, kBrowse, nullptr, 0, 0, BrowseExecutables},
    {RowString, 14, 11.3, 49, L"Settings:", g_setup.settingsFolder, kFolderFieldChars, DlgItemNotify,
     nullptr},
    {RowButton, 64, 11.1, 12, kBrowse, nullptr, 0, 0, BrowseSettings},
    {RowLine, 0, 12.6, 0, nullptr, nullptr, 0, 0, nullptr},
    {RowButton, 1, 13.1, 14, L"OK", nullptr, 0, 0, DlgStandardOk},
    {RowButton, 63, 13.1, 14, L"Cancel", nullptr, 0, 0, DlgStandardCancel},
};

const PageRow kBasicPageRows[] = {
    {RowBoldText, 1, 0.4, 76, kWelcome, nullptr, 0, 0, nullptr},
    {RowLine, 0, 1.7, 0, nullptr, nullptr, 0, 0, nullptr},
    {RowLine, 0, 4.6, 0, nullptr, nullptr, 0, 0, nullptr},
    {RowBoldText, 1, 5.0, 32, L"Nimbo installation folders:", nullptr, 0, 0, nullptr},
    {RowFolderChoice, 14, 6.0, 30, L"Folder choice:", nullptr, 0, DlgItemNotify, nullptr},
    {RowString, 14, 7.2, 49, L"Executables:", g_setup.exeFolder, kFolderFieldChars, DlgItemNotify, nullptr},
    {RowButton, 64, 7.0, 12, kBrowse, nullptr, 0, 0, BrowseExecutables},
    {RowString, 14, 8.5, 49, L"Settings:", g_setup.settingsFolder, kFolderFieldChars, DlgItemNotify, nullptr},
    {RowButton, 64, 8.3, 12, kBrowse, nullptr, 0, 0, BrowseSettings},
    {RowLine, 0, 9.8, 0, nullptr, nullptr, 0, 0, nullptr},
    {RowBoldText, 1, 10.2, 76, L"Specify user name and password for NimboSlaveService.", nullptr, 0, 0,
     nullptr},
    {RowString, 14, 11.2, 51, L"User name:", g_setup.serviceUser, kAccountFieldChars, 0, nullptr},
    {RowString, 14, 12.2, 51, L"Password:", g_setup.servicePassword, kAccountFieldChars, 0, nullptr},
    {RowLine, 0, 13.5, 0, nullptr, nullptr, 0, 0, nullptr},
    {RowButton, 1, 14.0, 14, L"OK", nullptr, 0, 0, DlgStandardOk},
    {RowButton, 63, 14.0, 14, L"Cancel", nullptr, 0, 0, DlgStandardCancel},
};

DialogItem* AddRow(Dialog* page, const PageRow& row, const HostPage* host) {
    switch (row.kind) {
        case RowBoldText:
            return DlgText(page, row.x, row.y, row.w, row.text, DlgTextBold, AppColorBlack,
                           AppColorBackground);
        case RowLine:
            return DlgLine(page, row.x, row.y, row.w);
        case RowFolderChoice: {
            DialogItem* choice =
                DlgChoice(page, row.x, row.y, row.w, &g_setup.folderChoice, row.flags, row.text);
            return choice && FillFolderChoice(choice) ? choice : nullptr;
        }
        case RowString:
            return DlgString(page, row.x, row.y, row.w, row.field, row.maximum, row.flags, row.text, nullptr);
        case RowButton:
            return DlgButton(page, row.x, row.y, row.w, 0, row.callback, row.text, nullptr, 0);
        case RowHostPrompt:
            return DlgText(page, row.x, row.y, row.w, host->prompt, DlgTextBold, AppColorBlack,
                           AppColorBackground);
        case RowHostFolder:
            return DlgString(page, row.x, row.y, row.w, host->folder, row.maximum, row.flags, host->label,
                             nullptr);
        case RowHostBrowse:
            return DlgButton(page, row.x, row.y, row.w, 0, host->browse, row.text, nullptr, 0);
    }
    return nullptr;
}

// The account's password is not shown as typed: the page may well be filled in with someone watching.
void MaskPassword(Dialog* page) {
    DialogItem* password = DlgItemByVariable(page, g_setup.servicePassword);
    if (password && password->control) SendMessageW(password->control, EM_SETPASSWORDCHAR, 0x25CF, 0);
}

void MainPageChanged(Dialog* page, DialogItem* item) {
    if (!item) {
        FolderChoiceEnable(page);
    } else if (item->variable == &g_setup.folderChoice) {
        FolderChoiceApply(page);
        FolderChoiceEnable(page);
    }
}

template <size_t N>
Dialog* BuildPage(const wchar_t* title, double lines, const PageRow (&rows)[N], const HostPage* host) {
    Dialog* page = DlgCreate(title, 78, lines, DlgWindowPopup, 0, nullptr);
    if (!page) return nullptr;
    for (const PageRow& row : rows) {
        if (!AddRow(page, row, host)) {
            DlgDestroy(page);
            return nullptr;
        }
    }
    DlgSetChangeHook(page, MainPageChanged);
    return page;
}

Dialog* PageBasic(const wchar_t* title) {
    Dialog* page = BuildPage(title, 15.6, kBasicPageRows, nullptr);
    MaskPassword(page);
    return page;
}

Dialog* PageMicroStation(const wchar_t* title) {
    return BuildPage(title, 14.7, kHostPageRows, &kMicroStationHost);
}

Dialog* PageOrbisa(const wchar_t* title) {
    return BuildPage(title, 14.7, kHostPageRows, &kOrbisaHost);
}

Dialog* BuildMainPage(const wchar_t* title) {
    switch (g_setup.kind) {
        case InstallKind::MicroStation:
            return PageMicroStation(title);
        case InstallKind::Orbisa:
            return PageOrbisa(title);
        case InstallKind::None:
        case InstallKind::Slave:
            break;
    }
    return PageBasic(title);
}

} // namespace

void FolderChoiceApply(Dialog* page) {
    for (const FolderChoiceEntry& entry : kFolderChoices)
        if (entry.value == g_setup.folderChoice) entry.apply();
    DlgRefreshVariable(page, g_setup.exeFolder);
    DlgRefreshVariable(page, g_setup.settingsFolder);
}

void FolderChoiceEnable(Dialog* page) {
    int usable = g_setup.folderChoice == FolderChoiceFree;
    DlgEnableVariable(page, g_setup.exeFolder, usable);
    DlgEnableVariable(page, g_setup.settingsFolder, usable);
    DlgEnableButton(page, BrowseExecutables, usable);
    DlgEnableButton(page, BrowseSettings, usable);
}

void PageStripTrailingBackslashes(wchar_t* folder) {
    size_t length = 0;
    while (folder[length]) ++length;
    size_t keep = 1; // a lone backslash is the root of the current drive
    if (length >= 2 && folder[1] == L':') keep = 3;
    while (length > keep && folder[length - 1] == L'\\') folder[--length] = 0;
}

bool PageMain() {
    wchar_t title[DlgItemTextLength];
    SetupTextCopy(title, DlgItemTextLength, L"Nimbo Setup - ");
    SetupTextAppend(title, DlgItemTextLength, g_setup.appName);
    Dialog* page = BuildMainPage(title);
    if (!page) return false;
    if (DlgRun(page) <= 0) return false;
    wchar_t* folders[] = {g_setup.exeFolder, g_setup.settingsFolder, g_setup.microStationFolder,
                          g_setup.orbisaFolder};
    for (wchar_t* folder : folders) PageStripTrailingBackslashes(folder);
    return true;
}
