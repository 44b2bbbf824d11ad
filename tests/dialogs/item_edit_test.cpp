// String and number fields: what a text left in the field does to the variable, how values are shown,
// limits, display-only and live fields, and the values a cancelled dialog gives back.
#include <gtest/gtest.h>

#include "dialog_toolkit_start.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <string>
#include <vector>

namespace {

class ItemEdit : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        dialog = DlgCreate(L"Fields", 60, 12, DlgWindowPopup, 0, nullptr);
        ASSERT_NE(nullptr, dialog);
        changes.clear();
        DlgSetChangeHook(dialog, [](Dialog*, DialogItem* item) { changes.push_back(item); });
    }
    // What a person leaves in the field when moving on.
    static int Leave(DialogItem* item, const wchar_t* text) {
        SetWindowTextW(item->control, text);
        return DlgCommit(item);
    }
    static std::wstring Shown(DialogItem* item) { return ui::Text(item->control); }

    Dialog* dialog = nullptr;
    static std::vector<DialogItem*> changes;
};

std::vector<DialogItem*> ItemEdit::changes;

} // namespace

TEST_F(ItemEdit, StringFieldKeepsAtMostItsMaximum) {
    wchar_t text[11] = L"start";
    DialogItem* item = DlgString(dialog, 10, 1, 20, text, 10, DlgItemNotify, L"Text:", nullptr);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(L"start", Shown(item));
    EXPECT_EQ(1, Leave(item, L"abcdefghijKLMNOP"));
    EXPECT_STREQ(L"abcdefghij", text);
    EXPECT_EQ(L"abcdefghij", Shown(item)) << "the field shows what was kept";
    EXPECT_EQ(std::vector<DialogItem*>{item}, changes);
    EXPECT_EQ(0, Leave(item, L"abcdefghij")) << "unchanged text: no write, no notification";
    EXPECT_EQ(1u, changes.size());
    EXPECT_EQ(0, Leave(item, text));
}

TEST_F(ItemEdit, StringMaximumIsLimitedAndAVariableIsRequired) {
    EXPECT_EQ(nullptr, DlgString(dialog, 1, 1, 10, nullptr, 10, 0, nullptr, nullptr));
    static wchar_t big[5000];
    DialogItem* item = DlgString(dialog, 1, 1, 10, big, 100000, 0, nullptr, nullptr);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(3999, item->maxLength);
    std::wstring typed(4500, L'x');
    Leave(item, typed.c_str());
    EXPECT_EQ(3999u, wcslen(big));
}

TEST_F(ItemEdit, LongStringIsRestoredWhole) {
    // More than the 799 characters the saved value holds.
    static wchar_t text[2001];
    std::wstring original(1500, L'o');
    wcsncpy(text, original.c_str(), 2000);
    DialogItem* item = DlgString(dialog, 1, 1, 10, text, 2000, 0, nullptr, nullptr);
    ASSERT_NE(nullptr, item);
    Leave(item, L"short");
    EXPECT_STREQ(L"short", text);
    DlgRestoreVariables(dialog);
    EXPECT_EQ(original, std::wstring(text));
}

#ifndef NIMBO_PLUGIN
TEST_F(ItemEdit, IntFieldRefusesValuesOutsideItsLimitsAndShowsTheOldValue) {
    int value = 50;
    int lower = 1, upper = 100;
    DialogItem* item = DlgInt(dialog, 10, 1, 10, &value, &lower, &upper, DlgItemNotify, L"Percent:", L"%");
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(L"50", Shown(item));
    EXPECT_EQ(1, Leave(item, L"250"));
    EXPECT_EQ(50, value);
    EXPECT_EQ(L"50", Shown(item));
    EXPECT_EQ(1u, changes.size())
        << "the text differed, so the hook hears of it even though nothing was kept";
    Leave(item, L"0");
    EXPECT_EQ(50, value);
    Leave(item, L"100");
    EXPECT_EQ(100, value);
    Leave(item, L"1");
    EXPECT_EQ(1, value);
    Leave(item, L"12abc");
    EXPECT_EQ(12, value);
    EXPECT_EQ(L"12", Shown(item));
    Leave(item, L"");
    EXPECT_EQ(12, value) << "empty reads 0, which the lower limit refuses";
}

