// Recording dialog use into the log: the bytes of a dialog block, the value text and type word of every
// recorded kind, which items stay out, label cleaning, action lines, the file's encoding and a log
// that cannot be written; in the plug-in, names that come from its registries.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

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
    AppStart(GetModuleHandleW(nullptr), 0, 0, L"Recording Test", L"NOICON");
#else
    AppStart(GetModuleHandleW(nullptr), 0, 0, L"Recording Test", L"NOICON", nullptr, 12);
#endif
}

int ReturnsZero(Dialog*) {
    return 0;
}

int alsoCalls = 0;

int AlsoReturnsZero(Dialog*) {
    ++alsoCalls; // differs from ReturnsZero, so that the two never share an address
    return 0;
}

class Recording : public ::testing::Test {
protected:
    void SetUp() override {
        StartToolkit();
        DlgClearQueuedAssignments();
        folder = testenv::ScratchFolder(std::wstring(L"recording_") + TestName());
        logPath = folder + L"\\dialogs.log";
        ASSERT_EQ(1, DlgSetLogFile(logPath.c_str()));
    }
    void TearDown() override {
        DlgSetLogFile(nullptr);
        AppEnd();
    }
    static std::wstring TestName() {
        const char* name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        return std::wstring(name, name + strlen(name));
    }
    std::string Log() {
        std::string bytes;
        if (!testenv::ReadFileBytes(logPath, bytes)) return "<no log file>";
        return bytes;
    }
    std::wstring folder;
    std::wstring logPath;
};

using RecordingBlock = Recording;
using RecordingKinds = Recording;
using RecordingActions = Recording;
using RecordingFile = Recording;

