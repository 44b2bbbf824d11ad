// setup.exe as a deployment script meets it: installation media in a folder, a command line, an exit code.
#include "setup_test_support.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using setuptest::Exists;
using setuptest::IsFolder;
using setuptest::ReadAll;

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::vector<std::wstring> windowTitles;
    std::vector<std::wstring> messages;
};

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) search->windows.push_back(window);
    return TRUE;
}

// Answers whatever the program shows: a message box with OK, any other window by closing it, the way a
// user who wants out would. Everything seen is recorded, so that silent runs can be shown to show nothing.
void AnswerWindows(DWORD processId, RunResult* result) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.windows) {
        wchar_t className[64] = L"";
        GetClassNameW(window, className, 64);
        result->windowTitles.push_back(WindowText(window));
        if (std::wstring(className) == L"#32770") {
            HWND text = GetDlgItem(window, 0xFFFF);
            result->messages.push_back(text ? WindowText(text) : L"");
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        } else {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
}

RunResult RunSetup(const std::wstring& media, const std::wstring& arguments,
                   const std::wstring& currentFolder = L"") {
    RunResult result;
    std::wstring line = L"\"" + media + L"\\setup.exe\" " + arguments;
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &process))
        return result;
    for (int waited = 0; waited < 60000; waited += 100) {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
        AnswerWindows(process.dwProcessId, &result);
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

class SilentInstallTest : public testing::Test {
public:
    std::wstring media, target;

    // Media for the test: setup.exe and setup.inf side by side, the payload in its installed layout.
    void LayOut(const std::wstring& name, const std::string& inf) {
        media = testenv::ScratchFolder(name + L"_media");
        target = testenv::ScratchFolder(name + L"_target");
        ASSERT_TRUE(CopyFileW((testenv::BuildFolder() + L"\\setup\\setup.exe").c_str(),
                              (media + L"\\setup.exe").c_str(), FALSE));
        if (!inf.empty()) {
            ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\setup.inf", inf));
        }
    }

    void Payload(const std::wstring& relative, const std::string& bytes) {
        std::wstring path = media + L"\\" + relative;
        size_t slash = path.rfind(L'\\');
        std::wstring folder = path.substr(0, slash);
        for (size_t at = media.size() + 1; at <= folder.size(); ++at) {
            if (at == folder.size() || folder[at] == L'\\')
                CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
        }
        ASSERT_TRUE(testenv::WriteFileBytes(path, bytes));
    }

    std::wstring Exe() const { return target + L"\\exe"; }
    std::wstring Set() const { return target + L"\\set"; }
    std::wstring ThreeFolders() const { return Quoted(Exe()) + L" " + Quoted(Set()) + L" C:\\unused"; }
};

const char* const kBasicInf =
    "[Application]\r\nAppName=Photo\r\nDefDir=C:\\Nimbo\\Photo\r\nTarget=NONE\r\n"
    "[ExeDirs]\r\nbin\r\nbin\\plugins\r\n[SetDirs]\r\nconfig\r\n"
    "[ExeFiles]\r\nPhoto, bin\\photo.exe, -\r\nLib, bin\\plugins\\lib.dll, -\r\n"
    "[SetFiles]\r\nPrefs, config\\prefs.upf, L\r\nRead me, readme.txt, -\r\n[End]\r\n";

void AddBasicPayload(SilentInstallTest* test) {
    test->Payload(L"bin\\photo.exe", setuptest::Pattern(40000));
    test->Payload(L"bin\\plugins\\lib.dll", "library");
    test->Payload(L"config\\prefs.upf", "[Nimbo preferences]\r\nQuality=90\r\n");
    test->Payload(L"readme.txt", "read me");
}

TEST_F(SilentInstallTest, InstallsTheDescribedTreeWithoutShowingAnything) {
    LayOut(L"silent_basic", kBasicInf);
    AddBasicPayload(this);
    RunResult run = RunSetup(media, Quoted(Exe()) + L" " + Quoted(Set() + L"\\") + L" C:\\unused");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.windowTitles.empty());
    EXPECT_EQ(setuptest::Pattern(40000), ReadAll(Exe() + L"\\bin\\photo.exe"));
    EXPECT_EQ("library", ReadAll(Exe() + L"\\bin\\plugins\\lib.dll"));
    EXPECT_EQ("read me", ReadAll(Set() + L"\\readme.txt"));
    EXPECT_TRUE(Exists(Set() + L"\\config\\prefs.upf"));
    // The folder is written as it was given, trailing backslash included.
    std::string settingsPath = ReadAll(Exe() + L"\\settings_path.txt");
    std::wstring settings = Set();
    std::string expected(settings.begin(), settings.end());
    EXPECT_EQ(expected + "\\\r\n", settingsPath);
}

TEST_F(SilentInstallTest, ASecondInstallationKeepsTheUsersSettings) {
    LayOut(L"silent_again", kBasicInf);
    AddBasicPayload(this);
    ASSERT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    ASSERT_TRUE(testenv::WriteFileBytes(Set() + L"\\config\\prefs.upf", "edited"));
    ASSERT_TRUE(testenv::WriteFileBytes(Exe() + L"\\bin\\photo.exe", "old program"));
    EXPECT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    EXPECT_EQ("edited", ReadAll(Set() + L"\\config\\prefs.upf"));
    EXPECT_EQ(setuptest::Pattern(40000), ReadAll(Exe() + L"\\bin\\photo.exe"));
}

TEST_F(SilentInstallTest, RelativeFoldersAreTakenFromTheCurrentFolder) {
    LayOut(L"silent_relative", kBasicInf);
    AddBasicPayload(this);
    RunResult run = RunSetup(media, L"rel\\exe rel\\set C:\\unused", target);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(Exists(target + L"\\rel\\exe\\bin\\photo.exe"));
    std::wstring settings = target + L"\\rel\\set";
    EXPECT_EQ(std::string(settings.begin(), settings.end()) + "\r\n",
              ReadAll(target + L"\\rel\\exe\\settings_path.txt"));
}

