#include "visibility_dialog.h"

#include "channel_table.h"
#include "class_mask.h"
#include "count_text.h"
#include "dialog_template.h"

#include <commctrl.h>

#include <stdio.h>

const wchar_t kVisibilityTitle[] = L"Point Cloud Visibility";

namespace {

constexpr short kWidth = 260;
constexpr short kMargin = 7;
constexpr short kButtonWidth = 50, kButtonHeight = 14;
constexpr short kRadioHeight = 10, kRadioPitch = 12;
constexpr short kListHeight = 130;
constexpr int kSwatchPixels = 16;

struct VisibilityState {
    const VisibilityRequest* request;
    VisibilityChoice* choice;
    ClassificationMask256 mask; // the working copy the check boxes edit
    bool listAll;
    bool filling; // the list is being (re)filled: its notifications are ours, not the user's
    int channelIndex[sizeof(unsigned long long) * 8]; // radio slot -> index in kChannels
    int channelSlots;
};

VisibilityState* StateOf(HWND dialog) {
    return reinterpret_cast<VisibilityState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

HWND ClassList(HWND dialog) {
    return GetDlgItem(dialog, kVisibilityClassList);
}

// ---- Layout ----

void AddChannelGroup(DialogTemplate* t, const VisibilityState& state, short* y) {
    short rows = static_cast<short>((state.channelSlots + 1) / 2);
    if (rows == 0) rows = 1;
    short height = static_cast<short>(14 + rows * kRadioPitch);
    TemplateAddItem(t, L"Button", L"Channel", 0xFFFF, kMargin, *y, kWidth - 2 * kMargin, height, BS_GROUPBOX);
    for (int slot = 0; slot < state.channelSlots; ++slot) {
        const ChannelInfo& info = kChannels[state.channelIndex[slot]];
        short x = static_cast<short>(slot % 2 == 0 ? 16 : 134);
        short row = static_cast<short>(*y + 12 + (slot / 2) * kRadioPitch);
        DWORD style = BS_AUTORADIOBUTTON | (slot == 0 ? WS_GROUP | WS_TABSTOP : 0);
        TemplateAddItem(t, L"Button", info.name,
                        static_cast<WORD>(kVisibilityChannelFirst + state.channelIndex[slot]), x, row, 110,
                        kRadioHeight, style);
    }
    if (state.channelSlots == 0)
        TemplateAddItem(t, L"Static", L"The project carries no channel this dialog knows.", 0xFFFF, 16,
                        static_cast<short>(*y + 12), 220, 8, SS_LEFT);
    *y = static_cast<short>(*y + height + 6);
}

void AddClassGroup(DialogTemplate* t, short* y) {
    short height = static_cast<short>(12 + kListHeight + 4 + kButtonHeight + 6);
    TemplateAddItem(t, L"Button", L"Classes", 0xFFFF, kMargin, *y, kWidth - 2 * kMargin, height,
                    BS_GROUPBOX | WS_GROUP);
    short listY = static_cast<short>(*y + 12);
    TemplateAddItem(t, WC_LISTVIEWW, L"", kVisibilityClassList, 14, listY, kWidth - 28, kListHeight,
                    LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER |
                        WS_TABSTOP | WS_GROUP,
                    WS_EX_CLIENTEDGE);
    short buttonY = static_cast<short>(listY + kListHeight + 4);
    TemplateAddItem(t, L"Button", L"Show &all", kVisibilityShowAll, 14, buttonY, kButtonWidth, kButtonHeight,
                    BS_PUSHBUTTON | WS_TABSTOP);
    TemplateAddItem(t, L"Button", L"&Hide all", kVisibilityHideAll, 14 + kButtonWidth + 4, buttonY,
                    kButtonWidth, kButtonHeight, BS_PUSHBUTTON | WS_TABSTOP);
    TemplateAddItem(t, L"Button", L"&List every class", kVisibilityListAllBox, 134, buttonY + 2, 110,
                    kRadioHeight, BS_AUTOCHECKBOX | WS_TABSTOP);
    *y = static_cast<short>(*y + height + 7);
}

void AddOkCancel(DialogTemplate* t, short y) {
    TemplateAddItem(t, L"Button", L"OK", IDOK, kWidth - kMargin - 2 * kButtonWidth - 4, y, kButtonWidth,
                    kButtonHeight, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP);
    TemplateAddItem(t, L"Button", L"Cancel", IDCANCEL, kWidth - kMargin - kButtonWidth, y, kButtonWidth,
                    kButtonHeight, BS_PUSHBUTTON | WS_TABSTOP);
}

void BuildTemplate(DialogTemplate* t, const VisibilityState& state) {
    TemplateBegin(t, kVisibilityTitle, kWidth, 0);
    short y = kMargin;
    AddChannelGroup(t, state, &y);
    AddClassGroup(t, &y);
    AddOkCancel(t, y);
    TemplateSetHeight(t, static_cast<short>(y + kButtonHeight + kMargin));
}

// ---- The class list ----

HIMAGELIST SwatchImages(const ClassListing& classes) {
    HIMAGELIST images = ImageList_Create(kSwatchPixels, kSwatchPixels, ILC_COLOR24, kClassCount, 0);
    if (!images) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBRUSH frame = CreateSolidBrush(RGB(64, 64, 64));
    HBRUSH background = GetSysColorBrush(COLOR_WINDOW);
    for (int c = 0; c < kClassCount; ++c) {
        HBITMAP bitmap = CreateCompatibleBitmap(screen, kSwatchPixels, kSwatchPixels);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, kSwatchPixels, kSwatchPixels};
        FillRect(dc, &all, background);
        RECT box{2, 2, kSwatchPixels - 2, kSwatchPixels - 2};
        FillRect(dc, &box, frame);
        const uint8_t* rgb = classes.colours[c];
        HBRUSH fill = CreateSolidBrush(RGB(rgb[0], rgb[1], rgb[2]));
        RECT inner{3, 3, kSwatchPixels - 3, kSwatchPixels - 3};
        FillRect(dc, &inner, fill);
        DeleteObject(fill);
        SelectObject(dc, old);
        ImageList_Add(images, bitmap, nullptr);
        DeleteObject(bitmap);
    }
    DeleteObject(frame);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return images;
}

void AddColumn(HWND list, int index, const wchar_t* title, int width, int format) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title);
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void SetupClassList(HWND dialog, const ClassListing& classes) {
    HWND list = ClassList(dialog);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    HIMAGELIST images = SwatchImages(classes);
    if (images) ListView_SetImageList(list, images, LVSIL_SMALL);
    RECT client{};
    GetClientRect(list, &client);
    int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    int numberWidth = width * 22 / 100, countWidth = width * 26 / 100;
    AddColumn(list, 0, L"Class", numberWidth, LVCFMT_LEFT);
    AddColumn(list, 1, L"Name", width - numberWidth - countWidth, LVCFMT_LEFT);
    AddColumn(list, 2, L"Points", countWidth, LVCFMT_RIGHT);
}