#ifndef NIMBO_PLUGIN
TEST_F(RecordingBlock, OptionsDialogEndedWithOkLogsTitleRuleCountLineAndEmptyLine) {
    int count = 5;
    Dialog* dialog = DlgCreate(L"Options", 30, 4, DlgWindowPopup, 0, nullptr);
    DlgIntNamed(dialog, 12, 0.5, 8, &count, nullptr, nullptr, 0, L"&Count:", nullptr, L"Count");
    DialogItem* ok = DlgButton(dialog, 10, 2.5, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
    ASSERT_NE(nullptr, ok);

    int result = RunAndAct(dialog, [&] {
        testenv::SaveScreenshot("recording_options");
        Click(ok);
    });

    EXPECT_EQ(1, result);
    // One byte per character and CR LF line ends: what wide text written in text mode becomes.
    EXPECT_EQ("Options\r\n"
              "===============================================\r\n"
              "Count=5 (Count) int\r\n"
              "\r\n",
              Log());
}

int CodeAsWord(DialogItem* item, wchar_t* text, int capacity) {
    const wchar_t* words[] = {L"zero", L"one", L"two", L"three"};
    int value = *static_cast<int*>(item->variable);
    return swprintf(text, static_cast<size_t>(capacity), L"%ls",
                    (value >= 0 && value < 4) ? words[value] : L"?");
}

TEST_F(RecordingKinds, EveryRecordedKindWritesItsValueFormatAndTypeWord) {
    int verbose = 1;
    unsigned char tint[3] = {10, 20, 30};
    wchar_t title[41] = L"Hello";
    int count = -5;
    long long big = 123456789012LL;
    double ratio = 2.5;
    int mode = 2;
    int level = 40;
    unsigned int amount = 4000000000u;
    int code = 3;

    Dialog* dialog = DlgCreateNamed(L"Every kind", 60, 14, DlgWindowPopup, 0, nullptr, L"Kinds");
    DlgToggleNamed(dialog, 1, 0, 20, &verbose, 0, L"&Verbose", L"Verbose");
    DlgColorNamed(dialog, 12, 1, 8, tint, 0, L"Tint:", L"Tint");
    DlgStringNamed(dialog, 12, 2, 20, title, 40, 0, L"Ti&tle:", nullptr, L"Title");
    DlgIntNamed(dialog, 12, 3, 8, &count, nullptr, nullptr, 0, nullptr, nullptr, L"Count");
    DlgInt64Named(dialog, 12, 4, 16, &big, nullptr, nullptr, 0, L"Big::", nullptr, L"Big");
    DlgDoubleNamed(dialog, 12, 5, 8, &ratio, 3, nullptr, nullptr, 0, L"&Ratio:", nullptr, L"Ratio");
    DialogItem* choice = DlgChoiceNamed(dialog, 12, 6, 12, &mode, 0, L"Mode", L"Mode");
    DlgChoiceAddRange(choice, 0, 3);
    DlgSliderNamed(dialog, 12, 7, 20, &level, 0, 100, 10, 0, L"Level");
    DialogItem* unsignedField = DlgUInt(dialog, 12, 8, 12, &amount, nullptr, nullptr, 0, L"Amount", nullptr);
    ASSERT_NE(nullptr, unsignedField);
    ItemCopyText(unsignedField->name, DlgNameLength, L"Amount"); // the field has no named form
    DialogItem* custom = DlgIntNamed(dialog, 12, 9, 8, &code, nullptr, nullptr, 0, L"Code", nullptr, L"Code");
    ASSERT_NE(nullptr, custom);
    custom->formatter = CodeAsWord;
    ASSERT_EQ(10, dialog->itemCount);

    DlgRecordValues(dialog);
    DlgSetLogFile(nullptr);
    DlgDestroy(dialog);

    EXPECT_EQ(Crlf("Kinds\n" + kRule +
                   "Verbose=1 (Verbose) int\n"
                   "Tint=10,20,30 (Tint) color\n"
                   "Title=Hello (Title) string\n"
                   "Count=-5 int\n"
                   "Big=123456789012 (Big) _int64\n"
                   "Ratio=2.500 (Ratio) double\n"
                   "Mode=2 (Mode) int\n"
                   "Level=40\n"
                   "Amount=4000000000 (Amount) unsigned int\n"
                   "Code=three (Code) custom\n"
                   "\n"),
              Log());
}

TEST_F(RecordingKinds, UnnamedHiddenDisplayOnlyAndNonValueItemsStayOut) {
    int unnamed = 1, hidden = 2, shown = 3, kept = 4;
    long long line = 0;
    Dialog* dialog = DlgCreate(L"Left out", 60, 12, DlgWindowPopup, 0, nullptr);
    DlgInt(dialog, 12, 0, 8, &unnamed, nullptr, nullptr, 0, L"Unnamed", nullptr);
    DialogItem* hiddenItem =
        DlgIntNamed(dialog, 12, 1, 8, &hidden, nullptr, nullptr, 0, nullptr, nullptr, L"Hidden");
    DlgShowItem(hiddenItem, 0);
    DlgIntNamed(dialog, 12, 2, 8, &shown, nullptr, nullptr, DlgItemDisplayOnly, nullptr, nullptr, L"Shown");
    DlgButtonNamed(dialog, 1, 3, 10, 0, ReturnsZero, L"Apply", nullptr, 0, L"Apply");
    // Kinds that never carry a recorded value, even when someone gives them a name.
    DialogItem* others[] = {
        DlgText(dialog, 1, 4, 10, L"Caption", 0, AppColorBlack, AppColorBackground),
        DlgSwatch(dialog, 1, 5, 4, 1, 2),
        DlgList(dialog, 1, 6, 20, 3, &line, 10, 0, nullptr),
        DlgTextBox(dialog, 1, 9, 20, 2, L"Notes"),
    };
    const wchar_t* otherNames[] = {L"Caption", L"Swatch", L"Rows", L"Notes"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(nullptr, others[i]) << i;
        ItemCopyText(others[i]->name, DlgNameLength, otherNames[i]);
    }
    DlgIntNamed(dialog, 12, 11, 8, &kept, nullptr, nullptr, 0, nullptr, nullptr, L"Kept");

    DlgRecordValues(dialog);
    DlgSetLogFile(nullptr);
    DlgDestroy(dialog);

    EXPECT_EQ(Crlf("Left out\n" + kRule + "Kept=4 int\n\n"), Log());
}
#endif

TEST_F(RecordingKinds, LabelsLoseEveryAmpersandAndTrailingColonsButKeepTheRest) {
    wchar_t first[21] = L"a";
    wchar_t second[21] = L"b";
    wchar_t third[21] = L"c";
    Dialog* dialog = DlgCreate(L"Labels", 40, 4, DlgWindowPopup, 0, nullptr);
    DlgStringNamed(dialog, 15, 0, 10, first, 20, 0, L"&Save && go::", nullptr, L"First");
    DlgStringNamed(dialog, 15, 1, 10, second, 20, 0, L"Ratio: x", nullptr, L"Second");
    DlgStringNamed(dialog, 15, 2, 10, third, 20, 0, nullptr, nullptr, L"Third");

    DlgRecordValues(dialog);
    DlgSetLogFile(nullptr);
    DlgDestroy(dialog);

    EXPECT_EQ(Crlf("Labels\n" + kRule +
                   "First=a (Save  go) string\n"
                   "Second=b (Ratio: x) string\n"
                   "Third=c string\n"
                   "\n"),
              Log());
}

TEST_F(RecordingKinds, StringValueIsCutAtTheFieldsMaximum) {
    wchar_t text[32] = L"abcdefghijklmnop";
    Dialog* dialog = DlgCreate(L"Cut", 40, 2, DlgWindowPopup, 0, nullptr);
    DlgStringNamed(dialog, 1, 0, 20, text, 5, 0, nullptr, nullptr, L"Text");
    DlgRecordValues(dialog);
    DlgSetLogFile(nullptr);
    DlgDestroy(dialog);
    EXPECT_EQ(Crlf("Cut\n" + kRule + "Text=abcde string\n\n"), Log());
}

TEST_F(RecordingActions, NamedButtonAndMenuCommandLogActionLinesBeforeTheBlock) {
    Dialog* dialog = DlgCreate(L"Tools", 40, 3, DlgWindowPopup, DlgStyleMenuBar, nullptr);
    DialogItem* apply = DlgButtonNamed(dialog, 1, 0.5, 10, 0, ReturnsZero, L"Apply", nullptr, 0, L"Apply");
    DialogItem* plain = DlgButton(dialog, 12, 0.5, 10, 0, AlsoReturnsZero, L"Plain", nullptr, 0);
    DialogItem* ok = DlgButton(dialog, 24, 0.5, 10, 0, DlgStandardOk, L"OK", nullptr, 0);
    ASSERT_EQ(1, DlgMenuBar(dialog));
    HMENU file = DlgMenuPopup(dialog, L"&File");
    int reload = DlgMenuCommand(dialog, file, ReturnsZero, L"&Reload", L"Reload");
    int quiet = DlgMenuCommand(dialog, file, AlsoReturnsZero, L"&Quiet", nullptr);
    ASSERT_NE(0, reload);
    ASSERT_NE(0, quiet);

    int result = RunAndAct(dialog, [&] {
        testenv::SaveScreenshot("recording_actions");
        Click(apply);
        Click(plain);
        SendMessageW(dialog->window, WM_COMMAND, MAKEWPARAM(reload, 0), 0);
        SendMessageW(dialog->window, WM_COMMAND, MAKEWPARAM(quiet, 0), 0);
        Click(ok);
    });

    EXPECT_EQ(1, result);
    EXPECT_EQ(Crlf("Action Apply\n\nAction Reload\n\nTools\n" + kRule + "\n"), Log());
}

TEST_F(RecordingActions, CommandWithoutANameLogsOnlyWhatIsRegisteredForItsCallback) {
    DlgRecordCommand(ReturnsZero, L"Own");
    DlgRecordCommand(ReturnsZero, nullptr);
#ifdef NIMBO_PLUGIN
    ASSERT_EQ(1, DlgRegisterAction(L"Browse", AlsoReturnsZero));
    DlgRecordCommand(AlsoReturnsZero, L"");
    DlgClearNameRegistries();
    EXPECT_EQ(Crlf("Action Own\n\nAction Browse\n\n"), Log());
#else
    DlgRecordCommand(AlsoReturnsZero, L"");
    EXPECT_EQ(Crlf("Action Own\n\n"), Log());
#endif
}

TEST_F(RecordingFile, BlocksAndActionsAppendToWhatTheLogAlreadyHolds) {
    ASSERT_TRUE(testenv::WriteFileBytes(logPath, "earlier\r\n"));
    DlgRecordAction(L"Next");
    EXPECT_EQ("earlier\r\nAction Next\r\n\r\n", Log());
}

TEST_F(RecordingFile, CharactersBeyondLatin1BecomeQuestionMarksAndTheLineGoesOn) {
    Dialog* dialog = DlgCreate(L"Gr\u00f6\u00dfe \u20ac A\U0001F600B", 30, 2, DlgWindowPopup, 0, nullptr);
    DlgRecordValues(dialog);
    DlgSetLogFile(nullptr);
    DlgDestroy(dialog);
    EXPECT_EQ(Crlf("Gr\xf6\xdf"
                   "e ? A?B\n" +
                   kRule + "\n"),
              Log());
}

TEST_F(RecordingFile, LogThatCannotBeOpenedIsSkippedAndTheDialogStillEnds) {
    std::wstring unreachable = folder + L"\\missing\\dialogs.log";
    ASSERT_EQ(1, DlgSetLogFile(unreachable.c_str()));
    wchar_t text[11] = L"kept";
    Dialog* dialog = DlgCreate(L"Unlogged", 30, 3, DlgWindowPopup, 0, nullptr);
    DlgStringNamed(dialog, 1, 0, 10, text, 10, 0, nullptr, nullptr, L"Text");
    DialogItem* ok = DlgButtonNamed(dialog, 12, 1.5, 10, 0, DlgStandardOk, L"OK", nullptr, 0, L"OK");

    EXPECT_EQ(1, RunAndAct(dialog, [&] { Click(ok); }));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(unreachable.c_str()));

    // A log path that names a folder cannot be written either.
    ASSERT_EQ(1, DlgSetLogFile(folder.c_str()));
    DlgRecordAction(L"Nothing");
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str()));
}

