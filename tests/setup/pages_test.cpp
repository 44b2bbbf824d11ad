// The wizard pages run in this process: what each answer makes of the state, the folder choice,
// trailing backslashes, and the agreement text as the program carries it.
#include "pages.h"
#include "setup_state.h"
#include "setup_text.h"

#include "support/test_environment.h"
#include "support/ui_driver.h"

#include "dialogs/app.h"
#include "dialogs/dialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

// ---- The agreement text ----

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    const char* cursor = text.data();
    AgreementLine line;
    while (AgreementNextLine(&cursor, text.data() + text.size(), &line))
        lines.push_back((line.heading ? "H:" : "P:") + std::string(line.text, line.length));
    return lines;
}

TEST(AgreementText, HeadingsParagraphsAndEitherLineEnd) {
    using L = std::vector<std::string>;
    EXPECT_EQ((L{"H:TERMS", "P:", "P:First paragraph.", "P:", "H:1. GRANT"}),
              Lines("# TERMS\r\n\r\nFirst paragraph.\r\n\r\n# 1. GRANT\r\n"));
    EXPECT_EQ((L{"P:a", "P:b"}), Lines("a\nb\n")) << "a text saved with Unix line ends";
    EXPECT_EQ((L{"P:a", "P:last"}), Lines("a\nlast")) << "the last line needs no line end";
    EXPECT_EQ((L{"P:#hash tag", "P: # indented", "P:#", "H:"}), Lines("#hash tag\n # indented\n#\n# \n"))
        << "only \"# \" at the very start marks a heading";
    EXPECT_EQ((L{"P:", "P:"}), Lines("\r\n\n"));
    EXPECT_TRUE(Lines("").empty());
    EXPECT_EQ((L{"P:cr\rinside"}), Lines("cr\rinside\r\n")) << "only the carriage return of a line end goes";
}

// ---- Trailing backslashes ----

TEST(PageFolders, TrailingBackslashesGoButRootsKeepTheirs) {
    struct Case {
        const wchar_t* typed;
        const wchar_t* kept;
    };
    const Case cases[] = {
        {L"C:\\Nimbo\\", L"C:\\Nimbo"},
        {L"C:\\Nimbo\\\\\\", L"C:\\Nimbo"},
        {L"C:\\Nimbo", L"C:\\Nimbo"},
        {L"C:\\", L"C:\\"}, // "C:" would be the current folder of drive C
        {L"D:\\\\", L"D:\\"},
        {L"C:", L"C:"},
        {L"\\\\server\\share\\", L"\\\\server\\share"},
        {L"\\", L"\\"},
        {L"\\\\\\", L"\\"},
        {L"relative\\", L"relative"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        wchar_t folder[kSetupPathChars];
        SetupTextCopy(folder, kSetupPathChars, c.typed);
        PageStripTrailingBackslashes(folder);
        EXPECT_EQ(std::wstring(c.kept), folder)
            << "typed: " << std::string(c.typed, c.typed + wcslen(c.typed));
    }
}

// ---- Pages in this process ----

// The page the test thread is running, seen from the driver thread.
HWND WaitForPage() {
    HWND page = nullptr;
    ui::WaitUntil([&] {
        Dialog* top = DlgTopModal();
        return (page = top ? top->window : nullptr) != nullptr;
    });
    return page;
}

HWND Button(HWND page, const wchar_t* text) {
    return ui::FindByText(page, text, L"Button");
}

class PagesTest : public testing::Test {
protected:
    void SetUp() override {
        SetupStateReset();
        ASSERT_EQ(1, AppStart(GetModuleHandleW(nullptr), 0, 0, L"setup", L"korvane", nullptr, 12));
    }
    void TearDown() override { AppEnd(); }
};

// ---- The agreement page ----

class AgreementPageTest : public PagesTest {
protected:
    // Runs the page while the script clicks through it; returns the page's answer and the title seen.
    bool Run(const std::vector<const wchar_t*>& clicks, const wchar_t* last, std::wstring* title = nullptr) {
        ui::Beside driver(L"Nimbo Setup - License Agreement", [&] {
            HWND page = WaitForPage();
            if (!page) return;
            if (title) *title = ui::Text(page);
            for (const wchar_t* text : clicks) {
                ui::Click(Button(page, text));
                Sleep(100);
            }
            if (std::wstring(last) == L"Escape") {
                ui::PressKeyInFocus(page, VK_ESCAPE);
            } else {
                ui::WaitUntil([&] { return IsWindowEnabled(Button(page, last)) != 0; }, 2000);
                ui::Click(Button(page, last));
            }
            ui::WaitForWindowGone(page);
        });
        return PageAgreement();
    }
};

TEST_F(AgreementPageTest, OnlyAcceptingWithOkLetsTheInstallationGoOn) {
    const wchar_t* accept = L"I accept the agreement";
    const wchar_t* decline = L"I do not accept the agreement";
    struct Case {
        std::vector<const wchar_t*> clicks;
        const wchar_t* last;
        bool goesOn;
        int accepted, notAccepted;
    };
    const Case cases[] = {
        {{accept}, L"OK", true, 1, 0},           {{decline}, L"OK", false, 0, 1},
        {{accept, decline}, L"OK", false, 0, 1}, {{decline, accept}, L"OK", true, 1, 0},
        {{accept}, L"Cancel", false, 0, 0}, // a cancelled page leaves the choice as it found it
        {{accept}, L"Escape", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases));
        g_setup.accepted = g_setup.notAccepted = 0;
        std::wstring title;
        EXPECT_EQ(c.goesOn, Run(c.clicks, c.last, &title));
        EXPECT_EQ(L"Nimbo Setup - License Agreement", title);
        EXPECT_EQ(c.accepted, g_setup.accepted);
        EXPECT_EQ(c.notAccepted, g_setup.notAccepted);
    }
}

