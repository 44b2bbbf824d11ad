// Folder and file choosers: opened and answered for real from a driver thread, and the conversion of the
// open chooser's answer into the list of full paths callers read.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "dialogs/app.h"
#include "dialogs/choosers.h"
#include "runtime/memory.h"
#include "runtime/text.h"
#include "support/test_environment.h"

namespace {

// Wine reports the folder as the file system spells it; letter case is not what is under test.
bool SamePath(const wchar_t* a, const std::wstring& b) {
    return TextCompareNoCase(a, b.c_str()) == 0;
}

std::wstring ListOf(const wchar_t* output, int capacity) {
    return std::wstring(output, output + capacity);
}

// ---- The open chooser's answer as a list of paths ----

TEST(OpenFilesCollect, OneFileGivesItsPathAndTwoTerminators) {
    wchar_t output[64];
    wmemset(output, L'#', 64);
    const wchar_t answer[] = L"C:\\data\\scan.las\0\0";
    EXPECT_EQ(OpenFilesCollect(output, 64, answer), 1);
    EXPECT_EQ(ListOf(output, 19), std::wstring(L"C:\\data\\scan.las\0\0#", 19));
}

TEST(OpenFilesCollect, SeveralFilesGiveOneFullPathEach) {
    wchar_t output[64];
    wmemset(output, L'#', 64);
    const wchar_t answer[] = L"C:\\data\0a.las\0b.las\0\0";
    EXPECT_EQ(OpenFilesCollect(output, 64, answer), 2);
    EXPECT_EQ(ListOf(output, 29), std::wstring(L"C:\\data\\a.las\0C:\\data\\b.las\0\0", 29));

    // A drive root already ends with its backslash.
    const wchar_t fromRoot[] = L"C:\\\0a.las\0b.las\0\0";
    EXPECT_EQ(OpenFilesCollect(output, 64, fromRoot), 2);
    EXPECT_EQ(ListOf(output, 19), std::wstring(L"C:\\a.las\0C:\\b.las\0\0", 19));
}

TEST(OpenFilesCollect, PathsThatDoNotFitAreLeftOutWhole) {
    const wchar_t answer[] = L"C:\\d\0a\0bbbbbbbb\0c\0\0";
    wchar_t output[24];
    wmemset(output, L'#', 24);
    // "C:\d\a" (7 with terminator) fits, "C:\d\bbbbbbbb" (14) does not, "C:\d\c" (7) does; 1 final zero.
    EXPECT_EQ(OpenFilesCollect(output, 16, answer), 2);
    EXPECT_EQ(ListOf(output, 16), std::wstring(L"C:\\d\\a\0C:\\d\\c\0\0#", 16));
    for (int i = 16; i < 24; ++i) EXPECT_EQ(output[i], L'#') << "written past the capacity";

    wchar_t tiny[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(OpenFilesCollect(tiny, 2, answer), 0);
    EXPECT_EQ(tiny[0], 0);
    EXPECT_EQ(tiny[1], 0);
    EXPECT_EQ(tiny[2], L'#');
    EXPECT_EQ(OpenFilesCollect(tiny, 0, answer), 0);
    EXPECT_EQ(tiny[2], L'#');
}

// ---- Real choosers ----

class ChooserTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
#ifdef NIMBO_PLUGIN
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"Chooser Test", L"NOICON");
#else
        AppStart(GetModuleHandleW(nullptr), 0, 0, L"Chooser Test", L"NOICON", nullptr, 12);
#endif
    }
};