TEST_F(RecordingFile, NullEmptyOrOverlongPathSwitchesRecordingOff) {
    EXPECT_EQ(0, DlgSetLogFile(nullptr));
    EXPECT_STREQ(L"", DlgLogFile());
    DlgRecordAction(L"Lost");
    EXPECT_EQ("<no log file>", Log());

    std::wstring overlong = folder + L"\\" + std::wstring(DlgLogPathLength, L'x');
    EXPECT_EQ(0, DlgSetLogFile(overlong.c_str()));
    EXPECT_STREQ(L"", DlgLogFile());

    EXPECT_EQ(1, DlgSetLogFile(logPath.c_str()));
    EXPECT_EQ(0, DlgSetLogFile(L""));
    DlgRecordAction(L"Lost");
    EXPECT_EQ("<no log file>", Log());
}

#ifdef NIMBO_PLUGIN
using RecordingRegistry = Recording;

int FolderInCapitals(const void* variable, wchar_t* text, int capacity) {
    const wchar_t* value = static_cast<const wchar_t*>(variable);
    int i = 0;
    for (; value[i] && i < capacity - 1; ++i) text[i] = static_cast<wchar_t>(towupper(value[i]));
    text[i] = 0;
    return i;
}

TEST_F(RecordingRegistry, ItemsAreRecordedUnderTheirVariablesNameAndTheBlockUsesTheTitle) {
    wchar_t folderText[41] = L"C:\\data";
    wchar_t notes[41] = L"free";
    ASSERT_EQ(1, DlgRegisterVariable(L"Folder", DlgVariableString, folderText, 0, nullptr));
    Dialog* dialog = DlgCreateNamed(L"Options", 40, 3, DlgWindowPopup, 0, nullptr, L"OptionsDialog");
    DlgString(dialog, 12, 0, 20, folderText, 40, 0, L"&Folder:", nullptr);
    DlgString(dialog, 12, 1, 20, notes, 40, 0, L"Notes", nullptr); // registered under no name

    DlgRecordValues(dialog);
    ASSERT_EQ(1, DlgRegisterVariable(L"Folder", DlgVariableCustom, folderText, 0, FolderInCapitals));
    DlgRecordValues(dialog);
    DlgSetLogFile(nullptr);
    DlgDestroy(dialog);
    DlgClearNameRegistries();

    EXPECT_EQ(Crlf("Options\n" + kRule + "Folder=C:\\data (Folder) string\n\n" + "Options\n" + kRule +
                   "Folder=C:\\DATA (Folder) custom\n\n"),
              Log());
}

