// The remembering save and open choosers: where they start, and what a choice or a cancel leaves
// behind, with the real system dialog driven from a second thread.
#include "runtime/path_chooser.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace {

// Test programs may run at the same time: each test gets a folder of its own.
std::wstring FolderForThisTest() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    return testenv::ScratchFolder(std::wstring(name.begin(), name.end()));
}

std::wstring Stored(const PrefTable& table, const wchar_t* key) {
    wchar_t value[kFileDialogPathChars] = L"";
    if (!PrefGetString(value, &table, key, kFileDialogPathChars - 1)) return L"<missing>";
    return value;
}

TEST(FileDialogStart, RemembersThePathOnlyWhenTheCallerHasNone) {
    PrefTable table;
    PrefInit(&table);
    ASSERT_EQ(1, PrefSetString(&table, L"Project File", L"C:\\data\\scan.las"));
    wchar_t start[kFileDialogPathChars];
    FileDialogStartPath(start, L"", &table, L"project file", nullptr);
    EXPECT_STREQ(L"C:\\data\\scan.las", start);
    FileDialogStartPath(start, L"D:\\mine.las", &table, L"Project File", nullptr);
    EXPECT_STREQ(L"D:\\mine.las", start);
    FileDialogStartPath(start, L"", nullptr, L"Project File", nullptr);
    EXPECT_STREQ(L"", start);
    FileDialogStartPath(start, L"", &table, L"Other", nullptr);
    EXPECT_STREQ(L"", start);
    PrefFree(&table);
}

TEST(FileDialogStart, ForcedExtensionReplacesTheLastOneOrIsAppended) {
    wchar_t start[kFileDialogPathChars];
    FileDialogStartPath(start, L"C:\\v1.2\\session.txt", nullptr, nullptr, L"tss");
    EXPECT_STREQ(L"C:\\v1.2\\session.tss", start);
    FileDialogStartPath(start, L"C:\\v1.2\\session", nullptr, nullptr, L"tss");
    EXPECT_STREQ(L"C:\\v1.2\\session.tss", start);
    FileDialogStartPath(start, L"", nullptr, nullptr, L"tss");
    EXPECT_STREQ(L"", start);
}

TEST(FileDialogStart, SingleDotStepsBetweenSeparatorsAreRemoved) {
    wchar_t path[kFileDialogPathChars] = L"C:\\a\\.\\.\\b/./c\\.\\d.tss";
    FileDialogRemoveDotSteps(path);
    EXPECT_STREQ(L"C:\\a\\b/c\\d.tss", path);
    wchar_t kept[kFileDialogPathChars] = L".\\x\\..\\y\\.hidden\\z.\\w";
    FileDialogRemoveDotSteps(kept);
    EXPECT_STREQ(L".\\x\\..\\y\\.hidden\\z.\\w", kept);
    wchar_t tail[kFileDialogPathChars] = L"C:\\a\\.";
    FileDialogRemoveDotSteps(tail);
    EXPECT_STREQ(L"C:\\a\\.", tail);
}

TEST(FileDialogStart, DefaultExtensionMayBeGivenAsPattern) {
    wchar_t extension[32];
    const struct {
        const wchar_t* given;
        const wchar_t* expected;
    } cases[] = {{L"*.tss", L"tss"},       {L".tss", L"tss"}, {L"tss", L"tss"}, {L"*.*", L""},
                 {L"*.tss;*.prj", L"tss"}, {L"", L""},        {nullptr, L""},   {L"a\\b", L""}};
    for (const auto& c : cases) {
        FileDialogExtension(extension, 32, c.given);
        EXPECT_STREQ(c.expected, extension) << (c.given ? c.given : L"(null)");
    }
    FileDialogExtension(extension, 4, L"*.toolong");
    EXPECT_STREQ(L"", extension);
}

// ---- The real chooser ----