TEST_F(AgreementPageTest, OkWaitsForADecisionAndDisabledOkDoesNothing) {
    std::vector<int> enabled;
    ui::Beside driver(L"Nimbo Setup - License Agreement", [&] {
        HWND page = WaitForPage();
        if (!page) return;
        HWND ok = Button(page, L"OK");
        enabled.push_back(IsWindowEnabled(ok));
        // Enter in a toggle is OK for the keyboard; with no decision it must not end the page.
        ui::PressKey(Button(page, L"I accept the agreement"), VK_RETURN);
        Sleep(200);
        enabled.push_back(IsWindow(page));
        ui::Click(Button(page, L"I do not accept the agreement"));
        ui::WaitUntil([&] { return IsWindowEnabled(ok) != 0; }, 2000);
        enabled.push_back(IsWindowEnabled(ok));
        ui::Click(Button(page, L"Cancel"));
        ui::WaitForWindowGone(page);
    });
    EXPECT_FALSE(PageAgreement());
    EXPECT_EQ((std::vector<int>{0, 1, 1}), enabled);
}

// ---- The main page ----

class MainPageTest : public PagesTest {
protected:
    std::wstring folder;

    void SetUp() override {
        PagesTest::SetUp();
        folder = testenv::ScratchFolder(L"pages_main");
        SetupTextCopy(g_setup.appName, kSetupAppNameChars, L"Photo");
        SetupTextCopy(g_setup.defaultFolder, kSetupPathChars, (folder + L"\\default").c_str());
        SetupTextCopy(g_setup.exeFolder, kSetupPathChars, g_setup.defaultFolder);
        SetupTextCopy(g_setup.settingsFolder, kSetupPathChars, g_setup.defaultFolder);
    }

    static HWND Field(HWND page, const wchar_t* label) { return ui::FindByLabel(page, label); }

    static void Choose(HWND page, int steps) {
        HWND choice = Field(page, L"Folder choice:");
        for (int i = 0; i < steps; ++i) {
            ui::PressKey(choice, VK_DOWN);
            Sleep(150);
        }
    }
};

TEST_F(MainPageTest, TitleNamesTheProductAndOkStripsTrailingBackslashes) {
    g_setup.kind = InstallKind::Orbisa;
    std::wstring title;
    std::wstring exe = folder + L"\\exe\\\\";
    ui::Beside driver(L"Nimbo Setup - Photo", [&] {
        HWND page = WaitForPage();
        if (!page) return;
        title = ui::Text(page);
        Choose(page, 2);
        ui::WaitUntil([&] { return IsWindowEnabled(Field(page, L"Executables:")) != 0; }, 2000);
        ui::TypeInto(Field(page, L"Executables:"), exe);
        ui::TypeInto(Field(page, L"Settings:"), L"C:\\");
        ui::TypeInto(Field(page, L"Orbisa:"), L"C:\\Orbisa\\");
        Sleep(200);
        ui::Click(Button(page, L"OK"));
        ui::WaitForWindowGone(page);
    });
    EXPECT_TRUE(PageMain());
    EXPECT_EQ(L"Nimbo Setup - Photo", title);
    EXPECT_EQ(2, g_setup.folderChoice);
    EXPECT_EQ(folder + L"\\exe", g_setup.exeFolder);
    EXPECT_EQ(std::wstring(L"C:\\"), g_setup.settingsFolder);
    EXPECT_EQ(std::wstring(L"C:\\Orbisa"), g_setup.orbisaFolder);
}

TEST_F(MainPageTest, CancelKeepsTheFoldersTheDriverPrepared) {
    g_setup.kind = InstallKind::None;
    ui::Beside driver(L"Nimbo Setup - Photo", [&] {
        HWND page = WaitForPage();
        if (!page) return;
        Choose(page, 1);
        ui::WaitUntil(
            [&] { return ui::Text(Field(page, L"Executables:")) != std::wstring(g_setup.defaultFolder); },
            2000);
        ui::TypeInto(Field(page, L"User name:"), L"builder");
        Sleep(100);
        ui::Click(Button(page, L"Cancel"));
        ui::WaitForWindowGone(page);
    });
    EXPECT_FALSE(PageMain());
    EXPECT_EQ(0, g_setup.folderChoice);
    EXPECT_EQ(std::wstring(g_setup.defaultFolder), g_setup.exeFolder);
    EXPECT_EQ(std::wstring(L""), g_setup.serviceUser);
}

TEST_F(MainPageTest, EmptyFoldersAndTheAccountReachTheStateAsTyped) {
    g_setup.kind = InstallKind::Slave;
    ui::Beside driver(L"Nimbo Setup - Photo", [&] {
        HWND page = WaitForPage();
        if (!page) return;
        Choose(page, 2);
        ui::WaitUntil([&] { return IsWindowEnabled(Field(page, L"Settings:")) != 0; }, 2000);
        ui::TypeInto(Field(page, L"Settings:"), L"\b");
        ui::TypeInto(Field(page, L"User name:"), L".\\builder");
        ui::TypeInto(Field(page, L"Password:"), L"s3cret %s");
        Sleep(200);
        ui::Click(Button(page, L"OK"));
        ui::WaitForWindowGone(page);
    });
    EXPECT_TRUE(PageMain()) << "the page does not check the folders";
    EXPECT_EQ(std::wstring(L""), g_setup.settingsFolder);
    EXPECT_EQ(std::wstring(L".\\builder"), g_setup.serviceUser);
    EXPECT_EQ(std::wstring(L"s3cret %s"), g_setup.servicePassword);
}

} // namespace
