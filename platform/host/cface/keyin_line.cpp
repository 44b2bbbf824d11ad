#include "cface/keyin_line.h"

#include "cface/commands.h"
#include "cface/host.h"

#include <commctrl.h>

#include <vector>

namespace {

constexpr int kKeyinLimit = 4096;
constexpr size_t kHistoryLimit = 100;

std::vector<std::wstring> g_history;
size_t g_historyAt = 0;

std::wstring FieldText(HWND field) {
    int length = GetWindowTextLengthW(field);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(field, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void ShowHistory(HWND field, int step) {
    if (g_history.empty()) return;
    if (step < 0 && g_historyAt > 0) --g_historyAt;
    if (step > 0 && g_historyAt < g_history.size()) ++g_historyAt;
    SetWindowTextW(field, g_historyAt < g_history.size() ? g_history[g_historyAt].c_str() : L"");
    SendMessageW(field, EM_SETSEL, kKeyinLimit, kKeyinLimit);
}

LRESULT CALLBACK FieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        std::wstring text = FieldText(field);
        SetWindowTextW(field, L"");
        EnterKeyin(text);
        return 0;
    }
    if (message == WM_CHAR && (wParam == L'\r' || wParam == L'\n')) return 0; // no beep
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
        ShowHistory(field, wParam == VK_UP ? -1 : 1);
        return 0;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

} // namespace

HWND CreateKeyinLine(HWND parent) {
    HostState& host = Host();
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    host.keyinLabel = CreateWindowExW(0, L"STATIC", L"Key-in:", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 10, 10,
                                      parent, nullptr, host.instance, nullptr);
    host.keyinEdit =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                        0, 0, 10, 10, parent, nullptr, host.instance, nullptr);
    SendMessageW(host.keyinLabel, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(host.keyinEdit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(host.keyinEdit, EM_LIMITTEXT, kKeyinLimit, 0);
    SetWindowSubclass(host.keyinEdit, FieldProc, 1, 0);
    return host.keyinEdit;
}

void EnterKeyin(const std::wstring& text) {
    if (!text.empty()) {
        if (g_history.empty() || g_history.back() != text) g_history.push_back(text);
        if (g_history.size() > kHistoryLimit) g_history.erase(g_history.begin());
    }
    g_historyAt = g_history.size();
    RunKeyin(text);
}
