#include "dialog_driver.h"

#include <commctrl.h>

#include "support/ui_driver.h"

namespace guidlg_test {

HWND WaitForDialog(const std::wstring& title, DWORD timeoutMs) {
    return ui::WaitForWindow(title, timeoutMs, L"#32770");
}

namespace {

struct OwnedSearch {
    HWND owner;
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<OwnedSearch*>(parameter);
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    if (ui::ClassName(window) != L"#32770" || ui::Text(window) != *search->title) return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND WaitForOwnedDialog(HWND owner, const std::wstring& title, DWORD timeoutMs) {
    OwnedSearch search{owner, &title, nullptr};
    ui::WaitUntil(
        [&] {
            EnumWindows(MatchOwned, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

int RowOfClass(HWND list, int classNumber) {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = classNumber;
    return static_cast<int>(
        SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

int RowCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

bool RowChecked(HWND list, int row) {
    UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

std::wstring RowText(HWND list, int row, int column) {
    wchar_t text[256] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

bool ClickRowCheckBox(HWND list, int row) {
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    if (!SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds))) return false;
    int y = (bounds.top + bounds.bottom) / 2;
    for (int x = bounds.left; x < bounds.left + 40; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = {x, y};
        int at = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (at == row && (hit.flags & LVHT_ONITEMSTATEICON)) {
            // Aim at the middle of the box, as a person would.
            int right = x;
            while (right < x + 20) {
                LVHITTESTINFO next{};
                next.pt = {right + 1, y};
                SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&next));
                if (!(next.flags & LVHT_ONITEMSTATEICON)) break;
                ++right;
            }
            ui::MouseClick(list, (x + right) / 2, y);
            return true;
        }
    }
    return false;
}

bool WaitForRowChecked(HWND list, int row, bool checked) {
    return ui::WaitUntil([&] { return RowChecked(list, row) == checked; }, 3000);
}

} // namespace guidlg_test
