// What the user meets when a copy goes wrong during an interactive installation: the questions, and what
// each answer does to the files and to the outcome.
#include "file_copy.h"
#include "install_steps.h"
#include "prompts.h"
#include "setup_main.h"
#include "setup_state.h"
#include "setup_text.h"

#include "setup_test_support.h"
#include "support/test_environment.h"

#include "dialogs/app.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using setuptest::Exists;
using setuptest::ReadAll;

struct Found {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectOwnWindow(HWND window, LPARAM parameter) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window))
        reinterpret_cast<Found*>(parameter)->windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
    reinterpret_cast<Found*>(parameter)->windows.push_back(window);
    return TRUE;
}

// With a time limit: the installer's thread may be waiting for the user thread to end and not answer.
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = L"";
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 200,
                        &result);
    return text;
}

// Plays the user: answers each toolkit question (captioned "setup") with the next planned button label,
// remembering the question's text. Runs on its own thread while the installer's thread waits in the dialog.
class User {
public:
    // beforeAnswer, when given, runs on the user's thread before the answer to question number n (from 0).
    explicit User(std::vector<std::wstring> answers, std::string screenshot = "",
                  std::function<void(size_t)> beforeAnswer = nullptr)
        : answers_(std::move(answers)), screenshot_(std::move(screenshot)),
          beforeAnswer_(std::move(beforeAnswer)), thread_([this] { Run(); }) {}
    ~User() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::wstring> Questions() {
        std::lock_guard<std::mutex> lock(mutex_);
        return questions_;
    }

private:
    void Run() {
        size_t next = 0;
        while (!stop_) {
            Sleep(50);
            Found top;
            EnumWindows(CollectOwnWindow, reinterpret_cast<LPARAM>(&top));
            for (HWND window : top.windows) {
                if (TextOf(window) != L"setup" || next >= answers_.size()) continue;
                if (beforeAnswer_) beforeAnswer_(next);
                Answer(window, answers_[next++]);
            }
        }
    }

    void Answer(HWND dialog, const std::wstring& label) {
        Found children;
        EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
        HWND button = nullptr;
        for (HWND child : children.windows) {
            wchar_t className[32] = L"";
            GetClassNameW(child, className, 32);
            if (_wcsicmp(className, L"Edit") == 0) {
                std::lock_guard<std::mutex> lock(mutex_);
                questions_.push_back(TextOf(child));
            }
            if (_wcsicmp(className, L"Button") == 0 && TextOf(child) == label) button = child;
        }
        if (!screenshot_.empty()) {
            testenv::SaveScreenshot(screenshot_ + "_" + std::to_string(Questions().size()));
        }
        if (button) PostMessageW(button, BM_CLICK, 0, 0);
        for (int waited = 0; waited < 5000 && IsWindow(dialog); waited += 20) Sleep(20);
    }

    std::vector<std::wstring> answers_;
    std::string screenshot_;
    std::function<void(size_t)> beforeAnswer_;
    std::mutex mutex_;
    std::vector<std::wstring> questions_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

FileEntry Entry(const wchar_t* file) {
    FileEntry entry{};
    SetupTextCopy(entry.name, 80, file);
    SetupTextCopy(entry.file, 80, file);
    return entry;
}

class InstallPromptsTest : public testing::Test {
protected:
    std::wstring media, target;
    Dialog* status = nullptr;

    void SetUp() override {
        SetupStateReset();
        media = testenv::ScratchFolder(L"prompts_media");
        target = testenv::ScratchFolder(L"prompts_target");
        SetupTextCopy(g_setup.moduleFolder, kSetupPathChars, (media + L"\\").c_str());
        ASSERT_EQ(1, AppStart(GetModuleHandleW(nullptr), 0, 0, L"setup", L"korvane", nullptr, 12));
        status = PromptStatusOpen();
        ASSERT_NE(nullptr, status);
    }

    void TearDown() override {
        PromptStatusClose(&status);
        AppEnd();
    }

    void Payload(const wchar_t* name, const std::string& bytes) {
        ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\" + name, bytes));
    }