// A visible dialog window of this process: the one with the title, or (title null) any but skip,
// which finds the question a chooser asks on top of itself.
struct DialogSearch {
    const wchar_t* title;
    HWND skip;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[32] = L"";
    wchar_t title[128] = L"";
    GetClassNameW(window, className, 32);
    GetWindowTextW(window, title, 128);
    bool wanted = search->title ? wcscmp(title, search->title) == 0 : window != search->skip;
    if (wanted && process == GetCurrentProcessId() && IsWindowVisible(window) &&
        wcscmp(className, L"#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(const wchar_t* title, HWND skip, int milliseconds) {
    DialogSearch search{title, skip, nullptr};
    for (int waited = 0; waited < milliseconds && !search.found && (!skip || IsWindow(skip)); waited += 50) {
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    return search.found;
}

BOOL CALLBACK FirstVisibleEdit(HWND window, LPARAM parameter) {
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (_wcsicmp(className, L"Edit") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(parameter) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FileNameField(HWND dialog) {
    HWND edit = nullptr;
    EnumChildWindows(dialog, FirstVisibleEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

std::wstring TextOfWindow(HWND window) {
    wchar_t text[kFileDialogPathChars] = L"";
    SendMessageW(window, WM_GETTEXT, kFileDialogPathChars, reinterpret_cast<LPARAM>(text));
    return text;
}

void PostCommand(HWND dialog, int command) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, command)));
}

bool WaitUntilClosed(HWND window, int milliseconds) {
    for (int waited = 0; waited < milliseconds && IsWindow(window); waited += 50) Sleep(50);
    return !IsWindow(window);
}

// What the user meets and does, as seen from the thread that acts as the user.
struct UserSession {
    const wchar_t* title = nullptr;
    const wchar_t* typedName = nullptr; // null: cancel
    const char* screenshot = nullptr;
    bool answerQuestionWithYes = false;
    bool dialogFound = false;
    bool questionAsked = false;
    bool closedAsTheUserWanted = false;
    std::wstring initialName;
};

// Notes the name the chooser offers, takes a screenshot when asked, then types the name and
// confirms, or cancels. A chooser that stays open (it refused the name) is cancelled after all its
// questions, so that a failing test ends instead of waiting for a user.
void ActAsUser(UserSession& session) {
    HWND dialog = WaitForDialog(session.title, nullptr, 15000);
    if (!dialog) return;
    session.dialogFound = true;
    Sleep(300);
    HWND field = FileNameField(dialog);
    if (field) session.initialName = TextOfWindow(field);
    if (session.screenshot) testenv::SaveScreenshot(session.screenshot);
    if (session.typedName && field) {
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(session.typedName));
        PostCommand(dialog, IDOK);
        if (session.answerQuestionWithYes) {
            HWND question = WaitForDialog(nullptr, dialog, 5000);
            session.questionAsked = question != nullptr;
            if (question) PostCommand(question, IDYES);
        }
    } else {
        PostCommand(dialog, IDCANCEL);
    }
    session.closedAsTheUserWanted = WaitUntilClosed(dialog, 5000);
    while (IsWindow(dialog)) {
        while (HWND question = WaitForDialog(nullptr, dialog, 200)) {
            PostMessageW(question, WM_CLOSE, 0, 0);
            WaitUntilClosed(question, 2000);
        }
        PostCommand(dialog, IDCANCEL);
        WaitUntilClosed(dialog, 2000);
    }
}

std::thread StartUser(UserSession& session) {
    return std::thread([&session] { ActAsUser(session); });
}

class FileDialogChoice : public ::testing::Test {
protected:
    void SetUp() override {
        folder = FolderForThisTest();
        ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\scan.las", "points"));
        ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\other.las", "points"));
        PrefInit(&table);
    }
    void TearDown() override { PrefFree(&table); }
    std::wstring folder;
    PrefTable table;
    const wchar_t* filter = L"Point clouds (*.las)\0*.las\0All files (*.*)\0*.*\0";
};

TEST_F(FileDialogChoice, OpenStartsFromTheRememberedPathAndStoresTheChoice) {
    ASSERT_EQ(1, PrefSetString(&table, L"Project File", (folder + L"\\.\\scan.las").c_str()));
    wchar_t path[kFileDialogPathChars] = L"";
    UserSession session;
    session.title = L"Open Test Project";
    session.typedName = L"other.las";
    session.screenshot = "path_chooser_open";
    std::thread user = StartUser(session);
    int result = FileOpenDialog(path, filter, L"las", L"Open Test Project", &table, L"Project File", nullptr);
    user.join();
    ASSERT_TRUE(session.dialogFound);
    EXPECT_TRUE(session.closedAsTheUserWanted);
    EXPECT_EQ(L"scan.las", session.initialName);
    EXPECT_EQ(1, result);
    EXPECT_EQ(folder + L"\\other.las", path);
    EXPECT_EQ(folder + L"\\other.las", Stored(table, L"Project File"));
}

TEST_F(FileDialogChoice, CancelledOpenLeavesBufferAndTableAlone) {
    std::wstring remembered = folder + L"\\scan.las";
    ASSERT_EQ(1, PrefSetString(&table, L"Project File", remembered.c_str()));
    wchar_t path[kFileDialogPathChars] = L"";
    UserSession session;
    session.title = L"Open Cancelled";
    std::thread user = StartUser(session);
    int result = FileOpenDialog(path, filter, L"las", L"Open Cancelled", &table, L"Project File", nullptr);
    user.join();
    ASSERT_TRUE(session.dialogFound);
    EXPECT_TRUE(session.closedAsTheUserWanted);
    EXPECT_EQ(0, result);
    EXPECT_STREQ(L"", path);
    EXPECT_EQ(remembered, Stored(table, L"Project File"));
}

TEST_F(FileDialogChoice, SaveForcesTheExtensionAndAcceptsANewName) {
    ASSERT_EQ(1, PrefSetString(&table, L"Session File", (folder + L"\\old.txt").c_str()));
    wchar_t path[kFileDialogPathChars] = L"";
    UserSession session;
    session.title = L"Save Test Session";
    session.typedName = L"fresh";
    session.screenshot = "path_chooser_save";
    std::thread user = StartUser(session);
    int result = FileSaveDialog(path, L"Sessions (*.tss)\0*.tss\0", L"*.tss", L"Save Test Session", &table,
                                L"Session File", 1, nullptr);
    user.join();
    ASSERT_TRUE(session.dialogFound);
    EXPECT_TRUE(session.closedAsTheUserWanted);
    EXPECT_EQ(L"old.tss", session.initialName);
    EXPECT_EQ(1, result);
    EXPECT_EQ(folder + L"\\fresh.tss", path);
    EXPECT_EQ(folder + L"\\fresh.tss", Stored(table, L"Session File"));
}

TEST_F(FileDialogChoice, CancelledSaveLeavesBufferUnchangedAndWorksWithoutTable) {
    std::wstring given = folder + L"\\given.las";
    wchar_t path[kFileDialogPathChars];
    wcscpy_s(path, kFileDialogPathChars, given.c_str());
    UserSession session;
    session.title = L"Save Cancelled";
    std::thread user = StartUser(session);
    int result = FileSaveDialog(path, filter, L"las", L"Save Cancelled", nullptr, L"Any", 1, nullptr);
    user.join();
    ASSERT_TRUE(session.dialogFound);
    EXPECT_TRUE(session.closedAsTheUserWanted);
    EXPECT_EQ(L"given.las", session.initialName);
    EXPECT_EQ(0, result);
    EXPECT_EQ(given, path);
}

TEST_F(FileDialogChoice, SaveOverAnExistingFileAsksFirst) {
    wchar_t path[kFileDialogPathChars] = L"";
    UserSession session;
    session.title = L"Save Over";
    std::wstring existing = folder + L"\\scan.las";
    session.typedName = existing.c_str();
    session.answerQuestionWithYes = true;
    std::thread user = StartUser(session);
    int result = FileSaveDialog(path, filter, L"las", L"Save Over", &table, L"Export", 0, nullptr);
    user.join();
    ASSERT_TRUE(session.dialogFound);
    EXPECT_TRUE(session.questionAsked);
    EXPECT_TRUE(session.closedAsTheUserWanted);
    EXPECT_EQ(1, result);
    EXPECT_EQ(folder + L"\\scan.las", path);
    EXPECT_EQ(folder + L"\\scan.las", Stored(table, L"Export"));
}

TEST_F(FileDialogChoice, OpenRefusesAFileThatDoesNotExist) {
    wchar_t path[kFileDialogPathChars] = L"";
    UserSession session;
    session.title = L"Open Missing";
    std::wstring missing = folder + L"\\missing.las";
    session.typedName = missing.c_str();
    std::thread user = StartUser(session);
    int result = FileOpenDialog(path, filter, L"las", L"Open Missing", &table, L"Project File", nullptr);
    user.join();
    ASSERT_TRUE(session.dialogFound);
    EXPECT_FALSE(session.closedAsTheUserWanted);
    EXPECT_EQ(0, result);
    EXPECT_STREQ(L"", path);
    EXPECT_EQ(L"<missing>", Stored(table, L"Project File"));
}

} // namespace