TEST_F(SilentInstallTest, AMissingSourceEndsWithFailureAndSkipsTheLaterSteps) {
    LayOut(L"silent_missing", kBasicInf);
    AddBasicPayload(this);
    DeleteFileW((media + L"\\readme.txt").c_str());
    RunResult run = RunSetup(media, ThreeFolders());
    EXPECT_EQ(4u, run.exitCode);
    EXPECT_TRUE(run.windowTitles.empty());
    EXPECT_TRUE(Exists(Set() + L"\\config\\prefs.upf"));
    EXPECT_FALSE(Exists(Exe() + L"\\settings_path.txt"));
    EXPECT_FALSE(Exists(Exe() + L"\\bin\\photo.exe"));
}

TEST_F(SilentInstallTest, ATargetThatCannotBeReplacedFails) {
    LayOut(L"silent_locked", kBasicInf);
    AddBasicPayload(this);
    ASSERT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    HANDLE holder = CreateFileW((Exe() + L"\\bin\\photo.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(4u, RunSetup(media, ThreeFolders()).exitCode);
    CloseHandle(holder);
}

TEST_F(SilentInstallTest, AModuleInUseThatIsUpToDatePasses) {
    LayOut(L"silent_module", kBasicInf);
    AddBasicPayload(this);
    ASSERT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    HANDLE holder = CreateFileW((Exe() + L"\\bin\\plugins\\lib.dll").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    // A newer module on the media cannot be skipped that way.
    setuptest::SetWriteTime(media + L"\\bin\\plugins\\lib.dll", 2030);
    EXPECT_EQ(4u, RunSetup(media, ThreeFolders()).exitCode);
    CloseHandle(holder);
}

TEST_F(SilentInstallTest, AFileInTheWayOfTheTargetFolderFails) {
    LayOut(L"silent_blocked", kBasicInf);
    AddBasicPayload(this);
    ASSERT_TRUE(testenv::WriteFileBytes(target + L"\\blocker", "a file, not a folder"));
    RunResult run =
        RunSetup(media, Quoted(target + L"\\blocker\\exe") + L" " + Quoted(Set()) + L" C:\\unused");
    EXPECT_EQ(4u, run.exitCode);
    EXPECT_TRUE(run.windowTitles.empty());
    EXPECT_FALSE(Exists(Set()));
}

TEST_F(SilentInstallTest, ADiskThatFillsUpDuringTheCopyFailsAndLeavesNoPartialFile) {
    LayOut(L"silent_disk_full", kBasicInf);
    AddBasicPayload(this);
    Payload(L"bin\\photo.exe", setuptest::Pattern(200000));
    if (!setuptest::MountTinyDisk(Exe(), target)) GTEST_SKIP() << "no right to mount a small file system";
    DWORD exitCode = RunSetup(media, ThreeFolders()).exitCode;
    bool partial = Exists(Exe() + L"\\bin\\photo.exe");
    bool later = Exists(Exe() + L"\\bin\\plugins\\lib.dll");
    bool folders = IsFolder(Exe() + L"\\bin\\plugins");
    setuptest::UnmountTinyDisk(Exe(), target);
    EXPECT_EQ(4u, exitCode);
    EXPECT_TRUE(folders);
    EXPECT_FALSE(partial);
    EXPECT_FALSE(later);
}

TEST_F(SilentInstallTest, WithoutTheDescriptionItSaysSoAndInstallsNothing) {
    LayOut(L"silent_no_inf", "");
    RunResult run = RunSetup(media, ThreeFolders());
    EXPECT_EQ(1u, run.exitCode);
    ASSERT_EQ(1u, run.messages.size());
    EXPECT_EQ(L"Could not read setup.inf file.", run.messages[0]);
    EXPECT_EQ(L"Nimbo Setup", run.windowTitles[0]);
    EXPECT_FALSE(Exists(Exe()));
}

TEST_F(SilentInstallTest, TwoFoldersAreEnoughForTheSlaveKindOnly) {
    LayOut(L"silent_two", kBasicInf);
    AddBasicPayload(this);
    // Any other kind asks the user; leaving the wizard installs nothing.
    RunResult asked = RunSetup(media, Quoted(Exe()) + L" " + Quoted(Set()));
    EXPECT_EQ(2u, asked.exitCode);
    EXPECT_FALSE(Exists(Exe()));
    std::string slave = kBasicInf;
    slave.replace(slave.find("Target=NONE"), 11, "Target=slave");
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\setup.inf", slave));
    EXPECT_EQ(0u, RunSetup(media, Quoted(Exe()) + L" " + Quoted(Set())).exitCode);
    EXPECT_TRUE(Exists(Exe() + L"\\bin\\photo.exe"));
}

TEST_F(SilentInstallTest, ADllPlantedBesideSetupIsNotLoaded) {
    LayOut(L"silent_planted", kBasicInf);
    AddBasicPayload(this);
    ASSERT_TRUE(CopyFileW((testenv::BuildFolder() + L"\\setup\\planted\\Msftedit.dll").c_str(),
                          (media + L"\\Msftedit.dll").c_str(), FALSE));
    // Two folders for the basic kind start the wizard, which loads the rich-edit library for the agreement.
    RunResult run = RunSetup(media, Quoted(Exe()) + L" " + Quoted(Set()));
    EXPECT_EQ(2u, run.exitCode);
    EXPECT_FALSE(Exists(media + L"\\Msftedit.dll.loaded"));
}

} // namespace
