// Playback: parsing name=value assignments, applying them at once to open dialogs and typed, the queue
// with its limit and its drain when a dialog starts (failed lines logged), the no-wait run that
// replays a dialog without showing it, and the lookups hosts reach into open dialogs with.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_name_registry.h"
#include "dialogs/dialog_recording.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"
#include "dialog_log_test_support.h"
#include "support/test_environment.h"

using namespace logtest;

namespace {

void StartToolkit() {
#ifdef NIMBO_PLUGIN
    AppStart(GetModuleHandleW(nullptr), 0, 0, L"Playback Test", L"NOICON");
#else
    AppStart(GetModuleHandleW(nullptr), 0, 0, L"Playback Test", L"NOICON", nullptr, 12);
#endif
}

std::wstring TextOf(HWND window) {
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

// Every change-hook call: which dialog, which item, and whether the dialog could be seen then.
struct HookCall {
    Dialog* dialog;
    DialogItem* item;
    bool visible;
};
std::vector<HookCall> hookCalls;

void RememberChange(Dialog* dialog, DialogItem* item) {
    hookCalls.push_back({dialog, item, IsWindowVisible(dialog->window) != 0});
}

int CallsFor(const DialogItem* item) {
    int calls = 0;
    for (const HookCall& call : hookCalls)
        if (call.item == item) ++calls;
    return calls;
}

class Playback : public ::testing::Test {
protected:
    void SetUp() override {
        StartToolkit();
        DlgClearQueuedAssignments();
        hookCalls.clear();
        const char* name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = testenv::ScratchFolder(L"playback_" + std::wstring(name, name + strlen(name)));
        logPath = folder + L"\\dialogs.log";
    }
    void TearDown() override {
        DlgSetLogFile(nullptr);
        DlgClearQueuedAssignments();
        AppEnd();
    }
    std::string Log() {
        std::string bytes;
        if (!testenv::ReadFileBytes(logPath, bytes)) return "<no log file>";
        return bytes;
    }
    std::wstring folder;
    std::wstring logPath;
};

using PlaybackParsing = Playback;
using PlaybackQueue = Playback;
using PlaybackAssign = Playback;
using PlaybackTyped = Playback;
using PlaybackDrain = Playback;
using HostLookups = Playback;

TEST_F(PlaybackParsing, NameEndsAtTheFirstEqualsAndBlanksAfterItAreSkipped) {
    wchar_t name[DlgAssignNameLength + 1];
    const wchar_t* value = nullptr;
    ASSERT_EQ(1, DlgParseAssignment(L"Title= \t\r\n a = b ", name, &value));
    EXPECT_STREQ(L"Title", name);
    EXPECT_STREQ(L"a = b ", value);

    ASSERT_EQ(1, DlgParseAssignment(L"Empty=", name, &value));
    EXPECT_STREQ(L"", value);

    std::wstring longName(150, L'n');
    ASSERT_EQ(1, DlgParseAssignment((longName + L"=1").c_str(), name, &value));
    EXPECT_EQ(std::wstring(DlgAssignNameLength, L'n'), name);
    EXPECT_STREQ(L"1", value);

    EXPECT_EQ(0, DlgParseAssignment(L"Count 7", name, &value));
    EXPECT_EQ(0, DlgParseAssignment(nullptr, name, &value));
}

TEST_F(PlaybackQueue, AssignmentWithoutEqualsIsRejectedEverywhere) {
    EXPECT_EQ(nullptr, DlgAssign(L"Count 7", 1));
    EXPECT_EQ(0, DlgQueueAssignment(L"Count 7"));
    EXPECT_EQ(0, DlgQueueAssignment(nullptr));
    EXPECT_STREQ(L"", DlgQueuedAssignments());
}

TEST_F(PlaybackQueue, FullQueueRefusesWholeLinesAndStaysBelowItsSize) {
    // 79 lines of 99 characters and their line feeds fill 7900 characters.
    std::wstring line = L"a=" + std::wstring(97, L'x');
    for (int i = 0; i < 79; ++i) ASSERT_EQ(1, DlgQueueAssignment(line.c_str())) << i;
    EXPECT_EQ(0, DlgQueueAssignment(line.c_str()));
    EXPECT_EQ(7900u, wcslen(DlgQueuedAssignments()));

    // 98 characters and a line feed make 7999, the most the queue takes; then nothing fits.
    std::wstring last = L"b=" + std::wstring(96, L'y');
    EXPECT_EQ(1, DlgQueueAssignment(last.c_str()));
    EXPECT_EQ(0, DlgQueueAssignment(L"c=1"));
    std::wstring queued = DlgQueuedAssignments();
    EXPECT_EQ(7999u, queued.size());
    EXPECT_EQ(last + L"\n", queued.substr(7900));

    // Typed assignments that find no item have no room either.
    int value = 3;
    EXPECT_EQ(0, DlgAssignValue(L"c", &value, DlgValueInt));
}

TEST_F(PlaybackQueue, UnmatchedAssignmentIsQueuedOnlyWhenAsked) {
    EXPECT_EQ(nullptr, DlgAssign(L"Nowhere=1", 0));
    EXPECT_STREQ(L"", DlgQueuedAssignments());
    EXPECT_EQ(nullptr, DlgAssign(L"Nowhere=2", 1));
    EXPECT_STREQ(L"Nowhere=2\n", DlgQueuedAssignments());
}

TEST_F(PlaybackAssign, AppliesAtOnceToEveryOpenDialogIgnoringCaseAndReturnsTheFirst) {
    wchar_t first[31] = L"one";
    wchar_t second[31] = L"two";
    wchar_t other[31] = L"other";
    Dialog* a = DlgCreate(L"First", 40, 3, DlgWindowPopup, 0, nullptr);
    Dialog* b = DlgCreate(L"Second", 40, 3, DlgWindowPopup, 0, nullptr);
    DialogItem* inA = DlgStringNamed(a, 10, 0, 20, first, 30, 0, L"Title", nullptr, L"Title");
    DialogItem* otherInA = DlgStringNamed(a, 10, 1, 20, other, 30, 0, L"Other", nullptr, L"Other");
    DialogItem* inB = DlgStringNamed(b, 10, 0, 20, second, 30, 0, L"Title", nullptr, L"Title");
    DlgSetChangeHook(a, RememberChange);
    DlgSetChangeHook(b, RememberChange);

    EXPECT_EQ(inA, DlgAssign(L"tITLE= \t Replayed value", 1));

    EXPECT_STREQ(L"Replayed value", first);
    EXPECT_STREQ(L"Replayed value", second);
    EXPECT_EQ(L"Replayed value", TextOf(inA->control));
    EXPECT_EQ(L"Replayed value", TextOf(inB->control));
    EXPECT_STREQ(L"other", other);
    EXPECT_EQ(1, CallsFor(inA));
    EXPECT_EQ(1, CallsFor(inB));
    EXPECT_EQ(0, CallsFor(otherInA));
    EXPECT_EQ(2u, hookCalls.size());
    EXPECT_STREQ(L"", DlgQueuedAssignments()); // matched: nothing queued
}

TEST_F(PlaybackAssign, SpareRecordsOnForeignWindowsComeAfterTheTableAndAreNeverClosedByName) {
    HWND foreign = CreateWindowExW(0, L"STATIC", L"Host", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, foreign);
    Dialog* spare = DlgAttachSpare(foreign);
    ASSERT_NE(nullptr, spare);
    wchar_t onSpare[11] = L"", inTable[11] = L"";
    DialogItem* spareItem = DlgStringNamed(spare, 1, 0, 10, onSpare, 10, 0, nullptr, nullptr, L"Shared");
    Dialog* dialog = DlgCreate(L"Table", 30, 3, DlgWindowToolDisabled, 0, nullptr);
    DialogItem* tableItem = DlgStringNamed(dialog, 1, 0, 10, inTable, 10, 0, nullptr, nullptr, L"Shared");
    ASSERT_NE(nullptr, spareItem);

    EXPECT_EQ(tableItem, DlgAssign(L"Shared=both", 0));
    EXPECT_STREQ(L"both", onSpare);
    EXPECT_STREQ(L"both", inTable);
    EXPECT_EQ(L"both", TextOf(spareItem->control));

    EXPECT_EQ(0, DlgCloseByName(L"Host"));
    EXPECT_TRUE(IsWindow(foreign));
    DlgDetachSpare(spare);
    DestroyWindow(foreign);
}

TEST_F(PlaybackAssign, StringIsCutAtTheFieldsMaximumAndEndsWithItsLine) {
    wchar_t text[11] = L"";
    Dialog* dialog = DlgCreate(L"Cut", 40, 3, DlgWindowPopup, 0, nullptr);
    DialogItem* field = DlgStringNamed(dialog, 10, 0, 20, text, 5, 0, nullptr, nullptr, L"Text");
    EXPECT_EQ(field, DlgAssign(L"Text=abcdefgh", 0));
    EXPECT_STREQ(L"abcde", text);
    EXPECT_EQ(field, DlgAssign(L"Text=ab\r\ncd", 0));
    EXPECT_STREQ(L"ab", text);
}

int SetUpperCase(DialogItem* item, const wchar_t* value) {
    wchar_t* target = static_cast<wchar_t*>(item->variable);
    int i = 0;
    for (; value[i] && i < item->maxLength; ++i) target[i] = static_cast<wchar_t>(towupper(value[i]));
    target[i] = 0;
    return 1;
}

TEST_F(PlaybackAssign, ItemsOwnSetterTakesTheValueText) {
    wchar_t text[21] = L"";
    Dialog* dialog = DlgCreate(L"Setter", 40, 3, DlgWindowPopup, 0, nullptr);
    DialogItem* field = DlgStringNamed(dialog, 10, 0, 20, text, 20, 0, nullptr, nullptr, L"Code");
    field->setter = SetUpperCase;
    EXPECT_EQ(field, DlgAssign(L"code=abc", 0));
    EXPECT_STREQ(L"ABC", text);
    EXPECT_EQ(L"ABC", TextOf(field->control));
}

#ifndef NIMBO_PLUGIN
TEST_F(PlaybackAssign, EachKindReadsItsValueText) {
    int toggle = 0, count = 0, mode = 0, level = 0;
    unsigned int amount = 0;
    long long big = 0;
    double ratio = 0;
    Dialog* dialog = DlgCreate(L"Kinds", 60, 10, DlgWindowPopup, 0, nullptr);
    DialogItem* toggleItem = DlgToggleNamed(dialog, 1, 0, 20, &toggle, 0, L"Toggle", L"Toggle");
    DialogItem* countItem =
        DlgIntNamed(dialog, 12, 1, 8, &count, nullptr, nullptr, 0, nullptr, nullptr, L"Count");
    DialogItem* modeItem = DlgChoiceNamed(dialog, 12, 2, 12, &mode, 0, nullptr, L"Mode");
    DlgChoiceAddRange(modeItem, 0, 5);
    DlgSliderNamed(dialog, 12, 3, 20, &level, 0, 100, 10, 0, L"Level");
    DialogItem* amountItem = DlgUInt(dialog, 12, 4, 12, &amount, nullptr, nullptr, 0, nullptr, nullptr);
    ItemCopyText(amountItem->name, DlgNameLength, L"Amount");
    DialogItem* bigItem =
        DlgInt64Named(dialog, 12, 5, 16, &big, nullptr, nullptr, 0, nullptr, nullptr, L"Big");
    DialogItem* ratioItem =
        DlgDoubleNamed(dialog, 12, 6, 8, &ratio, 3, nullptr, nullptr, 0, nullptr, nullptr, L"Ratio");

    EXPECT_EQ(toggleItem, DlgAssign(L"Toggle=1", 0));
    EXPECT_EQ(countItem, DlgAssign(L"Count=12abc", 0));
    EXPECT_EQ(modeItem, DlgAssign(L"Mode=4", 0));
    EXPECT_NE(nullptr, DlgAssign(L"Level=\t70", 0));
    EXPECT_EQ(amountItem, DlgAssign(L"Amount=-1", 0));
    EXPECT_EQ(bigItem, DlgAssign(L"Big=-9000000000", 0));
    EXPECT_EQ(ratioItem, DlgAssign(L"Ratio=2.75", 0));

    EXPECT_EQ(1, toggle);
    EXPECT_EQ(BST_CHECKED, SendMessageW(toggleItem->control, BM_GETCHECK, 0, 0));
    EXPECT_EQ(12, count);
    EXPECT_EQ(L"12", TextOf(countItem->control));
    EXPECT_EQ(4, mode);
    EXPECT_EQ(70, level);
    EXPECT_EQ(4294967295u, amount); // the low 32 bits of -1
    EXPECT_EQ(-9000000000LL, big);
    EXPECT_EQ(2.75, ratio);
    EXPECT_EQ(L"2.750", TextOf(ratioItem->control));
}

TEST_F(PlaybackAssign, ColourTakesExactlyThreeComponentsOrStaysAsItWas) {
    unsigned char tint[3] = {1, 2, 3};
    Dialog* dialog = DlgCreate(L"Colour", 40, 3, DlgWindowPopup, 0, nullptr);
    DialogItem* item = DlgColorNamed(dialog, 10, 0, 8, tint, 0, L"Tint", L"Tint");
    DlgSetChangeHook(dialog, RememberChange);

    const wchar_t* refused[] = {L"Tint=10,20",   L"Tint=10,20,30,40", L"Tint=10,,30",
                                L"Tint=red,0,0", L"Tint=300,0,0",     L"Tint="};
    for (const wchar_t* text : refused) {
        EXPECT_EQ(nullptr, DlgAssign(text, 0)) << text;
        EXPECT_EQ(1, tint[0]);
        EXPECT_EQ(2, tint[1]);
        EXPECT_EQ(3, tint[2]);
    }
    EXPECT_EQ(0u, hookCalls.size());

    EXPECT_EQ(item, DlgAssign(L"Tint=10, 20 ,255", 0));
    EXPECT_EQ(10, tint[0]);
    EXPECT_EQ(20, tint[1]);
    EXPECT_EQ(255, tint[2]);
    EXPECT_EQ(1, CallsFor(item));
}

TEST_F(PlaybackTyped, ValueGoesOnlyToItemsOfTheMatchingKind) {
    int count = 0, toggle = 0;
    double ratio = 0;
    unsigned int amount = 0;
    wchar_t text[9] = L"";
    Dialog* dialog = DlgCreate(L"Typed", 60, 8, DlgWindowPopup, 0, nullptr);
    DlgIntNamed(dialog, 12, 0, 8, &count, nullptr, nullptr, 0, nullptr, nullptr, L"Count");
    DlgToggleNamed(dialog, 1, 1, 20, &toggle, 0, L"Toggle", L"Toggle");
    DialogItem* ratioItem =
        DlgDoubleNamed(dialog, 12, 2, 8, &ratio, 2, nullptr, nullptr, 0, nullptr, nullptr, L"Ratio");
    DialogItem* amountItem = DlgUInt(dialog, 12, 3, 12, &amount, nullptr, nullptr, 0, nullptr, nullptr);
    ItemCopyText(amountItem->name, DlgNameLength, L"Amount");
    DlgStringNamed(dialog, 12, 4, 12, text, 8, 0, nullptr, nullptr, L"Text");

    int nine = 9;
    double half = 0.5;
    unsigned int large = 4000000000u;
    EXPECT_EQ(1, DlgAssignValue(L"count", &nine, DlgValueInt));
    EXPECT_EQ(1, DlgAssignValue(L"Toggle", &nine, DlgValueInt));
    EXPECT_EQ(1, DlgAssignValue(L"Ratio", &half, DlgValueDouble));
    EXPECT_EQ(1, DlgAssignValue(L"Amount", &large, DlgValueUInt));
    EXPECT_EQ(1, DlgAssignValue(L"Text", L"long text here", DlgValueString));
    EXPECT_EQ(9, count);
    EXPECT_EQ(9, toggle);
    EXPECT_EQ(0.5, ratio);
    EXPECT_EQ(L"0.50", TextOf(ratioItem->control));
    EXPECT_EQ(4000000000u, amount);
    EXPECT_STREQ(L"long tex", text);
    EXPECT_STREQ(L"", DlgQueuedAssignments());

    // A value of the wrong type finds no item, so it waits in the queue as text.
    EXPECT_EQ(2, DlgAssignValue(L"Ratio", &nine, DlgValueInt));
    EXPECT_EQ(2, DlgAssignValue(L"Count", &half, DlgValueDouble));
    EXPECT_EQ(2, DlgAssignValue(L"Count", &large, DlgValueUInt));
    EXPECT_EQ(2, DlgAssignValue(L"Count", L"text", DlgValueString));
    EXPECT_EQ(0.5, ratio);
    EXPECT_EQ(9, count);
    EXPECT_STREQ(L"Ratio=9\nCount=0.500000000000000\nCount=4000000000\nCount=text\n", DlgQueuedAssignments());

    EXPECT_EQ(0, DlgAssignValue(L"Count", &nine, 4));
    EXPECT_EQ(0, DlgAssignValue(L"Count", nullptr, DlgValueInt));
    EXPECT_EQ(0, DlgAssignValue(L"", &nine, DlgValueInt));
}
#endif

TEST_F(PlaybackTyped, UnmatchedStringIsQueuedCutTo799Characters) {
    std::wstring value(1000, L'v');
    EXPECT_EQ(2, DlgAssignValue(L"Name", value.c_str(), DlgValueString));
    std::wstring queued = DlgQueuedAssignments();
    EXPECT_EQ(L"Name=" + std::wstring(DlgAssignTextLength - 1 - 5, L'v') + L"\n", queued);
}

TEST_F(PlaybackDrain, QueuedCountIsSetWhenTheDialogStartsAndNotifiesOnce) {
    ASSERT_EQ(1, DlgQueueAssignment(L"count=7"));
    Dialog* dialog = DlgCreate(L"Options", 30, 4, DlgWindowPopup, 0, nullptr);
#ifdef NIMBO_PLUGIN
    wchar_t count[11] = L"5";
    DialogItem* item = DlgStringNamed(dialog, 12, 0.5, 8, count, 10, 0, L"&Count:", nullptr, L"Count");
#else
    int count = 5;
    DialogItem* item =
        DlgIntNamed(dialog, 12, 0.5, 8, &count, nullptr, nullptr, 0, L"&Count:", nullptr, L"Count");
#endif
    DialogItem* ok = DlgButton(dialog, 10, 2.5, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
    DlgSetChangeHook(dialog, RememberChange);

    std::wstring shownText;
    int result = RunAndAct(dialog, [&] {
        shownText = TextOf(item->control);
        testenv::SaveScreenshot("playback_queued_count");
        Click(ok);
    });

    EXPECT_EQ(1, result);
    EXPECT_EQ(L"7", shownText);
#ifdef NIMBO_PLUGIN
    EXPECT_STREQ(L"7", count);
#else
    EXPECT_EQ(7, count);
#endif
    EXPECT_EQ(1, CallsFor(item));
    ASSERT_EQ(2u, hookCalls.size());
    EXPECT_EQ(nullptr, hookCalls[0].item); // the start comes first, the assignment after it
    EXPECT_STREQ(L"", DlgQueuedAssignments());
}

TEST_F(PlaybackDrain, UnmatchedQueuedLineIsLoggedOnceAsFailed) {
    ASSERT_EQ(1, DlgSetLogFile(logPath.c_str()));
    wchar_t text[11] = L"old";
    ASSERT_EQ(1, DlgQueueAssignment(L"Missing= 3"));
    ASSERT_EQ(1, DlgQueueAssignment(L"Text=new"));

    for (int run = 0; run < 2; ++run) {
        Dialog* dialog = DlgCreate(L"Drained", 30, 3, DlgWindowPopup, 0, nullptr);
        DlgStringNamed(dialog, 10, 0, 10, text, 10, 0, nullptr, nullptr, L"Text");
        DlgSetNoWait();
        EXPECT_EQ(1, DlgRun(dialog));
    }

    EXPECT_STREQ(L"new", text);
    EXPECT_EQ(Crlf("!!!!!!!! Failed to set variable Missing= 3\n"
                   "Drained\n" +
                   kRule + "Text=new string\n\n" + "Drained\n" + kRule + "Text=new string\n\n"),
              Log());
}

TEST_F(PlaybackDrain, NoWaitRunFillsFromTheQueueEndsWithOneUnseenAndIsRecorded) {
    ASSERT_EQ(1, DlgSetLogFile(logPath.c_str()));
    wchar_t title[21] = L"before";
    ASSERT_EQ(1, DlgQueueAssignment(L"Title=Again"));
    Dialog* dialog = DlgCreateNamed(L"Replay window", 30, 3, DlgWindowPopup, 0, nullptr, L"Replay");
    DialogItem* field = DlgStringNamed(dialog, 10, 0, 10, title, 20, 0, L"Title:", nullptr, L"Title");
    DialogItem* ok = DlgButton(dialog, 10, 1.5, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
    DlgSetChangeHook(dialog, RememberChange);
    HWND window = dialog->window;

    DlgSetNoWait();
    bool everVisible = false;
    int result = RunAndAct(dialog, [&] { everVisible = true; });

    EXPECT_EQ(1, result);
    EXPECT_FALSE(everVisible) << "the run waited for messages";
    EXPECT_FALSE(IsWindow(window));
    EXPECT_STREQ(L"Again", title);
    EXPECT_EQ(1, CallsFor(field));
    for (const HookCall& call : hookCalls) EXPECT_FALSE(call.visible);
#ifdef NIMBO_PLUGIN
    const std::string heading = "Replay window\n"; // the plug-in heads its blocks with the title
#else
    const std::string heading = "Replay\n";
#endif
    EXPECT_EQ(Crlf(heading + kRule + "Title=Again (Title) string\n\n"), Log());

    // One-shot: the next run is shown and waits again.
    dialog = DlgCreate(L"Shown again", 30, 3, DlgWindowPopup, 0, nullptr);
    ok = DlgButton(dialog, 10, 1.5, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
    bool visible = false;
    EXPECT_EQ(1, RunAndAct(dialog, [&] {
                  visible = IsWindowVisible(dialog->window) != 0;
                  Click(ok);
              }));
    EXPECT_TRUE(visible);
}

TEST_F(HostLookups, ItemAndMenuEntryAreFoundByNameAcrossOpenDialogs) {
    wchar_t a[11] = L"a", b[11] = L"b";
    Dialog* first = DlgCreate(L"First", 30, 3, DlgWindowPopup, DlgStyleMenuBar, nullptr);
    Dialog* second = DlgCreate(L"Second", 30, 3, DlgWindowPopup, DlgStyleMenuBar, nullptr);
    DlgStringNamed(first, 10, 0, 10, a, 10, 0, nullptr, nullptr, L"Alpha");
    DialogItem* beta = DlgStringNamed(second, 10, 0, 10, b, 10, 0, nullptr, nullptr, L"Beta");
    DlgMenuBar(second);
    HMENU popup = DlgMenuPopup(second, L"&File");
    int id = DlgMenuCommand(second, popup, DlgStandardOk, L"&Reload", L"Reload");

    Dialog* found = nullptr;
    EXPECT_EQ(beta, DlgFindItemByName(L"BETA", &found));
    EXPECT_EQ(second, found);
    EXPECT_EQ(nullptr, DlgFindItemByName(L"Gamma", &found));
    EXPECT_EQ(nullptr, found);

    DlgMenuEntry* entry = DlgFindMenuEntryByName(L"reload", &found);
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(id, entry->id);
    EXPECT_EQ(second, found);
    EXPECT_EQ(nullptr, DlgFindMenuEntryByName(L"File", &found));
}

TEST_F(HostLookups, RefreshingAVariableReachesEveryDialogAndSiblingsStayInTheirDialog) {
    wchar_t shared[21] = L"start";
    Dialog* first = DlgCreate(L"First", 40, 3, DlgWindowPopup, 0, nullptr);
    Dialog* second = DlgCreate(L"Second", 40, 3, DlgWindowPopup, 0, nullptr);
    DialogItem* one = DlgString(first, 10, 0, 10, shared, 20, 0, nullptr, nullptr);
    DialogItem* two = DlgString(first, 10, 1, 10, shared, 20, 0, nullptr, nullptr);
    DialogItem* three = DlgString(second, 10, 0, 10, shared, 20, 0, nullptr, nullptr);
    DlgSetChangeHook(first, RememberChange);
    DlgSetChangeHook(second, RememberChange);

    swprintf(shared, 21, L"%ls", L"changed");
    EXPECT_EQ(1, DlgRefreshSiblings(one));
    EXPECT_EQ(L"start", TextOf(one->control));
    EXPECT_EQ(L"changed", TextOf(two->control));
    EXPECT_EQ(L"start", TextOf(three->control));
    EXPECT_EQ(0u, hookCalls.size());

    swprintf(shared, 21, L"%ls", L"again");
    EXPECT_EQ(3, DlgRefreshBoundVariable(shared));
    EXPECT_EQ(L"again", TextOf(one->control));
    EXPECT_EQ(L"again", TextOf(two->control));
    EXPECT_EQ(L"again", TextOf(three->control));
    EXPECT_EQ(1, CallsFor(one));
    EXPECT_EQ(1, CallsFor(two));
    EXPECT_EQ(1, CallsFor(three));
    EXPECT_EQ(0, DlgRefreshBoundVariable(nullptr));
}

int destroyCalls = 0;
void CountDestroy(Dialog*) {
    ++destroyCalls;
}

int EndWithCancel(Dialog*) {
    return -1;
}

int KeepOpen(Dialog*) {
    return 0;
}

TEST_F(HostLookups, NamedModelessDialogIsClosedAfterItsDestroyHookButAModalOneIsNot) {
    destroyCalls = 0;
    Dialog* tool = DlgCreateNamed(L"Palette window", 30, 3, DlgWindowToolDisabled, 0, nullptr, L"Palette");
    Dialog* modal = DlgCreateNamed(L"Modal", 30, 3, DlgWindowPopup, 0, nullptr, L"Busy");
    ASSERT_EQ(1, DlgShow(tool));
    DlgSetDestroyHook(tool, CountDestroy);
    DlgSetDestroyHook(modal, CountDestroy);
    HWND toolWindow = tool->window;

    EXPECT_EQ(0, DlgCloseByName(L"Palette window")); // it has a name: the title is not it
    EXPECT_EQ(1, DlgCloseByName(L"PALETTE"));
    EXPECT_FALSE(IsWindow(toolWindow));
    EXPECT_EQ(1, destroyCalls);
    EXPECT_EQ(0, DlgCloseByName(L"Busy"));
    EXPECT_NE(nullptr, modal->window);
    EXPECT_EQ(0, DlgCloseByName(L"Palette"));
}

TEST_F(HostLookups, EndingAModelessDialogWithACallbacksResultRecordsRestoresAndCloses) {
    ASSERT_EQ(1, DlgSetLogFile(logPath.c_str()));
    destroyCalls = 0;
    wchar_t text[21] = L"saved";
    Dialog* tool = DlgCreate(L"Tool", 30, 3, DlgWindowToolDisabled, 0, nullptr);
    DlgStringNamed(tool, 10, 0, 10, text, 20, 0, nullptr, nullptr, L"Text");
    ASSERT_EQ(1, DlgShow(tool));
    DlgSetDestroyHook(tool, CountDestroy);
    HWND window = tool->window;
    ASSERT_NE(nullptr, DlgAssign(L"Text=edited", 0));

    EXPECT_EQ(0, DlgEndWithCallback(tool, KeepOpen));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(-1, DlgEndWithCallback(tool, EndWithCancel));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1, destroyCalls);
    EXPECT_STREQ(L"saved", text);
    EXPECT_EQ(Crlf("Tool\n" + kRule + "Text=edited string\n\n"), Log());
}

#ifdef NIMBO_PLUGIN
TEST_F(PlaybackAssign, RegisteredNameReachesAnUnnamedField) {
    wchar_t folderText[41] = L"C:\\data";
    ASSERT_EQ(1, DlgRegisterVariable(L"Folder", DlgVariableString, folderText, 0, nullptr));
    Dialog* dialog = DlgCreate(L"Options", 40, 3, DlgWindowPopup, 0, nullptr);
    DialogItem* field = DlgString(dialog, 12, 0, 20, folderText, 40, 0, L"Folder", nullptr);
    EXPECT_EQ(field, DlgAssign(L"folder=D:\\other", 0));
    EXPECT_STREQ(L"D:\\other", folderText);
    Dialog* found = nullptr;
    EXPECT_EQ(field, DlgFindItemByName(L"FOLDER", &found));
    DlgClearNameRegistries();
    EXPECT_EQ(nullptr, DlgAssign(L"folder=E:\\", 0));
}
#endif

} // namespace