void FillClassList(HWND dialog, VisibilityState* state) {
    HWND list = ClassList(dialog);
    const ClassListing& classes = *state->request->classes;
    state->filling = true;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    int row = 0;
    for (int c = 0; c < kClassCount; ++c) {
        if (!state->listAll && classes.counts[c] == 0) continue;
        wchar_t number[8];
        swprintf(number, 8, L"%d", c);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = row;
        item.pszText = number;
        item.iImage = c;
        item.lParam = c;
        int at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0) continue;
        wchar_t count[32];
        CountText(classes.counts[c], count, 32);
        LVITEMW sub{};
        sub.iSubItem = 1;
        sub.pszText = const_cast<wchar_t*>(classes.names[c]);
        SendMessageW(list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&sub));
        sub.iSubItem = 2;
        sub.pszText = count;
        SendMessageW(list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&sub));
        ListView_SetCheckState(list, at, ClassMaskIsVisible(state->mask, c));
        ++row;
    }
    if (row > 0) ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    state->filling = false;
}

int ClassOfRow(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return static_cast<int>(item.lParam);
}

// Show all and Hide all act on the classes the list shows.
void SetAllListed(HWND dialog, VisibilityState* state, bool visible) {
    HWND list = ClassList(dialog);
    int rows = ListView_GetItemCount(list);
    for (int row = 0; row < rows; ++row) {
        int c = ClassOfRow(list, row);
        if (c < 0) continue;
        ClassMaskSetVisible(&state->mask, c, visible);
        ListView_SetCheckState(list, row, visible);
    }
}

