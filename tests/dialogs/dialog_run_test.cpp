// Modal runs and how they end: OK by Enter, Cancel by Escape, the close box, buttons that keep the
// dialog open, borderless popups, the dialog table's limit and the modal stack, and the hooks.
#include <gtest/gtest.h>

#include "dialog_toolkit_start.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_recording.h"
#include "dialogs/items.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <string>
#include <vector>

namespace {

class DialogRun : public ToolkitTest {};

std::vector<std::wstring> events;

void RecordChange(Dialog*, DialogItem* item) {
    events.push_back(item ? L"change:" + std::to_wstring(item->index) : L"change:start");
}

int CountingKeepOpen(Dialog*) {
    events.push_back(L"keep-open");
    return 0;
}

} // namespace

TEST_F(DialogRun, EnterInTheOnlyFieldAnswersOkAndKeepsTheText) {
    wchar_t name[40] = L"old";
    Dialog* dialog = DlgCreate(L"Enter answers OK", 40, 4, DlgWindowPopup, 0, nullptr);
    DlgString(dialog, 10, 0.5, 20, name, 39, 0, L"Name:", nullptr);
    DlgButton(dialog, 2, 2.2, 12, 0, DlgStandardOk, L"OK", nullptr, 0);
    ASSERT_NE(nullptr, DlgButton(dialog, 20, 2.2, 12, 0, DlgStandardCancel, L"Cancel", nullptr, 0));
    int result = 0;
    {
        ui::Beside driver(L"Enter answers OK", [] {
            HWND window = ui::WaitForWindow(L"Enter answers OK");
            HWND field = ui::FindByLabel(window, L"Name:");
            ui::TypeInto(field, L"Typed text");
            ui::WaitUntil([&] { return ui::Text(field) == L"Typed text"; });
            testenv::SaveScreenshot("dialog_enter_answers_ok");
            ui::PressKey(field, VK_RETURN);
        });
        result = DlgRun(dialog);
    }
    EXPECT_EQ(1, result);
    EXPECT_STREQ(L"Typed text", name);
}

#ifndef NIMBO_PLUGIN
TEST_F(DialogRun, EscapeAfterEditsRestoresEveryVariable) {
    int count = 5;
    int option = 0;
    wchar_t text[20] = L"before";
    static int countSeen = 0;
    static int optionSeen = 0;
    static int* countAddress = nullptr;
    static int* optionAddress = nullptr;
    countAddress = &count;
    optionAddress = &option;
    Dialog* dialog = DlgCreate(L"Escape restores", 40, 5, DlgWindowPopup, 0, nullptr);
    DlgSetChangeHook(dialog, [](Dialog*, DialogItem*) {
        countSeen = *countAddress;
        optionSeen = *optionAddress;
    });
    DlgInt(dialog, 10, 0.5, 8, &count, nullptr, nullptr, DlgItemNotify, L"Count:", nullptr);
    DlgToggle(dialog, 10, 1.5, 20, &option, DlgItemNotify, L"Option");
    DlgString(dialog, 10, 2.5, 20, text, 19, 0, L"Text:", nullptr);
    DlgButton(dialog, 2, 3.7, 12, 0, DlgStandardOk, L"OK", nullptr, 0);
    int result = 0;
    {
        ui::Beside driver(L"Escape restores", [] {
            HWND window = ui::WaitForWindow(L"Escape restores");
            HWND countField = ui::FindByLabel(window, L"Count:");
            HWND textField = ui::FindByLabel(window, L"Text:");
            ui::TypeInto(countField, L"42");
            ui::TypeInto(textField, L"after"); // clicking the next field takes the focus: Count is written
            ui::Click(ui::FindByText(window, L"Option", L"Button"));
            ui::WaitUntil([] { return countSeen == 42 && optionSeen == 1; });
            ui::PressKeyInFocus(window, VK_ESCAPE);
        });
        result = DlgRun(dialog);
    }
    EXPECT_EQ(42, countSeen) << "the field never wrote its variable; the restore below proves nothing";
    EXPECT_EQ(1, optionSeen);
    EXPECT_EQ(-1, result);
    EXPECT_EQ(5, count);
    EXPECT_EQ(0, option);
    EXPECT_STREQ(L"before", text);
}

