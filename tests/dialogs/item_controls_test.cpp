// Toggles, push buttons, texts and the operations every item shares (enable, show, label, lookup by
// variable or callback), and the kinds each variant offers.
#include <gtest/gtest.h>

#include "dialog_toolkit_start.h"
#include "dialogs/dialog.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <commctrl.h>

#include <vector>

namespace {

class ItemControls : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        dialog = DlgCreate(L"Controls", 60, 12, DlgWindowPopup, 0, nullptr);
        ASSERT_NE(nullptr, dialog);
        changes.clear();
        DlgSetChangeHook(dialog, [](Dialog*, DialogItem* item) { changes.push_back(item); });
    }
    Dialog* dialog = nullptr;
    static std::vector<DialogItem*> changes;
};

std::vector<DialogItem*> ItemControls::changes;

int Browse(Dialog*) {
    return 0;
}
int Apply(Dialog*) {
    return 0;
}

LONG_PTR Style(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

} // namespace

TEST_F(ItemControls, KindsOfferedByThisVariant) {
    const int everywhere[] = {DlgKindText, DlgKindLine, DlgKindButton, DlgKindString, DlgKindTextBox};
    for (int kind : everywhere) EXPECT_NE(nullptr, ItemBehaviourOf(kind)) << "kind " << kind;
    EXPECT_EQ(nullptr, ItemBehaviourOf(3));
    EXPECT_EQ(nullptr, ItemBehaviourOf(14));
    EXPECT_EQ(nullptr, ItemBehaviourOf(-1));
    EXPECT_EQ(nullptr, ItemBehaviourOf(DlgKindCount));
    const int installerOnly[] = {DlgKindVLine, DlgKindToggle, DlgKindInt,
                                 DlgKindUInt,  DlgKindInt64,  DlgKindDouble};
    for (int kind : installerOnly) {
#ifdef NIMBO_PLUGIN
        EXPECT_EQ(nullptr, ItemBehaviourOf(kind)) << "kind " << kind;
#else
        EXPECT_NE(nullptr, ItemBehaviourOf(kind)) << "kind " << kind;
#endif
    }
}