    HANDLE Hold(const std::wstring& path) {
        return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
};

TEST_F(InstallPromptsTest, YesToAMissingSourceLeavesItOutAndGoesOn) {
    Payload(L"b.txt", "b");
    FileEntry list[] = {Entry(L"a.txt"), Entry(L"b.txt")};
    User user({L"Yes"}, "prompt_missing_source");
    EXPECT_TRUE(FileCopyList(status, target.c_str(), list, 2));
    EXPECT_FALSE(Exists(target + L"\\a.txt"));
    EXPECT_EQ("b", ReadAll(target + L"\\b.txt"));
    EXPECT_FALSE(g_setup.userEnded);
    ASSERT_EQ(1u, user.Questions().size());
    EXPECT_EQ(L"Source file " + media + L"\\a.txt not found. Do you want to continue installation?",
              user.Questions()[0]);
}

TEST_F(InstallPromptsTest, NoToAMissingSourceEndsTheInstallationByTheUser) {
    Payload(L"b.txt", "b");
    FileEntry list[] = {Entry(L"a.txt"), Entry(L"b.txt")};
    User user({L"No"});
    EXPECT_FALSE(FileCopyList(status, target.c_str(), list, 2));
    EXPECT_FALSE(Exists(target + L"\\b.txt"));
    EXPECT_TRUE(g_setup.userEnded);
    EXPECT_EQ(SetupExitUserEnded, SetupExitCodeOf(false));
}

TEST_F(InstallPromptsTest, RetryCopiesOnceTheBlockingProgramHasLetGo) {
    Payload(L"tool.exe", "new tool");
    ASSERT_TRUE(testenv::WriteFileBytes(target + L"\\tool.exe", "old tool"));
    HANDLE holder = Hold(target + L"\\tool.exe");
    FileEntry entry = Entry(L"tool.exe");
    // The program holds on through the first Retry and has ended before the second.
    User user({L"Retry", L"Retry"}, "prompt_unwritable_target", [holder](size_t question) {
        if (question == 1) CloseHandle(holder);
    });
    bool copied = FileCopyListed(status, target.c_str(), &entry);
    EXPECT_TRUE(copied);
    EXPECT_EQ("new tool", ReadAll(target + L"\\tool.exe"));
    ASSERT_EQ(2u, user.Questions().size());
    EXPECT_EQ(L"Unable to write file " + target +
                  L"\\tool.exe. Do you want to continue, skip this file or cancel installation?",
              user.Questions()[0]);
}

TEST_F(InstallPromptsTest, SkipLeavesTheFileAndCancelEndsTheInstallation) {
    Payload(L"tool.exe", "new tool");
    ASSERT_TRUE(testenv::WriteFileBytes(target + L"\\tool.exe", "old tool"));
    HANDLE holder = Hold(target + L"\\tool.exe");
    FileEntry entry = Entry(L"tool.exe");
    {
        User user({L"Skip"});
        EXPECT_TRUE(FileCopyListed(status, target.c_str(), &entry));
        EXPECT_FALSE(g_setup.userEnded);
    }
    {
        User user({L"Cancel"});
        EXPECT_FALSE(FileCopyListed(status, target.c_str(), &entry));
        EXPECT_TRUE(g_setup.userEnded);
    }
    CloseHandle(holder);
    EXPECT_EQ("old tool", ReadAll(target + L"\\tool.exe"));
}

TEST_F(InstallPromptsTest, AStepThatFailsOnItsOwnIsNoUserDecision) {
    // The settings folder cannot be made: the step fails with a notice, not a question.
    ASSERT_TRUE(testenv::WriteFileBytes(target + L"\\blocker", "x"));
    SetupTextCopy(g_setup.exeFolder, kSetupPathChars, (target + L"\\exe").c_str());
    SetupTextCopy(g_setup.settingsFolder, kSetupPathChars, (target + L"\\blocker\\set").c_str());
    std::thread answer([] {
        for (int waited = 0; waited < 10000; waited += 50) {
            Sleep(50);
            HWND box = FindWindowW(L"#32770", L"Nimbo Setup");
            if (box) {
                testenv::SaveScreenshot("notice_folder_not_created");
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
        }
    });
    EXPECT_FALSE(SetupRunSteps(status));
    answer.join();
    EXPECT_FALSE(g_setup.userEnded);
    EXPECT_EQ(SetupExitStepFailed, SetupExitCodeOf(false));
    EXPECT_EQ(SetupExitCompleted, SetupExitCodeOf(true));
}

} // namespace