TEST_F(DialogRun, CloseBoxAnswersCancelWithoutRestoring) {
    int option = 0;
    Dialog* dialog = DlgCreate(L"Close box", 30, 3, DlgWindowPopup, 0, nullptr);
    DlgToggle(dialog, 2, 0.5, 20, &option, 0, L"Option");
    DlgButton(dialog, 2, 1.7, 12, 0, DlgStandardOk, L"OK", nullptr, 0);
    int result = 0;
    {
        ui::Beside driver(L"Close box", [] {
            HWND window = ui::WaitForWindow(L"Close box");
            HWND toggle = ui::FindByText(window, L"Option", L"Button");
            ui::Click(toggle);
            ui::WaitUntil([&] { return ui::CheckState(toggle) == BST_CHECKED; });
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        result = DlgRun(dialog);
    }
    EXPECT_EQ(-1, result);
    EXPECT_EQ(1, option);
}
#endif

// A caller's text longer than its field: the field shows what fits, but a cancel gives the whole text
// back, whether the user typed or not.
TEST_F(DialogRun, CancelGivesBackAStringLongerThanItsField) {
    struct Case {
        const char* name;
        bool typed;
        bool escape; // else the Cancel button
    };
    const Case cases[] = {{"escape after typing", true, true},
                          {"cancel button after typing", true, false},
                          {"escape untouched", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring original = L"C:\\Users\\someone\\a folder name longer than the field";
        static wchar_t text[80];
        wcsncpy(text, original.c_str(), 79);
        text[79] = 0;
        Dialog* dialog = DlgCreate(L"Cancel restores", 40, 4, DlgWindowPopup, 0, nullptr);
        DlgString(dialog, 10, 0.5, 20, text, 10, 0, L"Folder:", nullptr);
        DlgButton(dialog, 2, 2.2, 12, 0, DlgStandardOk, L"OK", nullptr, 0);
        DlgButton(dialog, 20, 2.2, 12, 0, DlgStandardCancel, L"Cancel", nullptr, 0);
        static const Case* current = nullptr;
        static bool written = false;
        current = &c;
        written = false;
        int result = 0;
        {
            ui::Beside driver(L"Cancel restores", [] {
                HWND window = ui::WaitForWindow(L"Cancel restores");
                HWND field = ui::FindByLabel(window, L"Folder:");
                if (current->typed) {
                    ui::TypeInto(field, L"typed");
                    ui::PressKey(field, VK_TAB); // moving on writes the field into the variable
                    written = ui::WaitUntil([] { return std::wstring(text) == L"typed"; });
                }
                testenv::SaveScreenshot("dialog_cancel_restores_long_string");
                if (current->escape)
                    ui::PressKeyInFocus(window, VK_ESCAPE);
                else
                    ui::Click(ui::FindByText(window, L"Cancel", L"Button"));
            });
            result = DlgRun(dialog);
        }
        EXPECT_EQ(c.typed, written) << "the typed text never reached the variable";
        EXPECT_EQ(-1, result);
        EXPECT_EQ(original, std::wstring(text));
    }
}

TEST_F(DialogRun, ButtonReturningZeroKeepsTheDialogOpen) {
    events.clear();
    Dialog* dialog = DlgCreate(L"Keeps open", 40, 3, DlgWindowPopup, 0, nullptr);
    DlgButton(dialog, 2, 1, 12, 0, CountingKeepOpen, L"Browse...", nullptr, 0);
    DlgButton(dialog, 20, 1, 12, 0, DlgStandardOk, L"OK", nullptr, 0);
    int result = 0;
    bool stillOpen = false;
    {
        ui::Beside driver(L"Keeps open", [&] {
            HWND window = ui::WaitForWindow(L"Keeps open");
            ui::Click(ui::FindByText(window, L"Browse...", L"Button"));
            ui::Click(ui::FindByText(window, L"Browse...", L"Button"));
            ui::WaitUntil([] { return events.size() == 2; });
            Sleep(100);
            stillOpen = IsWindow(window) && IsWindowVisible(window);
            ui::Click(ui::FindByText(window, L"OK", L"Button"));
        });
        result = DlgRun(dialog);
    }
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(2u, events.size());
    EXPECT_EQ(1, result);
}

TEST_F(DialogRun, HooksRunInOrderAroundTheCallback) {
    events.clear();
    AppSetCommandHooks([] { events.push_back(L"before"); }, [] { events.push_back(L"after"); });
    Dialog* dialog = DlgCreate(L"Hooks", 40, 3, DlgWindowPopup, 0, nullptr);
    DlgSetChangeHook(dialog, RecordChange);
    DlgButton(dialog, 2, 1, 12, 0, CountingKeepOpen, L"Work", nullptr, 0);
    DialogItem* ok = DlgButton(dialog, 20, 1, 12, 0, DlgStandardOk, L"OK", nullptr, 0);
    ASSERT_NE(nullptr, ok);
    {
        ui::Beside driver(L"Hooks", [] {
            HWND window = ui::WaitForWindow(L"Hooks");
            ui::Click(ui::FindByText(window, L"Work", L"Button"));
            ui::WaitUntil([] { return events.size() >= 4; });
            ui::Click(ui::FindByText(window, L"OK", L"Button"));
        });
        EXPECT_EQ(1, DlgRun(dialog));
    }
    AppSetCommandHooks(nullptr, nullptr);
    std::vector<std::wstring> expected{L"change:start", L"before", L"keep-open",
                                       L"after",        L"before", L"after"};
    EXPECT_EQ(expected, events);
}

TEST_F(DialogRun, BorderlessPopupEndsWithOneOnAClickAndKeepsTheTypedText) {
    wchar_t value[20] = L"";
    Dialog* dialog = DlgCreate(L"Borderless", 20, 1.2, DlgWindowPopup, DlgStyleBorderless, nullptr);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(0, GetWindowLongPtrW(dialog->window, GWL_STYLE) & WS_CAPTION);
    DlgString(dialog, 1, 0, 18, value, 19, 0, nullptr, nullptr);
    int result = 0;
    {
        ui::Beside driver(L"Borderless", [] {
            HWND window = ui::WaitForWindow(L"Borderless");
            HWND field = ui::FocusOf(window);
            for (wchar_t character : std::wstring(L"quick")) PostMessageW(field, WM_CHAR, character, 1);
            ui::WaitUntil([&] { return ui::Text(field) == L"quick"; });
            ui::MouseClick(window, 2, 2);
        });
        result = DlgRun(dialog);
    }
    EXPECT_EQ(1, result);
    EXPECT_STREQ(L"quick", value);
}

TEST_F(DialogRun, BorderlessPopupEndsWithOneOnTab) {
    wchar_t value[20] = L"";
    Dialog* dialog = DlgCreate(L"Borderless tab", 20, 1.2, DlgWindowPopup, DlgStyleBorderless, nullptr);
    DlgString(dialog, 1, 0, 18, value, 19, 0, nullptr, nullptr);
    int result = 0;
    {
        ui::Beside driver(L"Borderless tab", [] {
            HWND window = ui::WaitForWindow(L"Borderless tab");
            HWND field = ui::FocusOf(window);
            PostMessageW(field, WM_CHAR, L'7', 1);
            ui::PressKey(field, VK_TAB);
        });
        result = DlgRun(dialog);
    }
    EXPECT_EQ(1, result);
    EXPECT_STREQ(L"7", value);
}

TEST_F(DialogRun, EnterWithoutOkButtonMovesToTheNextField) {
    wchar_t first[10] = L"a";
    wchar_t second[10] = L"b";
    Dialog* dialog = DlgCreate(L"No OK", 30, 3, DlgWindowPopup, 0, nullptr);
    DlgString(dialog, 8, 0.2, 10, first, 9, 0, L"First:", nullptr);
    DlgString(dialog, 8, 1.2, 10, second, 9, 0, L"Second:", nullptr);
    bool movedOn = false;
    {
        ui::Beside driver(L"No OK", [&] {
            HWND window = ui::WaitForWindow(L"No OK");
            HWND firstField = ui::FindByLabel(window, L"First:");
            HWND secondField = ui::FindByLabel(window, L"Second:");
            ui::WaitUntil([&] { return ui::FocusOf(window) == firstField; });
            ui::PressKey(firstField, VK_RETURN);
            movedOn = ui::WaitUntil([&] { return ui::FocusOf(window) == secondField; });
            ui::PressKeyInFocus(window, VK_ESCAPE);
        });
        EXPECT_EQ(-1, DlgRun(dialog));
    }
    EXPECT_TRUE(movedOn);
}

TEST_F(DialogRun, FiftyFirstDialogIsRefused) {
    std::vector<Dialog*> dialogs;
    for (int index = 0; index < 50; ++index) {
        Dialog* dialog = DlgCreate(L"Many", 10, 2, DlgWindowPopup, 0, nullptr);
        ASSERT_NE(nullptr, dialog) << "dialog " << index + 1;
        dialogs.push_back(dialog);
    }
    EXPECT_EQ(nullptr, DlgCreate(L"One too many", 10, 2, DlgWindowPopup, 0, nullptr));
    // Operations on the refused dialog's null answer null, so a page builder tests only the end.
    EXPECT_EQ(nullptr, DlgButton(nullptr, 1, 1, 5, 0, DlgStandardOk, L"OK", nullptr, 0));
    EXPECT_EQ(0, DlgRun(nullptr));
    Dialog* freed = dialogs[20];
    DlgDestroy(freed);
    EXPECT_EQ(nullptr, freed->window);
    Dialog* again = DlgCreate(L"Reuses", 10, 2, DlgWindowPopup, 0, nullptr);
    EXPECT_EQ(freed, again);
}

TEST_F(DialogRun, RunWhoseParentIsNotTheTopModalDialogReturnsZeroAtOnce) {
    static int innerResult = 99;
    static bool innerGone = false;
    static bool outerEnabled = false;
    Dialog* outer = DlgCreate(L"Outer", 30, 3, DlgWindowPopup, 0, nullptr);
    DlgButton(
        outer, 2, 1, 20, 0,
        [](Dialog* self) {
            Dialog* inner = DlgCreate(L"Inner", 20, 2, DlgWindowPopup, 0, nullptr);
            HWND innerWindow = inner->window;
            innerResult = DlgRun(inner);
            innerGone = !IsWindow(innerWindow);
            outerEnabled = IsWindowEnabled(self->window) != 0;
            return 1;
        },
        L"Open inner", nullptr, 0);
    {
        ui::Beside driver(L"Outer", [] {
            HWND window = ui::WaitForWindow(L"Outer");
            ui::Click(ui::FindByText(window, L"Open inner", L"Button"));
        });
        EXPECT_EQ(1, DlgRun(outer));
    }
    EXPECT_EQ(0, innerResult);
    EXPECT_TRUE(innerGone);
    EXPECT_TRUE(outerEnabled);
}

TEST_F(DialogRun, NoWaitRunsWithoutShowingAndAnswersOne) {
    events.clear();
    Dialog* dialog = DlgCreate(L"Unseen", 20, 2, DlgWindowPopup, 0, nullptr);
    DlgSetChangeHook(dialog, RecordChange);
    HWND window = dialog->window;
    DlgSetNoWait();
    EXPECT_EQ(1, DlgRun(dialog));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(std::vector<std::wstring>{L"change:start"}, events);
    // One-shot: the next run waits again, and a refused run does not consume it either way.
    Dialog* next = DlgCreate(L"Seen", 20, 2, DlgWindowPopup, 0, nullptr);
    ui::Beside driver(L"Seen", [] { PostMessageW(ui::WaitForWindow(L"Seen"), WM_CLOSE, 0, 0); });
    EXPECT_EQ(-1, DlgRun(next));
}

TEST_F(DialogRun, ModelessDialogClosesThroughItsReferenceAndCallsTheDestroyHookOnce) {
    static int destroyed = 0;
    destroyed = 0;
    Dialog* dialog = DlgCreate(L"Modeless", 20, 2, DlgWindowTool, DlgStyleNoSysMenu, nullptr);
    DlgSetDestroyHook(dialog, [](Dialog*) { ++destroyed; });
    EXPECT_EQ(1, DlgShow(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog->window));
    HWND window = dialog->window;
    Dialog* reference = dialog;
    DlgClose(&reference);
    EXPECT_EQ(nullptr, reference);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1, destroyed);
    Dialog* popup = DlgCreate(L"Popup", 20, 2, DlgWindowPopup, 0, nullptr);
    EXPECT_EQ(0, DlgShow(popup)); // a popup only runs modally
}

TEST_F(DialogRun, AppEndDestroysOpenDialogsCallingEachDestroyHookOnce) {
    static int destroyed = 0;
    destroyed = 0;
    Dialog* first = DlgCreate(L"First", 20, 2, DlgWindowTool, 0, nullptr);
    Dialog* second = DlgCreate(L"Second", 20, 2, DlgWindowTool, 0, nullptr);
    DlgSetDestroyHook(first, [](Dialog*) { ++destroyed; });
    DlgSetDestroyHook(second, [](Dialog*) { ++destroyed; });
    DlgShow(first);
    HWND firstWindow = first->window;
    HWND secondWindow = second->window;
    AppEnd();
    EXPECT_EQ(2, destroyed);
    EXPECT_FALSE(IsWindow(firstWindow));
    EXPECT_FALSE(IsWindow(secondWindow));
    EXPECT_EQ(nullptr, first->window) << "the record is free again";
    ASSERT_EQ(1, StartToolkit());
}

TEST_F(DialogRun, ToolAndChildDialogsUseTheirOwnClasses) {
    AppEnd();
    ASSERT_EQ(1, StartToolkit(1));
    Dialog* tool = DlgCreateTool(L"Tool window", 30, 5, 0, DlgStyleCentred);
    ASSERT_NE(nullptr, tool);
    EXPECT_EQ(L"NimboClassify", ui::ClassName(tool->window));
    EXPECT_EQ(DlgWindowTool, tool->kind);
    EXPECT_TRUE(IsWindowVisible(tool->window));
    RECT client{};
    GetClientRect(tool->window, &client);
    EXPECT_EQ(AppColumnsToPixels(30), client.right);
    EXPECT_EQ(AppLinesToPixels(5), client.bottom);
    Dialog* child = DlgCreateChild(tool->window);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(L"NimboChildDlg", ui::ClassName(child->window));
    EXPECT_EQ(tool->window, GetParent(child->window));
    GetClientRect(child->window, &client);
    EXPECT_EQ(AppColumnsToPixels(30), client.right) << "the child fills its host";
    wchar_t text[10] = L"in child";
    DialogItem* field = DlgString(child, 1, 1, 10, text, 9, 0, nullptr, nullptr);
    ASSERT_NE(nullptr, field);
    EXPECT_EQ(child, DlgFromWindow(field->control));
    EXPECT_EQ(nullptr, DlgCreateChild(nullptr));
}