TEST(NameRegistry, LookupsIgnoreCaseAndRegisteringAgainRenames) {
    DlgClearNameRegistries();
    int width = 0;
    double scale = 0;
    ASSERT_EQ(1, DlgRegisterVariable(L"Width", DlgVariableInt, &width, 0, nullptr));
    ASSERT_EQ(1, DlgRegisterVariable(L"Scale", DlgVariableDouble, &scale, 3, nullptr));
    EXPECT_EQ(&width, DlgNamedVariableByName(L"WIDTH")->variable);
    EXPECT_EQ(3, DlgNamedVariableOf(&scale)->decimals);
    ASSERT_EQ(1, DlgRegisterVariable(L"Breadth", DlgVariableInt, &width, 0, nullptr));
    EXPECT_EQ(nullptr, DlgNamedVariableByName(L"Width"));
    EXPECT_STREQ(L"Breadth", DlgNamedVariableOf(&width)->name);

    ASSERT_EQ(1, DlgRegisterAction(L"Browse", ReturnsZero));
    EXPECT_EQ(ReturnsZero, DlgNamedActionByName(L"browse")->callback);
    EXPECT_STREQ(L"Browse", DlgNamedActionOf(ReturnsZero)->name);
    EXPECT_EQ(nullptr, DlgNamedActionOf(AlsoReturnsZero));
    DlgClearNameRegistries();
    EXPECT_EQ(nullptr, DlgNamedActionOf(ReturnsZero));
}

