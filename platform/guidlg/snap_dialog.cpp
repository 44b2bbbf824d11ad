#include "snap_dialog.h"

#include "dialog_template.h"

#include <commctrl.h>

#include <math.h>
#include <stdio.h>
#include <wchar.h>

const wchar_t kSnapTitle[] = L"Snap Settings";

namespace {

constexpr short kWidth = 200;
constexpr short kMargin = 7;
constexpr short kButtonWidth = 50, kButtonHeight = 14;
constexpr int kViews = 8;

struct SnapType {
    int value;
    const wchar_t* name;
};
// How the point under the cursor is chosen among those within the pick radius.
const SnapType kSnapTypes[] = {{0, L"Nearest to the cursor"}, {1, L"Nearest to the viewer"}};

struct SnapState {
    SnapSettings* settings;
};

void BuildTemplate(DialogTemplate* t, const SnapSettings& settings) {
    TemplateBegin(t, kSnapTitle, kWidth, 0);
    short y = kMargin;
    short groupHeight = 12 + 2 * 12 + 2;
    TemplateAddItem(t, L"Button", L"Snap to the point cloud in", 0xFFFF, kMargin, y, kWidth - 2 * kMargin,
                    groupHeight, BS_GROUPBOX);
    for (int view = 0; view < kViews; ++view) {
        wchar_t label[16];
        swprintf(label, 16, L"View %d", view + 1);
        short x = static_cast<short>(16 + (view % 4) * 44);
        short row = static_cast<short>(y + 12 + (view / 4) * 12);
        TemplateAddItem(t, L"Button", label, static_cast<WORD>(kSnapViewFirst + view), x, row, 40, 10,
                        BS_AUTOCHECKBOX | WS_TABSTOP | (view == 0 ? WS_GROUP : 0));
    }
    y = static_cast<short>(y + groupHeight + 6);
    if (settings.hasRadius) {
        TemplateAddItem(t, L"Static", L"Snap &radius (m):", 0xFFFF, kMargin, y + 2, 70, 8,
                        SS_LEFT | WS_GROUP);
        TemplateAddItem(t, L"Edit", L"", kSnapRadius, 80, y, 60, 12, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP);
        y = static_cast<short>(y + 18);
    }
    if (settings.hasType) {
        TemplateAddItem(t, L"Static", L"Snap &type:", 0xFFFF, kMargin, y + 2, 70, 8, SS_LEFT | WS_GROUP);
        TemplateAddItem(t, L"ComboBox", L"", kSnapType, 80, y, kWidth - 80 - kMargin, 80,
                        CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
        y = static_cast<short>(y + 18);
    }
    y = static_cast<short>(y + 2);
    TemplateAddItem(t, L"Button", L"OK", IDOK, kWidth - kMargin - 2 * kButtonWidth - 4, y, kButtonWidth,
                    kButtonHeight, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP);
    TemplateAddItem(t, L"Button", L"Cancel", IDCANCEL, kWidth - kMargin - kButtonWidth, y, kButtonWidth,
                    kButtonHeight, BS_PUSHBUTTON | WS_TABSTOP);
    TemplateSetHeight(t, static_cast<short>(y + kButtonHeight + kMargin));
}

void AddType(HWND combo, int value, const wchar_t* name) {
    LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (at >= 0) SendMessageW(combo, CB_SETITEMDATA, at, value);
}

// The known types, and the caller's value as "Type N" when it is none of them, so that OK keeps it.
void FillTypes(HWND combo, int current) {
    bool known = false;
    for (const SnapType& type : kSnapTypes) {
        AddType(combo, type.value, type.name);
        known = known || type.value == current;
    }
    if (!known) {
        wchar_t name[32];
        swprintf(name, 32, L"Type %d", current);
        AddType(combo, current, name);
    }
    int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, i, 0)) == current)
            SendMessageW(combo, CB_SETCURSEL, i, 0);
}

void Initialise(HWND dialog, const SnapSettings& settings) {
    for (int view = 0; view < kViews; ++view)
        CheckDlgButton(dialog, kSnapViewFirst + view,
                       (settings.mask >> view) & 1 ? BST_CHECKED : BST_UNCHECKED);
    if (settings.hasRadius) {
        wchar_t text[64];
        swprintf(text, 64, L"%.3f", settings.radius);
        SetDlgItemTextW(dialog, kSnapRadius, text);
        SendDlgItemMessageW(dialog, kSnapRadius, EM_LIMITTEXT, 32, 0);
    }
    if (settings.hasType) FillTypes(GetDlgItem(dialog, kSnapType), settings.type);
}

bool Accept(HWND dialog, SnapSettings* settings) {
    double radius = settings->radius;
    if (settings->hasRadius) {
        wchar_t text[64];
        GetDlgItemTextW(dialog, kSnapRadius, text, 64);
        if (!SnapRadiusParse(text, &radius)) {
            MessageBoxW(dialog, L"The snap radius must be a number of metres above 0 and at most 10000.",
                        kSnapTitle, MB_OK | MB_ICONWARNING);
            HWND field = GetDlgItem(dialog, kSnapRadius);
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
            return false;
        }
    }
    int mask = settings->mask & ~0xFF;
    for (int view = 0; view < kViews; ++view)
        if (IsDlgButtonChecked(dialog, kSnapViewFirst + view) == BST_CHECKED) mask |= 1 << view;
    settings->mask = mask;
    settings->radius = radius;
    if (settings->hasType) {
        HWND combo = GetDlgItem(dialog, kSnapType);
        LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (selected >= 0)
            settings->type = static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, selected, 0));
    }
    return true;
}

INT_PTR CALLBACK SnapProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        Initialise(dialog, *reinterpret_cast<SnapState*>(lParam)->settings);
        DialogCentre(dialog);
        return TRUE;
    }
    auto* state = reinterpret_cast<SnapState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!state || message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK: {
            SnapSettings edited = *state->settings;
            if (Accept(dialog, &edited)) {
                *state->settings = edited;
                EndDialog(dialog, IDOK);
            }
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
    }
    return FALSE;
}

} // namespace

int SnapRadiusParse(const wchar_t* text, double* radius) {
    if (!text) return 0;
    while (*text == L' ' || *text == L'\t') ++text;
    // Plain decimal numbers only: wcstod would also take hexadecimal, "inf" and "nan".
    for (const wchar_t* p = text; *p; ++p)
        if (!wcschr(L"0123456789.eE+- \t", *p)) return 0;
    wchar_t* end = nullptr;
    double value = wcstod(text, &end);
    if (end == text) return 0;
    while (*end == L' ' || *end == L'\t') ++end;
    if (*end || !isfinite(value) || value <= 0 || value > kSnapRadiusMax) return 0;
    *radius = value;
    return 1;
}

int SnapDialogRun(HWND owner, SnapSettings* settings) {
    if (!settings) return -1;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    SnapState state{settings};
    DialogTemplate t;
    BuildTemplate(&t, *settings);
    INT_PTR result = TemplateRun(t, owner, SnapProc, reinterpret_cast<LPARAM>(&state));
    if (result == IDOK) return 1;
    return result == IDCANCEL ? 0 : -1;
}