HWND WaitForChooser(DWORD thread) {
    HWND found = nullptr;
    for (int waited = 0; waited < 15000 && !found; waited += 50) {
        EnumThreadWindows(
            thread,
            [](HWND window, LPARAM context) -> BOOL {
                wchar_t name[32] = {};
                GetClassNameW(window, name, 32);
                if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
                *reinterpret_cast<HWND*>(context) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (!found) Sleep(50);
    }
    return found;
}

std::wstring TitleOf(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

// The file name field: the edit inside the name combo (wrapped in an extended combo on some systems).
HWND FileNameField(HWND chooser) {
    HWND combo = GetDlgItem(chooser, 0x47C);
    if (!combo) return GetDlgItem(chooser, 0x480);
    HWND found = nullptr;
    EnumChildWindows(
        combo,
        [](HWND window, LPARAM context) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (wcscmp(name, L"Edit") != 0) return TRUE;
            *reinterpret_cast<HWND*>(context) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found ? found : combo;
}

// Runs the chooser on this thread while answer drives it from another.
template <typename Open, typename Answer>
int WithChooser(Open open, Answer answer, std::wstring* title = nullptr) {
    DWORD thread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND chooser = WaitForChooser(thread);
        if (!chooser) return;
        if (title) *title = TitleOf(chooser);
        answer(chooser);
    });
    int result = open();
    driver.join();
    return result;
}

void Press(HWND chooser, int id) {
    PostMessageW(GetDlgItem(chooser, id), BM_CLICK, 0, 0);
}

void TypeName(HWND chooser, const std::wstring& name) {
    SendMessageW(FileNameField(chooser), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

// Opens the folder chooser on path and presses OK once the name field shows the expected folder (or after
// ten seconds). Returns whether the field showed it.
bool BrowseAndAccept(wchar_t* path, const wchar_t* expectedName, int* chosen) {
    bool landed = false;
    *chosen = WithChooser([&] { return BrowseFolder(path, nullptr, L"Choose the executables folder"); },
                          [&](HWND chooser) {
                              HWND name = FindWindowExW(chooser, nullptr, L"Edit", nullptr);
                              for (int waited = 0; waited < 10000 && !landed; waited += 100) {
                                  wchar_t text[64] = {};
                                  GetWindowTextW(name, text, 64);
                                  landed = wcscmp(text, expectedName) == 0;
                                  if (!landed) Sleep(100);
                              }
                              testenv::SaveScreenshot("browse_folder");
                              Press(chooser, IDOK);
                          });
    return landed;
}

TEST_F(ChooserTest, BrowseFolderStartsAtTheGivenFolderAndReturnsIt) {
    // Wine's folder tree does not always open a branch deep inside drive Z: (the Unix root) for the
    // preselection, so the folder lives in the prefix's temporary folder on drive C:.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"browse_start";
    CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t path[kChooserPathCapacity] = {};
    wcsncpy(path, folder.c_str(), kChooserPathCapacity - 1);
    int chosen = 0;
    // The first folder chooser of a fresh Wine session sometimes stops its preselection part of the way
    // (the shell's folder cache is still being built); a second one lands reliably.
    if (!BrowseAndAccept(path, L"browse_start", &chosen)) {
        wcsncpy(path, folder.c_str(), kChooserPathCapacity - 1);
        ASSERT_TRUE(BrowseAndAccept(path, L"browse_start", &chosen)) << "the preselection never landed";
    }
    ASSERT_EQ(chosen, 1);
    EXPECT_TRUE(SamePath(path, folder)) << "chosen: " << std::string(path, path + wcslen(path));
}

TEST_F(ChooserTest, BrowseFolderCancelledLeavesThePath) {
    wchar_t path[kChooserPathCapacity] = L"C:\\unchanged";
    EXPECT_EQ(WithChooser([&] { return BrowseFolder(path, nullptr, L"Cancel me"); },
                          [](HWND chooser) { Press(chooser, IDCANCEL); }),
              0);
    EXPECT_STREQ(path, L"C:\\unchanged");
}

TEST_F(ChooserTest, SaveFileChooserAcceptsANewFileName) {
    std::wstring folder = testenv::ScratchFolder(L"save_chooser");
    std::wstring typed = folder + L"\\new settings";
    wchar_t path[kChooserPathCapacity] = {};
    std::wstring title;
    int chosen = WithChooser(
        [&] { return SaveFileChooser(path, nullptr, L"Save the settings", L"Settings\0*.upf\0\0", L"upf"); },
        [&](HWND chooser) {
            TypeName(chooser, typed);
            Press(chooser, IDOK);
        },
        &title);
    EXPECT_EQ(title, L"Save the settings");
    ASSERT_EQ(chosen, 1) << "a file that does not exist yet must be choosable for saving";
    EXPECT_EQ(std::wstring(path), typed + L".upf");

    EXPECT_EQ(WithChooser([&] { return SaveFileChooser(path, nullptr, L"Cancel", L"All\0*.*\0\0", nullptr); },
                          [](HWND chooser) { Press(chooser, IDCANCEL); }),
              0);
}

TEST_F(ChooserTest, OpenFilesChooserListsEveryChosenFile) {
    std::wstring folder = testenv::ScratchFolder(L"open_chooser");
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\first.las", "1"));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\second.las", "2"));
    wchar_t output[2048];
    wmemset(output, L'#', 2048);
    std::wstring title;
    int chosen = WithChooser(
        [&] {
            return OpenFilesChooser(output, 2048, nullptr, L"Load point clouds", L"Point clouds\0*.las\0\0",
                                    L"las");
        },
        [&](HWND chooser) {
            // Quoted names are taken relative to the folder shown, so the chooser is first sent there.
            TypeName(chooser, folder);
            Press(chooser, IDOK);
            Sleep(500);
            TypeName(chooser, L"\"first.las\" \"second.las\"");
            testenv::SaveScreenshot("open_files_chooser");
            Press(chooser, IDOK);
        },
        &title);
    EXPECT_EQ(title, L"Load point clouds");
    ASSERT_EQ(chosen, 1);
    std::wstring first = output;
    std::wstring second = output + first.size() + 1;
    EXPECT_TRUE(SamePath(first.c_str(), folder + L"\\first.las"));
    EXPECT_TRUE(SamePath(second.c_str(), folder + L"\\second.las"));
    EXPECT_EQ(output[first.size() + 1 + second.size() + 1], 0) << "the list ends with an empty entry";
#ifndef NIMBO_PLUGIN
    EXPECT_EQ(MemFind("DlgMem", 0), -1) << "the work block is freed before returning";
#endif

    wmemset(output, L'#', 2048);
    chosen = WithChooser(
        [&] { return OpenFilesChooser(output, 2048, nullptr, L"One", L"Point clouds\0*.las\0\0", L"las"); },
        [&](HWND chooser) {
            TypeName(chooser, folder + L"\\second.las");
            Press(chooser, IDOK);
        });
    ASSERT_EQ(chosen, 1);
    std::wstring only = output;
    EXPECT_TRUE(SamePath(only.c_str(), folder + L"\\second.las"));
    EXPECT_EQ(output[only.size()], 0);
    EXPECT_EQ(output[only.size() + 1], 0);

    EXPECT_EQ(
        WithChooser([&] { return OpenFilesChooser(output, 2048, nullptr, L"Cancel", nullptr, nullptr); },
                    [](HWND chooser) { Press(chooser, IDCANCEL); }),
        0);
}

} // namespace