TEST_F(ItemEdit, IntFieldReadsLeadingDigitsAndEmptyAsZero) {
    int value = 9;
    DialogItem* item = DlgInt(dialog, 10, 1, 10, &value, nullptr, nullptr, 0, nullptr, nullptr);
    Leave(item, L"12abc");
    EXPECT_EQ(12, value);
    Leave(item, L"");
    EXPECT_EQ(0, value);
    EXPECT_EQ(L"0", Shown(item));
    Leave(item, L"  -7");
    EXPECT_EQ(-7, value);
    Leave(item, L"abc");
    EXPECT_EQ(0, value);
    // Too large for an int: refused rather than wrapped or clamped into a different number.
    Leave(item, L"5");
    Leave(item, L"4294967296");
    EXPECT_EQ(5, value);
    Leave(item, L"99999999999999999999999");
    EXPECT_EQ(5, value);
    EXPECT_EQ(L"5", Shown(item));
}

TEST_F(ItemEdit, UnsignedAnd64BitFields) {
    unsigned int count = 3;
    long long big = 0;
    long long bigLower = -5;
    DialogItem* unsignedItem = DlgUInt(dialog, 10, 1, 10, &count, nullptr, nullptr, 0, nullptr, nullptr);
    DialogItem* bigItem = DlgInt64(dialog, 10, 2, 20, &big, &bigLower, nullptr, 0, nullptr, nullptr);
    Leave(unsignedItem, L"4000000000");
    EXPECT_EQ(4000000000u, count);
    EXPECT_EQ(L"4000000000", Shown(unsignedItem));
    Leave(unsignedItem, L"4294967298"); // the low 32 bits of the 64-bit reading
    EXPECT_EQ(2u, count);
    Leave(bigItem, L"9000000000000");
    EXPECT_EQ(9000000000000LL, big);
    EXPECT_EQ(L"9000000000000", Shown(bigItem));
    Leave(bigItem, L"-6");
    EXPECT_EQ(9000000000000LL, big);
    Leave(bigItem, L"-5");
    EXPECT_EQ(-5, big);
}

TEST_F(ItemEdit, DoubleFormatsByDecimalsSignAndExponent) {
    double fixed = 2.5, sign = 2.5, exponent = 2.5;
    DialogItem* fixedItem = DlgDouble(dialog, 10, 1, 10, &fixed, 3, nullptr, nullptr, 0, nullptr, nullptr);
    DialogItem* signItem =
        DlgDouble(dialog, 10, 2, 10, &sign, 3, nullptr, nullptr, DlgDoubleSign, nullptr, nullptr);
    DialogItem* exponentItem =
        DlgDouble(dialog, 10, 3, 10, &exponent, 3, nullptr, nullptr, DlgDoubleExponent, nullptr, nullptr);
    EXPECT_EQ(L"2.500", Shown(fixedItem));
    EXPECT_EQ(L"+2.500", Shown(signItem));
    EXPECT_EQ(L"2.500e+00", Shown(exponentItem));
    sign = -1.25;
    DlgRefresh(signItem);
    EXPECT_EQ(L"-1.250", Shown(signItem));
    Leave(fixedItem, L"3.14159");
    EXPECT_DOUBLE_EQ(3.14159, fixed);
    EXPECT_EQ(L"3.142", Shown(fixedItem));
}

TEST_F(ItemEdit, DoubleLimitsAndNonNumbers) {
    double value = 1.0;
    double lower = 0.0, upper = 10.0;
    DialogItem* item = DlgDouble(dialog, 10, 1, 10, &value, 2, &lower, &upper, 0, nullptr, nullptr);
    Leave(item, L"10.5");
    EXPECT_DOUBLE_EQ(1.0, value);
    Leave(item, L"1e1");
    EXPECT_DOUBLE_EQ(10.0, value);
    Leave(item, L"nan");
    EXPECT_DOUBLE_EQ(10.0, value);
    double free = 1.0;
    DialogItem* unlimited = DlgDouble(dialog, 10, 2, 10, &free, 2, nullptr, nullptr, 0, nullptr, nullptr);
    Leave(unlimited, L"inf");
    EXPECT_DOUBLE_EQ(1.0, free) << "an infinite value is no number a field can show again";
    Leave(unlimited, L"-0.126");
    EXPECT_DOUBLE_EQ(-0.126, free);
    EXPECT_EQ(L"-0.13", Shown(unlimited));
}