void OnItemChanged(VisibilityState* state, const NMLISTVIEW* change) {
    if (state->filling || !(change->uChanged & LVIF_STATE)) return;
    UINT before = change->uOldState & LVIS_STATEIMAGEMASK, after = change->uNewState & LVIS_STATEIMAGEMASK;
    if (before == after || after == 0) return;
    int c = static_cast<int>(change->lParam);
    ClassMaskSetVisible(&state->mask, c, after == INDEXTOSTATEIMAGEMASK(2));
}

// ---- The dialog ----

void CheckInitialChannel(HWND dialog, const VisibilityState& state) {
    if (state.channelSlots == 0) return;
    unsigned int channel = ChannelAvailable(state.request->channel, state.request->channelMask);
    int checked = state.channelIndex[0];
    for (int slot = 0; slot < state.channelSlots; ++slot)
        if (kChannels[state.channelIndex[slot]].number == channel) checked = state.channelIndex[slot];
    CheckRadioButton(dialog, kVisibilityChannelFirst, kVisibilityChannelFirst + kChannelCount - 1,
                     kVisibilityChannelFirst + checked);
}

unsigned int CheckedChannel(HWND dialog, const VisibilityState& state) {
    for (int slot = 0; slot < state.channelSlots; ++slot) {
        int index = state.channelIndex[slot];
        if (IsDlgButtonChecked(dialog, kVisibilityChannelFirst + index) == BST_CHECKED)
            return kChannels[index].number;
    }
    return state.request->channel;
}

void Accept(HWND dialog, VisibilityState* state) {
    state->choice->channel = CheckedChannel(dialog, *state);
    state->choice->mask = state->mask;
    state->choice->mask.active = 1;
    unsigned int option = state->request->option & ~kVisibilityListAll;
    state->choice->option = option | (state->listAll ? kVisibilityListAll : 0u);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK VisibilityProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<VisibilityState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetupClassList(dialog, *state->request->classes);
        CheckDlgButton(dialog, kVisibilityListAllBox, state->listAll ? BST_CHECKED : BST_UNCHECKED);
        FillClassList(dialog, state);
        CheckInitialChannel(dialog, *state);
        DialogCentre(dialog);
        return TRUE;
    }
    VisibilityState* state = StateOf(dialog);
    if (!state) return FALSE;
    switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    Accept(dialog, state);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case kVisibilityShowAll:
                case kVisibilityHideAll:
                    SetAllListed(dialog, state, LOWORD(wParam) == kVisibilityShowAll);
                    return TRUE;
                case kVisibilityListAllBox:
                    state->listAll = IsDlgButtonChecked(dialog, kVisibilityListAllBox) == BST_CHECKED;
                    FillClassList(dialog, state);
                    return TRUE;
            }
            break;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == kVisibilityClassList && header->code == LVN_ITEMCHANGED)
                OnItemChanged(state, reinterpret_cast<const NMLISTVIEW*>(lParam));
            break;
        }
    }
    return FALSE;
}

} // namespace

int VisibilityDialogRun(HWND owner, const VisibilityRequest& request, VisibilityChoice* choice) {
    if (!request.classes || !choice) return -1;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    VisibilityState state{};
    state.request = &request;
    state.choice = choice;
    state.mask = request.mask;
    state.listAll = (request.option & kVisibilityListAll) != 0;
    for (int i = 0; i < kChannelCount; ++i)
        if (ChannelInMask(kChannels[i].number, request.channelMask))
            state.channelIndex[state.channelSlots++] = i;
    DialogTemplate t;
    BuildTemplate(&t, state);
    INT_PTR result = TemplateRun(t, owner, VisibilityProc, reinterpret_cast<LPARAM>(&state));
    if (result == IDOK) return 1;
    return result == IDCANCEL ? 0 : -1;
}
