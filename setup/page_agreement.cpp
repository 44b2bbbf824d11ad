// The agreement page: the licence text, and the two toggles the user must choose between before OK.
#include "pages.h"
#include "setup_state.h"

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "dialogs/rich_text.h"

#include <windows.h>

namespace {

constexpr int kAgreementCapacity = 50000;
// A paragraph is one line of the text; a longer one is shown in pieces of this many characters.
constexpr int kAgreementPieceChars = 2000;
constexpr char kHeadingMarker[] = "# ";

RichTextBuffer g_agreementText;

struct AgreementResource {
    const char* bytes;
    size_t length;
};

// The text is linked into the program, so that a product can ship its own without touching the code.
AgreementResource FindAgreementText() {
    HMODULE module = AppInstance() ? AppInstance() : GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, L"AGREEMENT", RT_RCDATA);
    if (!found) return {nullptr, 0};
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {nullptr, 0};
    return {static_cast<const char*>(bytes), static_cast<size_t>(SizeofResource(module, found))};
}

bool StartsWithMarker(const char* text, size_t length) {
    size_t markerLength = sizeof kHeadingMarker - 1;
    if (length < markerLength) return false;
    for (size_t i = 0; i < markerLength; ++i)
        if (text[i] != kHeadingMarker[i]) return false;
    return true;
}

void ShowLine(const AgreementLine& line) {
    const char* text = line.text;
    size_t left = line.length;
    int flags = line.heading ? RichTextBold : 0;
    do {
        int piece =
            left > static_cast<size_t>(kAgreementPieceChars) ? kAgreementPieceChars : static_cast<int>(left);
        wchar_t wide[kAgreementPieceChars + 1];
        int converted =
            piece > 0 ? MultiByteToWideChar(CP_ACP, 0, text, piece, wide, kAgreementPieceChars) : 0;
        wide[converted] = 0;
        RichTextAddLine(&g_agreementText, wide, flags);
        text += piece;
        left -= static_cast<size_t>(piece);
    } while (left > 0);
}

void FillAgreementText() {
    AgreementResource resource = FindAgreementText();
    RichTextBegin(&g_agreementText);
    const char* cursor = resource.bytes;
    AgreementLine line;
    while (resource.bytes && AgreementNextLine(&cursor, resource.bytes + resource.length, &line))
        ShowLine(line);
    RichTextToTop(&g_agreementText);
    RichTextRepaint(&g_agreementText);
    RichTextEnd(&g_agreementText);
}

// The toggles behave as a pair of radio buttons that may also both be off: OK waits for a decision.
void AgreementChanged(Dialog* page, DialogItem* item) {
    if (!item) {
        FillAgreementText();
    } else if (item->variable == &g_setup.accepted) {
        if (g_setup.accepted == 1) {
            g_setup.notAccepted = 0;
            DlgRefreshVariable(page, &g_setup.notAccepted);
        }
    } else if (item->variable == &g_setup.notAccepted) {
        if (g_setup.notAccepted == 1) {
            g_setup.accepted = 0;
            DlgRefreshVariable(page, &g_setup.accepted);
        }
    } else {
        return;
    }
    DlgEnableButton(page, DlgStandardOk, g_setup.accepted == 1 || g_setup.notAccepted == 1);
}

Dialog* BuildAgreementPage() {
    Dialog* page = DlgCreate(L"Nimbo Setup - License Agreement", 78, 24.5, DlgWindowPopup, 0, nullptr);
    DlgText(page, 1, 0.2, 76, L"Please read the following End User License Agreement.", DlgTextCentre,
            AppColorBlack, AppColorBackground);
    DlgText(page, 1, 1.1, 76, L"You need to accept this agreement to install the software.", DlgTextCentre,
            AppColorBlack, AppColorBackground);
    DlgLine(page, 0, 2.3, 0);
    DlgRichText(page, 1, 2.8, 76, 18, nullptr, 0, &g_agreementText);
    DlgToggle(page, 1, 21.1, 36, &g_setup.accepted, DlgItemNotify, L"I accept the agreement");
    DlgToggle(page, 39, 21.1, 36, &g_setup.notAccepted, DlgItemNotify, L"I do not accept the agreement");
    DlgLine(page, 0, 22.4, 0);
    DlgButton(page, 1, 22.9, 14, 0, DlgStandardOk, L"OK", nullptr, 0);
    if (!DlgButton(page, 63, 22.9, 14, 0, DlgStandardCancel, L"Cancel", nullptr, 0)) {
        if (page) DlgDestroy(page);
        return nullptr;
    }
    DlgSetChangeHook(page, AgreementChanged);
    return page;
}

} // namespace

bool AgreementNextLine(const char** cursor, const char* end, AgreementLine* line) {
    const char* start = *cursor;
    if (!start || start >= end) return false;
    const char* stop = start;
    while (stop < end && *stop != '\n') ++stop;
    *cursor = stop < end ? stop + 1 : end;
    size_t length = static_cast<size_t>(stop - start);
    if (length > 0 && start[length - 1] == '\r') --length;
    line->heading = StartsWithMarker(start, length);
    size_t skip = line->heading ? sizeof kHeadingMarker - 1 : 0;
    line->text = start + skip;
    line->length = length - skip;
    return true;
}

bool PageAgreement() {
    if (!RichTextInit(&g_agreementText, kAgreementCapacity)) return false;
    Dialog* page = BuildAgreementPage();
    int result = page ? DlgRun(page) : 0;
    RichTextFree(&g_agreementText);
    return result > 0 && g_setup.accepted == 1;
}
