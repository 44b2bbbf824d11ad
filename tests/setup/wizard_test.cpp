// The interactive installation as a user goes through it: setup.exe started without folders, its pages
// answered with real clicks from this test program, its final message read.
#include "setup_test_support.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using setuptest::Exists;

class WizardTest : public testing::Test {
protected:
    std::wstring media, target;
    PROCESS_INFORMATION process{};

    void SetUp() override {
        media = testenv::ScratchFolder(L"wizard_media");
        target = testenv::ScratchFolder(L"wizard_target");
        ASSERT_TRUE(CopyFileW((testenv::BuildFolder() + L"\\setup\\setup.exe").c_str(),
                              (media + L"\\setup.exe").c_str(), FALSE));
        ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\readme.txt", "read me"));
    }

    void TearDown() override {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0)
                TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }

    void WriteDescription(const std::string& setFiles) {
        std::string folder(target.begin(), target.end());
        std::string inf = "[Application]\r\nAppName=Photo\r\nDefDir=" + folder +
                          "\\Photo\r\nTarget=NONE\r\n" + "[SetFiles]\r\n" + setFiles + "[End]\r\n";
        ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\setup.inf", inf));
    }

    bool Start() {
        std::wstring line = L"\"" + media + L"\\setup.exe\"";
        std::vector<wchar_t> buffer(line.begin(), line.end());
        buffer.push_back(0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        return CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process);
    }

    bool Ended() { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }

    DWORD ExitCode() {
        WaitForSingleObject(process.hProcess, 20000);
        DWORD code = 0xFFFFFFFF;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    // The window, or null when setup ended (or the time ran out) before showing it.
    HWND WaitForPage(const std::wstring& title, const wchar_t* className = nullptr) {
        HWND page = nullptr;
        ui::WaitUntil(
            [&] {
                page = ui::FindTopWindow(title, className);
                return page != nullptr || Ended();
            },
            20000);
        return page;
    }

    // Accepts the agreement and takes the main page as it is.
    bool PassThePages(const char* screenshotPrefix) {
        HWND agreement = WaitForPage(L"Nimbo Setup - License Agreement");
        if (!agreement) return false;
        testenv::SaveScreenshot(std::string(screenshotPrefix) + "_agreement");
        ui::Click(ui::FindByText(agreement, L"I accept the agreement"));
        ui::WaitUntil([&] { return IsWindowEnabled(ui::FindByText(agreement, L"OK")) != 0; });
        ui::Click(ui::FindByText(agreement, L"OK"));
        HWND main = WaitForPage(L"Nimbo Setup - Photo");
        if (!main) return false;
        testenv::SaveScreenshot(std::string(screenshotPrefix) + "_main");
        ui::Click(ui::FindByText(main, L"OK"));
        return true;
    }
};

TEST_F(WizardTest, AcceptingAndConfirmingInstallsIntoTheDefaultFolder) {
    WriteDescription("Read me, readme.txt, -\r\n");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PassThePages("wizard"));
    HWND done = ui::WaitForMessageBox(L"Nimbo Setup", 20000);
    ASSERT_NE(nullptr, done);
    testenv::SaveScreenshot("wizard_complete");
    EXPECT_EQ(L"Setup is complete.", ui::MessageBoxText(done));
    ui::AnswerMessageBox(done, L"OK");
    EXPECT_EQ(0u, ExitCode());
    EXPECT_EQ("read me", setuptest::ReadAll(target + L"\\Photo\\readme.txt"));
}

TEST_F(WizardTest, DecliningEndsSilentlyWithoutTouchingTheDisk) {
    WriteDescription("Read me, readme.txt, -\r\n");
    ASSERT_TRUE(Start());
    HWND agreement = WaitForPage(L"Nimbo Setup - License Agreement");
    ASSERT_NE(nullptr, agreement);
    ui::Click(ui::FindByText(agreement, L"I do not accept the agreement"));
    ui::WaitUntil([&] { return IsWindowEnabled(ui::FindByText(agreement, L"OK")) != 0; });
    ui::Click(ui::FindByText(agreement, L"OK"));
    EXPECT_EQ(2u, ExitCode());
    EXPECT_FALSE(Exists(target + L"\\Photo"));
}

TEST_F(WizardTest, NoToAMissingSourceIsTheUsersStop) {
    WriteDescription("Read me, readme.txt, -\r\nMissing, missing.txt, -\r\n");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PassThePages("wizard_missing"));
    HWND question = WaitForPage(L"setup", L"NimboDialog");
    ASSERT_NE(nullptr, question);
    testenv::SaveScreenshot("wizard_missing_question");
    ui::Click(ui::FindByText(question, L"No", L"Button"));
    HWND done = ui::WaitForMessageBox(L"Nimbo Setup", 20000);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(L"Setup was not completed.", ui::MessageBoxText(done));
    ui::AnswerMessageBox(done, L"OK");
    EXPECT_EQ(5u, ExitCode());
    EXPECT_FALSE(Exists(target + L"\\Photo\\settings_path.txt"));
}

} // namespace
