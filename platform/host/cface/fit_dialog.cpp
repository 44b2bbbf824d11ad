#include "cface/fit_dialog.h"

#include "cface/host.h"
#include "cadio/cadio_host.h"
#include "parts/log_format.h"
#include "parts/script_words.h"

#include <vector>

namespace {

enum FitControl { kLowField = 101, kHighField = 102 };

struct FitRequest {
    Vec3 low, high;
};

// Builds an in-memory dialog template: the dialog, then its controls, each DWORD-aligned.
class TemplateWriter {
public:
    void Align() {
        while (words_.size() % 2) words_.push_back(0);
    }
    void Word(WORD w) { words_.push_back(w); }
    void Long(DWORD d) {
        words_.push_back(LOWORD(d));
        words_.push_back(HIWORD(d));
    }
    void Text(const wchar_t* text) {
        for (; *text; ++text) words_.push_back(static_cast<WORD>(*text));
        words_.push_back(0);
    }
    void Dialog(const wchar_t* title, short width, short height, WORD controls) {
        Long(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        Long(0);
        Word(controls);
        Word(0), Word(0), Word(static_cast<WORD>(width)), Word(static_cast<WORD>(height));
        Word(0), Word(0);
        Text(title);
        Word(9);
        Text(L"Segoe UI");
    }
    void Control(WORD kind, DWORD style, short x, short y, short w, short h, WORD id, const wchar_t* text) {
        Align();
        Long(style | WS_CHILD | WS_VISIBLE);
        Long(0);
        Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y)), Word(static_cast<WORD>(w)),
            Word(static_cast<WORD>(h));
        Word(id);
        Word(0xFFFF), Word(kind);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE* Get() { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

std::wstring CornerText(Vec3 corner) {
    double perMaster = CadHostWorkingPerMaster();
    return Utf8ToWideText(FormatNumber(corner.x / perMaster) + " " + FormatNumber(corner.y / perMaster) +
                          " " + FormatNumber(corner.z / perMaster));
}

bool ReadCorner(HWND dialog, int id, Vec3* corner) {
    wchar_t text[256];
    GetDlgItemTextW(dialog, id, text, 256);
    std::vector<std::string> words = SplitWords(WideToUtf8Text(text));
    double v[3];
    if (words.size() != 3) return false;
    for (int i = 0; i < 3; ++i)
        if (!ParseNumber(words[size_t(i)], &v[i])) return false;
    double perMaster = CadHostWorkingPerMaster();
    *corner = {v[0] * perMaster, v[1] * perMaster, v[2] * perMaster};
    return true;
}

INT_PTR CALLBACK FitProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<FitRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            request = reinterpret_cast<FitRequest*>(lParam);
            SetDlgItemTextW(dialog, kLowField, CornerText(request->low).c_str());
            SetDlgItemTextW(dialog, kHighField, CornerText(request->high).c_str());
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                Vec3 low{}, high{};
                if (!ReadCorner(dialog, kLowField, &low) || !ReadCorner(dialog, kHighField, &high)) {
                    MessageBoxW(dialog, L"Enter three numbers (X Y Z, master units) for each corner.",
                                L"Fit Range", MB_OK | MB_ICONWARNING);
                    return TRUE;
                }
                request->low = low, request->high = high;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

} // namespace

bool AskFitRange(Vec3* low, Vec3* high) {
    TemplateWriter t;
    t.Dialog(L"Fit Range", 220, 92, 6);
    t.Control(kStatic, SS_LEFT, 8, 8, 204, 10, 0xFFFF, L"Low corner X Y Z (master units):");
    t.Control(kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 8, 19, 204, 13, kLowField, L"");
    t.Control(kStatic, SS_LEFT, 8, 38, 204, 10, 0xFFFF, L"High corner X Y Z (master units):");
    t.Control(kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 8, 49, 204, 13, kHighField, L"");
    t.Control(kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 108, 70, 50, 15, IDOK, L"OK");
    t.Control(kButton, BS_PUSHBUTTON | WS_TABSTOP, 162, 70, 50, 15, IDCANCEL, L"Cancel");
    FitRequest request{*low, *high};
    INT_PTR result = DialogBoxIndirectParamW(Host().instance, t.Get(), Host().main, FitProc,
                                             reinterpret_cast<LPARAM>(&request));
    if (result != IDOK) return false;
    *low = request.low;
    *high = request.high;
    return true;
}