TEST_F(ItemEdit, DisplayOnlyFieldShowsPlainTextAndIgnoresCommits) {
    double value = 2.5;
    DialogItem* item = DlgDoubleNamed(dialog, 10, 1, 10, &value, 1, nullptr, nullptr, DlgItemDisplayOnly,
                                      L"Shown:", nullptr, L"Shown");
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(L"Static", ui::ClassName(item->control));
    EXPECT_EQ(L"2.5", Shown(item));
    EXPECT_EQ(0, GetWindowLongPtrW(item->control, GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(0, Leave(item, L"9"));
    EXPECT_DOUBLE_EQ(2.5, value);
    value = 7.26;
    DlgRefreshVariable(dialog, &value);
    EXPECT_EQ(L"7.3", Shown(item));
}

TEST_F(ItemEdit, LiveFieldWritesOnEveryChangeWithoutLimits) {
    int value = 5;
    int upper = 10;
    DialogItem* item =
        DlgInt(dialog, 10, 1, 10, &value, nullptr, &upper, DlgItemLive | DlgItemNotify, nullptr, nullptr);
    ASSERT_NE(nullptr, item);
    EXPECT_TRUE(changes.empty()) << "showing the initial value is no change";
    SetWindowTextW(item->control, L"1");
    EXPECT_EQ(1, value);
    SetWindowTextW(item->control, L"12");
    EXPECT_EQ(12, value) << "no limit test while typing";
    EXPECT_EQ(2u, changes.size());
    DlgCommit(item);
    EXPECT_EQ(12, value);
    // A field without the live flag waits for the user to leave it.
    int quiet = 5;
    DialogItem* other = DlgInt(dialog, 10, 2, 10, &quiet, nullptr, nullptr, 0, nullptr, nullptr);
    SetWindowTextW(other->control, L"6");
    EXPECT_EQ(5, quiet);
}

TEST_F(ItemEdit, CancelRestoresEveryKindToItsCreationValue) {
    int number = 1;
    unsigned int count = 2;
    long long big = 3;
    double real = 4.5;
    wchar_t text[10] = L"six";
    DialogItem* items[] = {
        DlgInt(dialog, 10, 1, 10, &number, nullptr, nullptr, 0, nullptr, nullptr),
        DlgUInt(dialog, 10, 2, 10, &count, nullptr, nullptr, 0, nullptr, nullptr),
        DlgInt64(dialog, 10, 3, 10, &big, nullptr, nullptr, 0, nullptr, nullptr),
        DlgDouble(dialog, 10, 4, 10, &real, 1, nullptr, nullptr, 0, nullptr, nullptr),
        DlgString(dialog, 10, 5, 10, text, 9, 0, nullptr, nullptr),
    };
    for (DialogItem* item : items) Leave(item, L"77");
    ASSERT_EQ(77, number);
    ASSERT_STREQ(L"77", text);
    DlgEnd(dialog, -1);
    EXPECT_EQ(1, number);
    EXPECT_EQ(2u, count);
    EXPECT_EQ(3, big);
    EXPECT_DOUBLE_EQ(4.5, real);
    EXPECT_STREQ(L"six", text);
    EXPECT_EQ(0, Leave(items[0], L"88")) << "after the end a field losing the focus writes nothing";
    EXPECT_EQ(1, number);
}

TEST_F(ItemEdit, TypingIntoAFieldOfARunningDialog) {
    int value = 50;
    int lower = 1, upper = 100;
    DlgInt(dialog, 12, 1, 10, &value, &lower, &upper, 0, L"Percent:", L"%");
    DlgButton(dialog, 2, 3, 12, 0, DlgStandardOk, L"OK", nullptr, 0);
    static std::wstring shownAfterBadInput;
    ui::Beside driver(L"Fields", [] {
        HWND window = ui::WaitForWindow(L"Fields");
        HWND field = ui::FindByLabel(window, L"Percent:");
        ui::TypeInto(field, L"250");
        ui::PressKey(field, VK_TAB);
        ui::WaitUntil([&] { return ui::Text(field) == L"50"; });
        shownAfterBadInput = ui::Text(field);
        testenv::SaveScreenshot("item_edit_refused_value");
        ui::TypeInto(field, L"75");
        ui::PressKey(field, VK_RETURN);
    });
    EXPECT_EQ(1, DlgRun(dialog));
    EXPECT_EQ(L"50", shownAfterBadInput);
    EXPECT_EQ(75, value);
}
#endif