TEST_F(ItemControls, PushButtonStylesAndDefault) {
    DialogItem* ok = DlgButton(dialog, 1, 1, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
    DialogItem* browse = DlgButton(dialog, 12, 1, 10, 0, Browse, L"Browse...", nullptr, 0);
    EXPECT_EQ(BS_DEFPUSHBUTTON, Style(ok->control) & BS_TYPEMASK) << "the OK button is the default one";
    EXPECT_EQ(BS_PUSHBUTTON, Style(browse->control) & BS_TYPEMASK);
    EXPECT_NE(0, Style(browse->control) & WS_TABSTOP);
    DialogItem* first =
        DlgButton(dialog, 1, 3, 5, 0, Browse, L"A", nullptr, DlgButtonRadio | DlgButtonRadioGroup);
    DialogItem* second = DlgButton(dialog, 7, 3, 5, 0, Apply, L"B", nullptr, DlgButtonRadio);
    EXPECT_EQ(BS_AUTORADIOBUTTON, Style(first->control) & BS_TYPEMASK);
    EXPECT_NE(0, Style(first->control) & BS_PUSHLIKE);
    EXPECT_NE(0, Style(first->control) & WS_GROUP);
    EXPECT_EQ(0, Style(second->control) & WS_GROUP);
    EXPECT_EQ(1, DlgSetButtonPressed(dialog, Apply, 1));
    EXPECT_EQ(BST_CHECKED, SendMessageW(second->control, BM_GETCHECK, 0, 0));
    EXPECT_EQ(1, second->pressed);
    EXPECT_EQ(0, DlgSetButtonPressed(dialog, DlgStandardNo, 1)) << "no button has that callback";
    EXPECT_EQ(nullptr, dialog->tooltip) << "the tooltip window is made on first use";
}

TEST_F(ItemControls, TooltipWindowIsMadeOnceForTheButtonsThatHaveOne) {
    DialogItem* first = DlgButton(dialog, 1, 1, 10, 0, Browse, L"Browse...", L"Choose a folder", 0);
    ASSERT_NE(nullptr, dialog->tooltip);
    HWND tooltip = dialog->tooltip;
    DlgButton(dialog, 12, 1, 10, 0, Apply, L"Apply", L"Apply now", 0);
    EXPECT_EQ(tooltip, dialog->tooltip);
    EXPECT_EQ(L"tooltips_class32", ui::ClassName(tooltip));
    EXPECT_NE(0, GetWindowLongPtrW(tooltip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(0, Style(tooltip) & TTS_ALWAYSTIP);
    EXPECT_EQ(2, SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    wchar_t text[80] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = dialog->window;
    tool.uId = reinterpret_cast<UINT_PTR>(first->control);
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(L"Choose a folder", text);
    DlgDestroy(dialog);
    EXPECT_FALSE(IsWindow(tooltip)) << "destroyed with its dialog";
}

TEST_F(ItemControls, TextItemsAlignmentFontAndNewText) {
    DialogItem* right = DlgText(dialog, 1, 1, 20, L"Right", DlgTextRight, 1, 10);
    DialogItem* centred = DlgText(dialog, 1, 2, 20, L"Centre & more", DlgTextCentre | DlgTextBold, 2, 11);
    EXPECT_EQ(SS_RIGHT, Style(right->control) & SS_TYPEMASK);
    EXPECT_EQ(SS_CENTER, Style(centred->control) & SS_TYPEMASK);
    EXPECT_NE(0, Style(centred->control) & SS_NOPREFIX) << "an ampersand in a text is just a character";
    EXPECT_EQ(reinterpret_cast<LRESULT>(AppFont(AppFontBold)),
              SendMessageW(centred->control, WM_GETFONT, 0, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(AppFont(AppFontRegular)),
              SendMessageW(right->control, WM_GETFONT, 0, 0));
    EXPECT_EQ(2, centred->textColor);
    EXPECT_EQ(11, centred->backColor);
    EXPECT_EQ(0, Style(right->control) & WS_TABSTOP);
    EXPECT_EQ(1, DlgSetText(right, L"Replaced"));
    EXPECT_EQ(L"Replaced", ui::Text(right->control));
    DlgRefresh(right);
    EXPECT_EQ(L"Replaced", ui::Text(right->control)) << "a refresh shows the item's own text";
    std::wstring longText(900, L'x');
    DialogItem* box = DlgTextBox(dialog, 1, 4, 30, 3, longText.c_str());
    EXPECT_EQ(longText, ui::Text(box->control)) << "the control shows all of a long text";
    EXPECT_NE(0, Style(box->control) & ES_READONLY);
}

TEST_F(ItemControls, OperationsReachControlLabelAndUnitAndFindItemsByVariableOrCallback) {
    wchar_t folder[40] = L"C:\\";
    DialogItem* field = DlgString(dialog, 12, 1, 20, folder, 39, 0, L"Folder:", L"(path)");
    DialogItem* browse = DlgButton(dialog, 34, 1, 10, 0, Browse, L"Browse...", nullptr, 0);
    EXPECT_EQ(field, DlgItemByVariable(dialog, folder));
    EXPECT_EQ(browse, DlgItemByCallback(dialog, Browse));
    EXPECT_EQ(nullptr, DlgItemByCallback(dialog, Apply));
    EXPECT_EQ(dialog, DlgFromWindow(field->control));
    EXPECT_EQ(dialog, DlgFromWindow(field->label));
    EXPECT_EQ(dialog, DlgFromWindow(dialog->window));

    EXPECT_EQ(1, DlgEnableVariable(dialog, folder, 0));
    EXPECT_FALSE(IsWindowEnabled(field->control));
    EXPECT_FALSE(IsWindowEnabled(field->label));
    EXPECT_FALSE(IsWindowEnabled(field->unit));
    EXPECT_EQ(1, DlgEnableButton(dialog, Browse, 0));
    EXPECT_FALSE(IsWindowEnabled(browse->control));
    int unbound = 0;
    EXPECT_EQ(0, DlgEnableVariable(dialog, &unbound, 0)) << "nothing bound to it: nothing changes";
    EXPECT_EQ(0, DlgEnableButton(dialog, Apply, 0));
    EXPECT_EQ(1, DlgEnable(field, 1));
    EXPECT_TRUE(IsWindowEnabled(field->label));

    EXPECT_EQ(1, DlgShowItemVariable(dialog, folder, 0));
    EXPECT_EQ(0, field->visible);
    EXPECT_EQ(0, Style(field->control) & WS_VISIBLE);
    EXPECT_EQ(0, Style(field->label) & WS_VISIBLE);
    EXPECT_EQ(0, Style(field->unit) & WS_VISIBLE);
    DlgShowItem(field, 1);
    EXPECT_NE(0, Style(field->unit) & WS_VISIBLE);

    RECT before = ui::RectInParent(field->label);
    EXPECT_EQ(1, DlgSetLabelVariable(dialog, folder, L"Installation folder:"));
    RECT after = ui::RectInParent(field->label);
    EXPECT_EQ(before.right, after.right) << "the label still ends 4 pixels before its control";
    EXPECT_EQ(AppTextWidth(dialog->window, L"Installation folder:", 0), after.right - after.left);
    EXPECT_EQ(1, DlgSetLabelButton(dialog, Browse, L"Choose..."));
    EXPECT_EQ(L"Choose...", ui::Text(browse->control));

    wcsncpy(folder, L"D:\\Data", 39);
    EXPECT_EQ(1, DlgRefreshVariable(dialog, folder));
    EXPECT_EQ(L"D:\\Data", ui::Text(field->control));
    EXPECT_EQ(0, DlgRefresh(nullptr));
    EXPECT_EQ(0, DlgFocusButton(dialog, Apply));
}

#ifndef NIMBO_PLUGIN
TEST_F(ItemControls, ToggleShowsItsVariableAndNotifiesOncePerClick) {
    int option = 5; // any non-zero value shows as on
    int quiet = 0;
    DialogItem* toggle = DlgToggle(dialog, 1, 1, 20, &option, DlgItemNotify, L"Option");
    ASSERT_NE(nullptr, DlgToggle(dialog, 1, 2, 20, &quiet, 0, L"Quiet"));
    ASSERT_NE(nullptr, toggle);
    EXPECT_EQ(nullptr, DlgToggle(dialog, 1, 3, 20, nullptr, 0, L"No variable"));
    EXPECT_EQ(BST_CHECKED, SendMessageW(toggle->control, BM_GETCHECK, 0, 0));
    EXPECT_EQ(L"Option", ui::Text(toggle->control)) << "the label is the check box's own text";
    EXPECT_EQ(nullptr, toggle->label);
    DlgButton(dialog, 1, 5, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
    static int optionAfterFirstClick = -1;
    ui::Beside driver(L"Controls", [] {
        HWND window = ui::WaitForWindow(L"Controls");
        HWND box = ui::FindByText(window, L"Option", L"Button");
        ui::Click(box);
        ui::WaitUntil([] { return changes.size() == 2; }); // the start, then the click
        ui::Click(box);
        ui::WaitUntil([] { return changes.size() == 3; });
        ui::Click(ui::FindByText(window, L"Quiet", L"Button"));
        ui::Click(ui::FindByText(window, L"OK", L"Button"));
    });
    DlgSetChangeHook(dialog, [](Dialog*, DialogItem* item) {
        changes.push_back(item);
        if (changes.size() == 2) optionAfterFirstClick = *static_cast<int*>(item->variable);
    });
    EXPECT_EQ(1, DlgRun(dialog));
    ASSERT_EQ(3u, changes.size()) << "the quiet toggle has no notify flag";
    EXPECT_EQ(nullptr, changes[0]);
    EXPECT_EQ(toggle, changes[1]);
    EXPECT_EQ(toggle, changes[2]);
    EXPECT_EQ(0, optionAfterFirstClick);
    EXPECT_EQ(1, option);
    EXPECT_EQ(1, quiet);
}

TEST_F(ItemControls, MenuCommandsByCallback) {
    static int popups = 0;
    popups = 0;
    Dialog* menuDialog = DlgCreate(L"Menus", 30, 5, DlgWindowPopup, DlgStyleMenuBar, nullptr);
    DlgMenuBar(menuDialog);
    HMENU file = DlgMenuPopup(menuDialog, L"File");
    HMENU recent = DlgMenuSubPopup(menuDialog, file, L"Recent");
    int applyId = DlgMenuCommand(menuDialog, file, Apply, L"Apply", L"ApplyAction");
    EXPECT_EQ(1, DlgMenuSeparator(menuDialog, file));
    DlgMenuCommand(menuDialog, recent, Browse, L"Browse", nullptr);
    EXPECT_EQ(1, DlgMenuEnable(menuDialog, Apply, 0));
    EXPECT_NE(0u, GetMenuState(file, static_cast<UINT>(applyId), MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(1, DlgMenuCheck(menuDialog, Browse, 1));
    EXPECT_EQ(0, DlgMenuCheck(menuDialog, DlgStandardNo, 1));
    DlgMenuEntry* entry = DlgMenuEntryById(menuDialog, applyId);
    ASSERT_NE(nullptr, entry);
    EXPECT_STREQ(L"ApplyAction", entry->name);
    EXPECT_EQ(1, entry->kind);
    DlgSetMenuPopupHook(menuDialog, [](Dialog*, DlgMenuEntry* popup) {
        if (popup && popup->kind == 0) ++popups;
    });
    SendMessageW(menuDialog->window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_EQ(1, popups);
}
#endif