TEST(NameRegistry, RefusesEmptyOverlongOrUntypedEntriesAndAFullTable) {
    DlgClearNameRegistries();
    int value = 0;
    std::wstring longest(DlgNameLength - 1, L'n');
    std::wstring overlong(DlgNameLength, L'n');
    EXPECT_EQ(0, DlgRegisterVariable(L"", DlgVariableInt, &value, 0, nullptr));
    EXPECT_EQ(0, DlgRegisterVariable(nullptr, DlgVariableInt, &value, 0, nullptr));
    EXPECT_EQ(0, DlgRegisterVariable(overlong.c_str(), DlgVariableInt, &value, 0, nullptr));
    EXPECT_EQ(0, DlgRegisterVariable(L"Value", 6, &value, 0, nullptr));
    EXPECT_EQ(0, DlgRegisterVariable(L"Value", DlgVariableInt, nullptr, 0, nullptr));
    EXPECT_EQ(0, DlgRegisterAction(L"Go", nullptr));
    EXPECT_EQ(1, DlgRegisterVariable(longest.c_str(), DlgVariableInt, &value, 0, nullptr));

    static int many[DlgNamedVariableCapacity + 1];
    DlgClearNameRegistries();
    for (int i = 0; i < DlgNamedVariableCapacity; ++i) {
        wchar_t name[16];
        swprintf(name, 16, L"v%d", i);
        ASSERT_EQ(1, DlgRegisterVariable(name, DlgVariableInt, &many[i], 0, nullptr)) << i;
    }
    EXPECT_EQ(0, DlgRegisterVariable(L"extra", DlgVariableInt, &many[DlgNamedVariableCapacity], 0, nullptr));
    EXPECT_EQ(1, DlgRegisterVariable(L"renamed", DlgVariableInt, &many[0], 0, nullptr));
    EXPECT_EQ(&many[0], DlgNamedVariableByName(L"RENAMED")->variable);
    DlgClearNameRegistries();
}
#endif

} // namespace
