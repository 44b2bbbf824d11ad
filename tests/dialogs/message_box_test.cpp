// Message dialogs: their layout as a pure function and on real windows, the answers each button, key and
// the close box give, the disabling of other dialogs while one runs, and the composition of the text.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"
#include "dialogs/message_box.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

namespace {

const wchar_t kAppName[] = L"Nimbo Message Test";

void StartToolkit() {
#ifdef NIMBO_PLUGIN
    AppStart(GetModuleHandleW(nullptr), 0, 0, kAppName, L"NOICON");
#else
    AppStart(GetModuleHandleW(nullptr), 0, 0, kAppName, L"NOICON", nullptr, 12);
#endif
}

// The message dialog: a toolkit dialog titled with the application name (the other dialogs of these tests
// have titles of their own).
HWND WaitForMessageDialog() {
    return ui::WaitForWindow(kAppName, 10000, L"NimboDialog");
}

HWND FindEdit(HWND dialog) {
    for (HWND child : ui::Children(dialog))
        if (ui::ClassName(child) == L"Edit") return child;
    return nullptr;
}

// Runs show on this thread while act drives the message dialog from another thread; act gets the dialog.
template <typename Show> auto WithDriver(Show show, std::function<void(HWND)> act) {
    std::thread driver([&] {
        HWND dialog = WaitForMessageDialog();
        if (dialog) act(dialog);
    });
    auto answer = show();
    driver.join();
    return answer;
}

void ClickButton(HWND dialog, const wchar_t* label) {
    HWND button = ui::FindByText(dialog, label, L"Button");
    ASSERT_NE(button, nullptr) << "no button " << std::string(label, label + wcslen(label));
    ui::Click(button);
}

class MessageBoxTest : public testing::Test {
protected:
    static void SetUpTestSuite() { StartToolkit(); }
};

// ---- Layout as a pure function ----

TEST(MessageLayout, WidthAndHeightFollowTheMessageLength) {
    struct Case {
        int length;
        double width, height;
        int lines;
    } cases[] = {
        {0, 40, 3.6, 1},   {54, 40, 3.6, 1},  {55, 60, 3.6, 1},  {59, 60, 3.6, 1},
        {60, 60, 4.6, 2},  {119, 60, 4.6, 2}, {120, 60, 5.6, 3}, {180, 60, 6.6, 4},
        {240, 60, 7.6, 5}, {299, 60, 7.6, 5}, {300, 60, 8.6, 6}, {800, 60, 8.6, 6},
    };
    for (const Case& c : cases) {
        MsgLayout layout = MsgLayoutFor(MsgTypeInfo, c.length);
        EXPECT_EQ(layout.width, c.width) << c.length;
        EXPECT_NEAR(layout.height, c.height, 1e-9) << c.length;
        EXPECT_EQ(layout.textLines, c.lines) << c.length;
        EXPECT_NEAR(layout.buttonY, c.height - 1.6, 1e-9) << c.length;
    }
}

TEST(MessageLayout, ButtonRowsOfEachType) {
    MsgLayout info = MsgLayoutFor(MsgTypeInfo, 10);
    ASSERT_EQ(info.buttonCount, 1);
    EXPECT_EQ(info.buttons[0].x, 12); // (40 - 16) / 2
    EXPECT_EQ(info.buttons[0].result, 1);

    MsgLayout okCancel = MsgLayoutFor(MsgTypeOkCancel, 100);
    ASSERT_EQ(okCancel.buttonCount, 2);
    EXPECT_EQ(okCancel.buttons[0].x, 1);
    EXPECT_EQ(okCancel.buttons[1].x, 43); // 60 - 17
    EXPECT_EQ(okCancel.buttons[1].width, 16);
    EXPECT_EQ(std::wstring(okCancel.buttons[1].label), L"Cancel");
    EXPECT_EQ(okCancel.buttons[1].result, -1);

    MsgLayout yesNo = MsgLayoutFor(MsgTypeYesNo, 10);
    EXPECT_EQ(yesNo.buttons[0].result, 2);
    EXPECT_EQ(yesNo.buttons[1].result, -2);
    EXPECT_EQ(yesNo.buttons[1].x, 23); // 40 - 17

    MsgLayout retry = MsgLayoutFor(MsgTypeRetrySkipCancel, 10);
    ASSERT_EQ(retry.buttonCount, 3);
    EXPECT_EQ(retry.buttons[0].x, 1);
    EXPECT_EQ(retry.buttons[1].x, 14); // 40 / 2 - 6
    EXPECT_EQ(retry.buttons[2].x, 27); // 40 - 13
    EXPECT_EQ(retry.buttons[2].width, 12);
    EXPECT_EQ(std::wstring(retry.buttons[0].label), L"Retry");
    EXPECT_EQ(std::wstring(retry.buttons[1].label), L"Skip");

    // An unknown type falls back to the single OK rather than reading outside the table.
    EXPECT_EQ(MsgLayoutFor(0, 10).buttonCount, 1);
    EXPECT_EQ(MsgLayoutFor(99, 10).buttonCount, 1);
}

// ---- Composition of the text ----

TEST(MessageFormat, SubstitutesTheArgumentIntoStringConversions) {
    wchar_t text[kMsgTextLength + 1];
    MsgFormat(text, kMsgTextLength + 1, L"Cannot open %s.", L"C:\\a.txt");
    EXPECT_STREQ(text, L"Cannot open C:\\a.txt.");
    MsgFormat(text, kMsgTextLength + 1, L"[%-5s][%5s][%.1s][%ls]", L"ab");
    EXPECT_STREQ(text, L"[ab   ][   ab][a][ab]");
    MsgFormat(text, kMsgTextLength + 1, L"100%% of %s", L"x");
    EXPECT_STREQ(text, L"100% of x");
}

TEST(MessageFormat, ConversionsWithoutAnArgumentStayAsText) {
    wchar_t text[kMsgTextLength + 1];
    MsgFormat(text, kMsgTextLength + 1, L"%d files in %s, %08x", L"dir");
    EXPECT_STREQ(text, L"%d files in dir, %08x");
    MsgFormat(text, kMsgTextLength + 1, L"trailing %", L"dir");
    EXPECT_STREQ(text, L"trailing %");
}

TEST(MessageFormat, EitherPartAloneAndNeither) {
    wchar_t text[kMsgTextLength + 1];
    MsgFormat(text, kMsgTextLength + 1, nullptr, L"only %s argument");
    EXPECT_STREQ(text, L"only %s argument");
    MsgFormat(text, kMsgTextLength + 1, L"only format", nullptr);
    EXPECT_STREQ(text, L"only format");
    MsgFormat(text, kMsgTextLength + 1, nullptr, nullptr);
    EXPECT_STREQ(text, L"");
}

TEST(MessageFormat, OverlongArgumentIsCutAtTheCapacity) {
    std::wstring argument(5000, L'a');
    wchar_t text[kMsgTextLength + 1 + 8];
    for (wchar_t& c : text) c = L'#';
    int written = MsgFormat(text, kMsgTextLength + 1, L"x%sy", argument.c_str());
    EXPECT_EQ(written, kMsgTextLength);
    EXPECT_EQ(wcslen(text), static_cast<size_t>(kMsgTextLength));
    EXPECT_EQ(text[0], L'x');
    for (int i = kMsgTextLength + 1; i < kMsgTextLength + 9; ++i)
        EXPECT_EQ(text[i], L'#') << "written past the end";
    // A width far beyond the buffer is bounded too.
    MsgFormat(text, 10, L"%999999999s", L"a");
    EXPECT_EQ(wcslen(text), 9u);
}

// ---- Real dialogs ----

struct Observed {
    double clientColumns = 0, clientLines = 0;
    int clientWidth = 0, clientHeight = 0;
    std::wstring message;
    RECT buttons[3] = {};
    std::wstring labels[3];
    bool okIsDefault = false;
};

Observed Observe(HWND dialog, const MsgLayout& layout) {
    Observed seen;
    RECT client;
    GetClientRect(dialog, &client);
    seen.clientWidth = client.right;
    seen.clientHeight = client.bottom;
    seen.message = ui::Text(FindEdit(dialog));
    for (int i = 0; i < layout.buttonCount; ++i) {
        HWND button = ui::FindByText(dialog, layout.buttons[i].label, L"Button");
        if (!button) continue;
        seen.buttons[i] = ui::RectInParent(button);
        seen.labels[i] = ui::Text(button);
        if (seen.labels[i] == L"OK")
            seen.okIsDefault = (GetWindowLongW(button, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
    }
    return seen;
}

void ExpectLayout(const Observed& seen, const MsgLayout& layout) {
    EXPECT_EQ(seen.clientWidth, AppColumnsToPixels(layout.width));
    EXPECT_EQ(seen.clientHeight, AppLinesToPixels(layout.height));
    for (int i = 0; i < layout.buttonCount; ++i) {
        EXPECT_EQ(seen.buttons[i].left, AppColumnsToPixels(layout.buttons[i].x)) << i;
        EXPECT_EQ(seen.buttons[i].right - seen.buttons[i].left, AppColumnsToPixels(layout.buttons[i].width))
            << i;
        EXPECT_EQ(seen.buttons[i].top, AppLinesToPixels(layout.buttonY)) << i;
        EXPECT_LE(seen.buttons[i].bottom, seen.clientHeight) << "button " << i << " clipped";
    }
}

TEST_F(MessageBoxTest, DialogsOfEachTypeHaveTheComputedSizeButtonsAndText) {
    struct Case {
        int type;
        std::wstring message;
        const wchar_t* answer;
        int expected;
    } cases[] = {
        {MsgTypeInfo, std::wstring(54, L'i'), L"OK", 1},
        {MsgTypeOkCancel, L"Overwrite " + std::wstring(50, L'o'), L"Cancel", -1},
        {MsgTypeYesNo, std::wstring(300, L'y'), L"No", -2},
        {MsgTypeYesNoCancel, L"Keep the settings of the previous installation?", L"Yes", 2},
        {MsgTypeRetrySkipCancel,
         L"Cannot copy a file that is in use by another program: retry, skip it or stop?", L"Skip", -2},
    };
    for (const Case& c : cases) {
        MsgLayout layout = MsgLayoutFor(c.type, static_cast<int>(c.message.size()));
        Observed seen;
        int answer = WithDriver([&] { return MsgRun(c.type, nullptr, L"%s", c.message.c_str()); },
                                [&](HWND dialog) {
                                    seen = Observe(dialog, layout);
                                    testenv::SaveScreenshot("message_type_" + std::to_string(c.type));
                                    ClickButton(dialog, c.answer);
                                });
        EXPECT_EQ(answer, c.expected) << "type " << c.type;
        EXPECT_EQ(seen.message, c.message) << "type " << c.type;
        ExpectLayout(seen, layout);
        if (c.type <= MsgTypeOkCancel) {
            EXPECT_TRUE(seen.okIsDefault) << "type " << c.type;
        }
    }
}

TEST_F(MessageBoxTest, TheDocumentedSizesOnScreen) {
    struct Case {
        int length;
        double columns, lines;
    } cases[] = {{54, 40, 3.6}, {60, 60, 4.6}, {300, 60, 8.6}};
    for (const Case& c : cases) {
        std::wstring message(c.length, L'm');
        Observed seen;
        WithDriver(
            [&] {
                MsgInfo(nullptr, message.c_str(), nullptr);
                return 0;
            },
            [&](HWND dialog) {
                seen = Observe(dialog, MsgLayoutFor(MsgTypeInfo, c.length));
                ClickButton(dialog, L"OK");
            });
        EXPECT_EQ(seen.clientWidth, AppColumnsToPixels(c.columns)) << c.length;
        EXPECT_EQ(seen.clientHeight, AppLinesToPixels(c.lines)) << c.length;
    }
}

TEST_F(MessageBoxTest, OperationsTranslateTheButtons) {
    auto answerWith = [](const wchar_t* label) {
        return [label](HWND dialog) { ClickButton(dialog, label); };
    };
    EXPECT_TRUE(WithDriver([] { return MsgOkCancel(nullptr, L"Go on?", nullptr); }, answerWith(L"OK")));
    EXPECT_FALSE(WithDriver([] { return MsgOkCancel(nullptr, L"Go on?", nullptr); }, answerWith(L"Cancel")));
    EXPECT_TRUE(WithDriver([] { return MsgYesNo(nullptr, L"Go on?", nullptr); }, answerWith(L"Yes")));
    EXPECT_FALSE(WithDriver([] { return MsgYesNo(nullptr, L"Go on?", nullptr); }, answerWith(L"No")));
    EXPECT_EQ(WithDriver([] { return MsgYesNoCancel(nullptr, L"Go on?", nullptr); }, answerWith(L"Yes")), 1);
    EXPECT_EQ(WithDriver([] { return MsgYesNoCancel(nullptr, L"Go on?", nullptr); }, answerWith(L"No")), 0);
    EXPECT_EQ(WithDriver([] { return MsgYesNoCancel(nullptr, L"Go on?", nullptr); }, answerWith(L"Cancel")),
              -1);
    EXPECT_EQ(
        WithDriver([] { return MsgRetrySkipCancel(nullptr, L"Again?", nullptr); }, answerWith(L"Retry")), 1);
    EXPECT_EQ(WithDriver([] { return MsgRetrySkipCancel(nullptr, L"Again?", nullptr); }, answerWith(L"Skip")),
              0);
    EXPECT_EQ(
        WithDriver([] { return MsgRetrySkipCancel(nullptr, L"Again?", nullptr); }, answerWith(L"Cancel")),
        -1);
}

TEST_F(MessageBoxTest, EscapeAndTheCloseBoxCountAsCancel) {
    auto escape = [](HWND dialog) { ui::PressKeyInFocus(dialog, VK_ESCAPE); };
    auto closeBox = [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); };
    EXPECT_EQ(WithDriver([] { return MsgYesNoCancel(nullptr, L"Escape?", nullptr); }, escape), -1);
    EXPECT_FALSE(WithDriver([] { return MsgYesNo(nullptr, L"Escape?", nullptr); }, escape));
    EXPECT_EQ(WithDriver([] { return MsgRetrySkipCancel(nullptr, L"Escape?", nullptr); }, escape), -1);
    EXPECT_EQ(WithDriver([] { return MsgYesNoCancel(nullptr, L"Close?", nullptr); }, closeBox), -1);
    EXPECT_FALSE(WithDriver([] { return MsgOkCancel(nullptr, L"Close?", nullptr); }, closeBox));
}

TEST_F(MessageBoxTest, EnterAnswersOkInTypesOneAndTwo) {
    std::atomic<bool> focusOnOk{false};
    auto enter = [&](HWND dialog) {
        HWND focus = ui::FocusOf(dialog);
        focusOnOk = focus && ui::Text(focus) == L"OK";
        ui::PressKeyInFocus(dialog, VK_RETURN);
    };
    EXPECT_TRUE(WithDriver([] { return MsgOkCancel(nullptr, L"Enter?", nullptr); }, enter));
    EXPECT_TRUE(focusOnOk);
    EXPECT_EQ(WithDriver([] { return MsgRun(MsgTypeInfo, nullptr, L"Enter?", nullptr); }, enter), 1);
}

TEST_F(MessageBoxTest, OtherDialogsAreDisabledWhileItRunsAndExactlyThoseComeBack) {
    Dialog* first = DlgCreate(L"First", 30, 3, DlgWindowTool, 0, nullptr);
    Dialog* second = DlgCreate(L"Second", 30, 3, DlgWindowTool, 0, nullptr);
    Dialog* disabled = DlgCreate(L"Disabled", 30, 3, DlgWindowTool, 0, nullptr);
    ASSERT_TRUE(first && second && disabled);
    ASSERT_TRUE(DlgShow(first) && DlgShow(second) && DlgShow(disabled));
    HWND firstWindow = first->window, secondWindow = second->window, disabledWindow = disabled->window;
    EnableWindow(disabledWindow, FALSE);

    bool whileRunning[3] = {true, true, true};
    WithDriver([&] { return MsgRun(MsgTypeYesNo, firstWindow, L"Which?", nullptr); },
               [&](HWND dialog) {
                   whileRunning[0] = IsWindowEnabled(firstWindow);
                   whileRunning[1] = IsWindowEnabled(secondWindow);
                   whileRunning[2] = IsWindowEnabled(disabledWindow);
                   ClickButton(dialog, L"Yes");
               });
    EXPECT_FALSE(whileRunning[0]);
    EXPECT_FALSE(whileRunning[1]);
    EXPECT_FALSE(whileRunning[2]);
    EXPECT_TRUE(IsWindowEnabled(firstWindow));
    EXPECT_TRUE(IsWindowEnabled(secondWindow));
    EXPECT_FALSE(IsWindowEnabled(disabledWindow)) << "a dialog disabled before the message was enabled by it";
    EXPECT_EQ(first->disabledByMessage, 0);
    EXPECT_EQ(second->disabledByMessage, 0);

    // The parent itself was disabled beforehand: it stays disabled as well.
    WithDriver([&] { return MsgRun(MsgTypeInfo, disabledWindow, L"Parent disabled", nullptr); },
               [&](HWND dialog) { ClickButton(dialog, L"OK"); });
    EXPECT_FALSE(IsWindowEnabled(disabledWindow));

    DlgClose(&first);
    DlgClose(&second);
    DlgClose(&disabled);
}

TEST_F(MessageBoxTest, ArgumentIsSubstitutedAndAnOverlongOneCutInTheDialog) {
    std::wstring seen;
    WithDriver([] { return MsgRun(MsgTypeInfo, nullptr, L"Cannot find %s.", L"C:\\Nimbo\\setup.inf"); },
               [&](HWND dialog) {
                   seen = ui::Text(FindEdit(dialog));
                   ClickButton(dialog, L"OK");
               });
    EXPECT_EQ(seen, L"Cannot find C:\\Nimbo\\setup.inf.");

    std::wstring longName(3000, L'n');
    bool scrollable = false;
    WithDriver([&] { return MsgRun(MsgTypeInfo, nullptr, L"Cannot find %s.", longName.c_str()); },
               [&](HWND dialog) {
                   HWND box = FindEdit(dialog);
                   seen = ui::Text(box);
                   scrollable = (GetWindowLongW(box, GWL_STYLE) & WS_VSCROLL) != 0;
                   testenv::SaveScreenshot("message_overlong");
                   ClickButton(dialog, L"OK");
               });
    EXPECT_EQ(seen.size(), static_cast<size_t>(kMsgTextLength)) << "the whole 800 characters are shown";
    EXPECT_EQ(seen.substr(0, 12), L"Cannot find ");
    EXPECT_TRUE(scrollable) << "a message longer than its box can be scrolled";
}

TEST_F(MessageBoxTest, NoParentWhileAModalDialogRunsStillShowsTheMessage) {
    // A push button of a running page asks a question without naming a parent.
    static int answer = 99;
    Dialog* page = DlgCreate(L"Page", 30, 4, DlgWindowPopup, 0, nullptr);
    ASSERT_NE(page, nullptr);
    DlgButton(
        page, 1, 1, 12, 0,
        [](Dialog*) {
            answer = MsgYesNoCancel(nullptr, L"Inside the page", nullptr);
            return 1;
        },
        L"Ask", nullptr, 0);
    HWND pageWindow = page->window;
    std::thread driver([&] {
        ui::WaitUntil([&] { return IsWindowVisible(pageWindow) != 0; });
        ui::Click(ui::FindByText(pageWindow, L"Ask", L"Button"));
        HWND message = WaitForMessageDialog();
        if (message) ClickButton(message, L"Yes");
    });
    EXPECT_EQ(DlgRun(page), 1);
    driver.join();
    EXPECT_EQ(answer, 1);
}

} // namespace
