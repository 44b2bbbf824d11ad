// setup.exe as a person meets it: the real program started without folders, its pages, status window,
// questions and final message worked through their real windows from this process.
#include "setup_test_support.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include "dialogs/app.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <richedit.h>
#include <shlobj.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using setuptest::Exists;
using setuptest::ReadAll;

// ---- The program under test ----

struct WindowQuery {
    DWORD processId;
    const std::wstring* title;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM parameter) {
    auto* query = reinterpret_cast<WindowQuery*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || !IsWindowVisible(window)) return TRUE;
    if (ui::Text(window) != *query->title) return TRUE;
    if (query->className && ui::ClassName(window) != query->className) return TRUE;
    query->found = window;
    return FALSE;
}

// Tests run side by side on one display, so a window is looked for among its own program's windows only.
class SetupProcess {
public:
    SetupProcess(const std::wstring& media, const std::wstring& arguments = L"") {
        std::wstring line = L"\"" + media + L"\\setup.exe\" " + arguments;
        std::vector<wchar_t> buffer(line.begin(), line.end());
        buffer.push_back(0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, media.c_str(),
                                  &startup, &process_) != 0;
    }
    ~SetupProcess() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;

    bool Started() const { return started_; }

    HWND Window(const std::wstring& title, const wchar_t* className = nullptr,
                DWORD timeoutMs = 10000) const {
        HWND found = nullptr;
        ui::WaitUntil(
            [&] {
                WindowQuery query{process_.dwProcessId, &title, className, nullptr};
                EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&query));
                return (found = query.found) != nullptr;
            },
            timeoutMs);
        return found;
    }

    // The exit code, or 99 when the program had to be ended after the timeout.
    DWORD ExitCode(DWORD timeoutMs = 30000) const {
        if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// ---- Expected layouts, from the character-unit rules and this machine's font ----

enum class Row { CentredText, BoldText, Line, RichText, Toggle, String, Choice, Button };

struct ExpectedRow {
    Row kind;
    double x, y, w;
    const wchar_t* text; // control text, or the field's label
};

const wchar_t* ClassOf(Row kind) {
    switch (kind) {
        case Row::CentredText:
        case Row::BoldText:
        case Row::Line:
            return L"Static";
        case Row::RichText:
            return L"RICHEDIT50W";
        case Row::Toggle:
        case Row::Button:
            return L"Button";
        case Row::String:
            return L"Edit";
        case Row::Choice:
            return L"ComboBox";
    }
    return L"";
}

// Where an item of that kind must stand, in client pixels; a choice's height is the system's, so -1.
RECT ExpectedRect(const ExpectedRow& row, int clientWidth) {
    const AppMetrics* m = AppGetMetrics();
    int left = AppColumnsToPixels(row.x);
    int top = AppLinesToPixels(row.y);
    int width = AppColumnsToPixels(row.w);
    switch (row.kind) {
        case Row::CentredText:
        case Row::BoldText:
            return {left, AppLinesToPixels(row.y + 0.1), left + width,
                    AppLinesToPixels(row.y + 0.1) + AppRound(1.2 * m->H)};
        case Row::Line:
            return {left, top, clientWidth, top + 2};
        case Row::RichText:
            return {left, top, left + width, top + AppLinesToPixels(18)};
        case Row::Toggle:
            return {left, top + m->pad, left + width, top + m->pad + m->H};
        case Row::String:
            return {left, top + m->halfPad, left + width, top + m->halfPad + m->H + 4};
        case Row::Choice:
            return {left, top + m->halfPad, left + width, -1};
        case Row::Button:
            return {left, top, left + width, top + AppLinesToPixels(1.2)};
    }
    return {};
}

std::wstring Describe(const RECT& r) {
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L"," +
           std::to_wstring(r.bottom);
}

// Items are created in table order, so item i is the control with identifier i; a field's label has
// identifier i + 10000, right-aligned to end 4 pixels before its field.
void ExpectLayout(HWND page, double columns, double lines, const std::vector<ExpectedRow>& rows) {
    RECT client{};
    GetClientRect(page, &client);
    EXPECT_EQ(AppColumnsToPixels(columns), client.right);
    EXPECT_EQ(AppLinesToPixels(lines), client.bottom);
    for (size_t i = 0; i < rows.size(); ++i) {
        const ExpectedRow& row = rows[i];
        SCOPED_TRACE(L"item " + std::to_wstring(i) + L" " + (row.text ? row.text : L"(line)"));
        HWND control = ui::ChildById(page, static_cast<int>(i));
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(0, _wcsicmp(ClassOf(row.kind), ui::ClassName(control).c_str()))
            << Narrow(ui::ClassName(control));
        RECT want = ExpectedRect(row, client.right);
        RECT got = ui::RectInParent(control);
        if (want.bottom < 0) want.bottom = got.bottom;
        EXPECT_EQ(Describe(want), Describe(got));
        bool labelled = row.kind == Row::String || row.kind == Row::Choice;
        if (labelled) {
            HWND label = ui::ChildById(page, static_cast<int>(i) + 10000);
            ASSERT_NE(nullptr, label);
            EXPECT_EQ(row.text, ui::Text(label));
            RECT labelRect = ui::RectInParent(label);
            EXPECT_EQ(got.left - 4, labelRect.right);
            EXPECT_EQ(AppLinesToPixels(row.y) + AppGetMetrics()->pad, labelRect.top);
            EXPECT_GT(labelRect.left, 0) << "label cut at the left edge";
        } else if (row.text) {
            EXPECT_EQ(row.text, ui::Text(control));
        }
        EXPECT_LE(got.right, client.right) << "item runs past the right edge";
        EXPECT_LE(got.bottom, client.bottom) << "item runs past the bottom";
    }
    EXPECT_EQ(nullptr, ui::ChildById(page, static_cast<int>(rows.size()))) << "more items than the table";
}

// The character format of a range of the page's text view in the other process: the format record
// lives in that process's memory, where the control can write it.
bool RangeIsBold(HWND richText, LONG start, LONG end, bool* bold) {
    DWORD processId = 0;
    GetWindowThreadProcessId(richText, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return false;
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    void* remote = VirtualAllocEx(process, nullptr, sizeof format, MEM_COMMIT, PAGE_READWRITE);
    bool read = remote && WriteProcessMemory(process, remote, &format, sizeof format, nullptr);
    DWORD_PTR ignored = 0;
    read = read && SendMessageTimeoutW(richText, EM_SETSEL, start, end, SMTO_ABORTIFHUNG, 2000, &ignored) &&
           SendMessageTimeoutW(richText, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(remote),
                               SMTO_ABORTIFHUNG, 2000, &ignored) &&
           ReadProcessMemory(process, remote, &format, sizeof format, nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    // A range of mixed weight has the bold bit cleared in the mask.
    *bold = (format.dwMask & CFM_BOLD) && (format.dwEffects & CFE_BOLD);
    bool uniform = (format.dwMask & CFM_BOLD) != 0;
    return read && (uniform || !*bold);
}

const wchar_t kWelcome[] =
    L"Welcome to Nimbo Setup. This will install a Korvane application on your computer.";

const std::vector<ExpectedRow> kAgreementRows = {
    {Row::CentredText, 1, 0.2, 76, L"Please read the following End User License Agreement."},
    {Row::CentredText, 1, 1.1, 76, L"You need to accept this agreement to install the software."},
    {Row::Line, 0, 2.3, 0, nullptr},
    {Row::RichText, 1, 2.8, 76, nullptr},
    {Row::Toggle, 1, 21.1, 36, L"I accept the agreement"},
    {Row::Toggle, 39, 21.1, 36, L"I do not accept the agreement"},
    {Row::Line, 0, 22.4, 0, nullptr},
    {Row::Button, 1, 22.9, 14, L"OK"},
    {Row::Button, 63, 22.9, 14, L"Cancel"},
};

std::vector<ExpectedRow> HostPageRows(const wchar_t* prompt, const wchar_t* label) {
    return {
        {Row::BoldText, 1, 0.4, 76, kWelcome},
        {Row::Line, 0, 1.7, 0, nullptr},
        {Row::Line, 0, 4.6, 0, nullptr},
        {Row::BoldText, 1, 5.0, 76, prompt},
        {Row::String, 14, 6.0, 49, label},
        {Row::Button, 64, 5.8, 12, L"Browse..."},
        {Row::Line, 0, 7.3, 0, nullptr},
        {Row::BoldText, 1, 7.8, 32, L"Nimbo installation folders:"},
        {Row::Choice, 14, 8.8, 30, L"Folder choice:"},
        {Row::String, 14, 10.0, 49, L"Executables:"},
        {Row::Button, 64, 9.8, 12, L"Browse..."},
        {Row::String, 14, 11.3, 49, L"Settings:"},
        {Row::Button, 64, 11.1, 12, L"Browse..."},
        {Row::Line, 0, 12.6, 0, nullptr},
        {Row::Button, 1, 13.1, 14, L"OK"},
        {Row::Button, 63, 13.1, 14, L"Cancel"},
    };
}

const std::vector<ExpectedRow> kBasicRows = {
    {Row::BoldText, 1, 0.4, 76, kWelcome},
    {Row::Line, 0, 1.7, 0, nullptr},
    {Row::Line, 0, 4.6, 0, nullptr},
    {Row::BoldText, 1, 5.0, 32, L"Nimbo installation folders:"},
    {Row::Choice, 14, 6.0, 30, L"Folder choice:"},
    {Row::String, 14, 7.2, 49, L"Executables:"},
    {Row::Button, 64, 7.0, 12, L"Browse..."},
    {Row::String, 14, 8.5, 49, L"Settings:"},
    {Row::Button, 64, 8.3, 12, L"Browse..."},
    {Row::Line, 0, 9.8, 0, nullptr},
    {Row::BoldText, 1, 10.2, 76, L"Specify user name and password for NimboSlaveService."},
    {Row::String, 14, 11.2, 51, L"User name:"},
    {Row::String, 14, 12.2, 51, L"Password:"},
    {Row::Line, 0, 13.5, 0, nullptr},
    {Row::Button, 1, 14.0, 14, L"OK"},
    {Row::Button, 63, 14.0, 14, L"Cancel"},
};

// Item identifiers of the main pages' folder rows.
struct MainPageIds {
    int choice, exeField, exeBrowse, setField, setBrowse;
};
const MainPageIds kBasicIds = {4, 5, 6, 7, 8};
const MainPageIds kHostIds = {8, 9, 10, 11, 12};

// ---- Media ----

class InteractiveInstallTest : public testing::Test {
protected:
    std::wstring media, target;

    void SetUp() override {
        // The same font and units as setup.exe, for the expected layouts.
        ASSERT_EQ(1, AppStart(GetModuleHandleW(nullptr), 0, 0, L"setup", L"korvane", nullptr, 12));
    }
    void TearDown() override { AppEnd(); }

    void LayOut(const std::wstring& name, const char* kind, const std::string& files) {
        media = testenv::ScratchFolder(name + L"_media");
        target = testenv::ScratchFolder(name + L"_target");
        ASSERT_TRUE(CopyFileW((testenv::BuildFolder() + L"\\setup\\setup.exe").c_str(),
                              (media + L"\\setup.exe").c_str(), FALSE));
        std::string inf = "[Application]\r\nAppName=Photo\r\nDefDir=" + Narrow(Default()) +
                          "\r\nTarget=" + kind + "\r\n[ExeDirs]\r\nbin\r\n[SetDirs]\r\nconfig\r\n" + files +
                          "[End]\r\n";
        ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\setup.inf", inf));
        CreateDirectoryW((media + L"\\bin").c_str(), nullptr);
        CreateDirectoryW((media + L"\\config").c_str(), nullptr);
    }

    std::wstring Default() const { return target + L"\\default"; }

    void Payload(const std::wstring& relative, const std::string& bytes) {
        ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\" + relative, bytes));
    }

    // Accepts the agreement and returns the main page.
    HWND PassAgreement(SetupProcess& setup) {
        HWND agreement = setup.Window(L"Nimbo Setup - License Agreement");
        if (!agreement) return nullptr;
        ui::Click(ui::FindByText(agreement, L"I accept the agreement", L"Button"));
        ui::WaitUntil([&] { return IsWindowEnabled(ui::FindByText(agreement, L"OK", L"Button")) != 0; });
        ui::Click(ui::FindByText(agreement, L"OK", L"Button"));
        return setup.Window(L"Nimbo Setup - Photo");
    }

    // Picks the entry of the folder choice the way the keyboard does, one step at a time.
    static void ChooseFolderEntry(HWND page, const MainPageIds& ids, int steps) {
        HWND choice = ui::ChildById(page, ids.choice);
        for (int i = 0; i < steps; ++i) {
            ui::PressKey(choice, VK_DOWN);
            Sleep(150);
        }
    }

    // Types both folders on a page whose folders are freely selectable, and presses OK.
    static void TypeFoldersAndConfirm(HWND page, const MainPageIds& ids, const std::wstring& exe,
                                      const std::wstring& set) {
        ChooseFolderEntry(page, ids, 2);
        HWND exeField = ui::ChildById(page, ids.exeField);
        ui::WaitUntil([&] { return IsWindowEnabled(exeField) != 0; });
        ui::TypeInto(exeField, exe);
        ui::TypeInto(ui::ChildById(page, ids.setField), set);
        Sleep(200);
        ui::Click(ui::FindByText(page, L"OK", L"Button"));
    }
};

const char kOneFileEach[] =
    "[ExeFiles]\r\nPhoto, bin\\photo.exe, -\r\n[SetFiles]\r\nSettings, config\\photo.upf, L\r\n";

// ---- The agreement page ----

TEST_F(InteractiveInstallTest, AgreementPageLayoutTogglesAndDeclining) {
    LayOut(L"interactive_agreement", "NONE", kOneFileEach);
    SetupProcess setup(media);
    ASSERT_TRUE(setup.Started());
    HWND page = setup.Window(L"Nimbo Setup - License Agreement", L"NimboDialog");
    ASSERT_NE(nullptr, page);
    ExpectLayout(page, 78, 24.5, kAgreementRows);

    // The product's text, headings without their marker, paragraphs kept apart.
    std::wstring text = ui::Text(ui::ChildById(page, 3));
    EXPECT_EQ(0u, text.find(L"END USER LICENSE AGREEMENT\r")) << Narrow(text.substr(0, 80));
    EXPECT_NE(std::wstring::npos, text.find(L"\n1. GRANT OF LICENSE\r")) << Narrow(text.substr(0, 700));
    EXPECT_EQ(std::wstring::npos, text.find(L"# "));
    HWND view = ui::ChildById(page, 3);
    bool bold = false;
    ASSERT_TRUE(RangeIsBold(view, 0, 26, &bold));
    EXPECT_TRUE(bold) << "the heading, every character of it";
    ASSERT_TRUE(RangeIsBold(view, 28, 60, &bold));
    EXPECT_FALSE(bold) << "a paragraph";
    SendMessageW(view, EM_SETSEL, 0, 0);
    testenv::SaveScreenshot("page_agreement");

    HWND accept = ui::ChildById(page, 4);
    HWND decline = ui::ChildById(page, 5);
    HWND ok = ui::ChildById(page, 7);
    auto state = [&] {
        return std::to_string(ui::CheckState(accept)) + std::to_string(ui::CheckState(decline)) +
               (IsWindowEnabled(ok) ? " ok" : " no ok");
    };
    auto after = [&](HWND toggle, const std::string& expected) {
        ui::Click(toggle);
        ui::WaitUntil([&] { return state() == expected; }, 2000);
        return state();
    };
    EXPECT_EQ("00 no ok", state());
    EXPECT_EQ("10 ok", after(accept, "10 ok"));
    EXPECT_EQ("01 ok", after(decline, "01 ok")) << "choosing the other clears the first";
    EXPECT_EQ("00 no ok", after(decline, "00 no ok")) << "switching the chosen one off takes OK away";
    EXPECT_EQ("10 ok", after(accept, "10 ok"));
    EXPECT_EQ("00 no ok", after(accept, "00 no ok"));
    EXPECT_EQ("01 ok", after(decline, "01 ok"));

    // Declining with OK ends the program like Cancel: no message, nothing on disk.
    ui::Click(ok);
    EXPECT_EQ(2u, setup.ExitCode());
    EXPECT_FALSE(Exists(Default()));
}

TEST_F(InteractiveInstallTest, CancelAndEscapeOnEitherPageEndWithoutInstalling) {
    LayOut(L"interactive_cancel", "NONE", kOneFileEach);
    {
        SetupProcess setup(media);
        HWND page = setup.Window(L"Nimbo Setup - License Agreement");
        ASSERT_NE(nullptr, page);
        ui::Click(ui::FindByText(page, L"Cancel", L"Button"));
        EXPECT_EQ(2u, setup.ExitCode());
    }
    {
        SetupProcess setup(media);
        HWND page = PassAgreement(setup);
        ASSERT_NE(nullptr, page);
        ui::Click(ui::FindByText(page, L"Cancel", L"Button"));
        EXPECT_EQ(2u, setup.ExitCode());
    }
    {
        SetupProcess setup(media);
        HWND page = PassAgreement(setup);
        ASSERT_NE(nullptr, page);
        ui::PressKeyInFocus(page, VK_ESCAPE);
        EXPECT_EQ(2u, setup.ExitCode());
    }
    EXPECT_FALSE(Exists(Default()));
}

// ---- The main pages ----

struct MainPageCase {
    const char* target;
    const char* screenshot;
    std::vector<ExpectedRow> rows;
    double lines;
    MainPageIds ids;
};

TEST_F(InteractiveInstallTest, MainPagesOfEveryKindStartWithTheDefaultFoldersLocked) {
    const MainPageCase cases[] = {
        {"NONE", "page_main_basic", kBasicRows, 15.6, kBasicIds},
        {"SLAVE", "page_main_slave", kBasicRows, 15.6, kBasicIds},
        {"MicroStation V8", "page_main_microstation",
         HostPageRows(L"Enter directory where MicroStation been installed.", L"MicroStation:"), 14.7,
         kHostIds},
        {"orbx", "page_main_orbisa",
         HostPageRows(L"Enter directory where Orbisa has been installed.", L"Orbisa:"), 14.7, kHostIds},
    };
    for (const MainPageCase& c : cases) {
        SCOPED_TRACE(c.target);
        LayOut(std::wstring(L"interactive_main_") + (c.ids.choice == 4 ? L"basic" : L"host"), c.target,
               kOneFileEach);
        SetupProcess setup(media);
        HWND page = PassAgreement(setup);
        ASSERT_NE(nullptr, page);
        ExpectLayout(page, 78, c.lines, c.rows);
        HWND choice = ui::ChildById(page, c.ids.choice);
        EXPECT_EQ(3, SendMessageW(choice, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(0, SendMessageW(choice, CB_GETCURSEL, 0, 0));
        for (int id : {c.ids.exeField, c.ids.setField}) {
            EXPECT_EQ(Default(), ui::Text(ui::ChildById(page, id)));
            EXPECT_FALSE(IsWindowEnabled(ui::ChildById(page, id)));
            EXPECT_FALSE(IsWindowEnabled(ui::ChildById(page, id + 10000))) << "label greyed with its field";
        }
        EXPECT_FALSE(IsWindowEnabled(ui::ChildById(page, c.ids.exeBrowse)));
        EXPECT_FALSE(IsWindowEnabled(ui::ChildById(page, c.ids.setBrowse)));
        EXPECT_TRUE(IsWindowEnabled(choice));
        if (c.ids.choice == kHostIds.choice) {
            EXPECT_TRUE(IsWindowEnabled(ui::ChildById(page, 4))) << "the host folder is always editable";
            EXPECT_TRUE(IsWindowEnabled(ui::ChildById(page, 5)));
        } else {
            EXPECT_TRUE(IsWindowEnabled(ui::ChildById(page, 11)));
            HWND password = ui::ChildById(page, 12);
            EXPECT_TRUE(GetWindowLongW(password, GWL_STYLE) & ES_PASSWORD) << "the password is masked";
            ui::TypeInto(password, L"secret");
        }
        Sleep(300);
        testenv::SaveScreenshot(c.screenshot);
        ui::Click(ui::FindByText(page, L"Cancel", L"Button"));
        EXPECT_EQ(2u, setup.ExitCode());
    }
}

TEST_F(InteractiveInstallTest, FolderChoiceSetsAndUnlocksTheFolders) {
    LayOut(L"interactive_choice", "orbx", kOneFileEach);
    SetupProcess setup(media);
    HWND page = PassAgreement(setup);
    ASSERT_NE(nullptr, page);
    HWND exe = ui::ChildById(page, kHostIds.exeField);
    HWND set = ui::ChildById(page, kHostIds.setField);
    HWND choice = ui::ChildById(page, kHostIds.choice);
    wchar_t entry[512] = L"";
    SendMessageW(choice, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
    EXPECT_EQ(L"Default " + Default(), entry);

    wchar_t programFiles[MAX_PATH] = L"";
    ExpandEnvironmentStringsW(L"%ProgramW6432%", programFiles, MAX_PATH);
    ChooseFolderEntry(page, kHostIds, 1);
    EXPECT_TRUE(ui::WaitUntil([&] { return ui::Text(exe) == std::wstring(programFiles) + L"\\Korvane"; }))
        << Narrow(ui::Text(exe));
    EXPECT_EQ(Default(), ui::Text(set));
    EXPECT_FALSE(IsWindowEnabled(exe));
    EXPECT_FALSE(IsWindowEnabled(set));

    ChooseFolderEntry(page, kHostIds, 1);
    EXPECT_TRUE(ui::WaitUntil([&] { return IsWindowEnabled(exe) != 0; }));
    EXPECT_EQ(std::wstring(programFiles) + L"\\Korvane", ui::Text(exe)) << "free choice keeps the folders";
    EXPECT_EQ(Default(), ui::Text(set));
    EXPECT_TRUE(IsWindowEnabled(set));
    EXPECT_TRUE(IsWindowEnabled(ui::ChildById(page, kHostIds.exeBrowse)));
    EXPECT_TRUE(IsWindowEnabled(ui::ChildById(page, kHostIds.setBrowse)));
    testenv::SaveScreenshot("page_main_free_folders");
    ui::Click(ui::FindByText(page, L"Cancel", L"Button"));
    EXPECT_EQ(2u, setup.ExitCode());
}

HWND Descendant(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM parameter) {
            auto* s = reinterpret_cast<Search*>(parameter);
            if (ui::ClassName(window) != s->className) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The shell's folder chooser, owned by the page: Cancel leaves the field alone, a folder chosen in its tree
// (the desktop at its top, which a keyboard reaches from anywhere) replaces the field's text.
TEST_F(InteractiveInstallTest, BrowseButtonsFillTheirFieldOnlyWhenAFolderIsChosen) {
    LayOut(L"interactive_browse", "orbx", kOneFileEach);
    SetupProcess setup(media);
    HWND page = PassAgreement(setup);
    ASSERT_NE(nullptr, page);
    ChooseFolderEntry(page, kHostIds, 2);
    HWND exe = ui::ChildById(page, kHostIds.exeField);
    ASSERT_TRUE(ui::WaitUntil([&] { return IsWindowEnabled(exe) != 0; }));
    wchar_t desktop[MAX_PATH] = L"";
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop)));

    struct Case {
        int field, browse;
        const wchar_t* title;
    };
    const Case cases[] = {{4, 5, L"Orbisa installation folder"},
                          {kHostIds.exeField, kHostIds.exeBrowse, L"Nimbo executable folder"},
                          {kHostIds.setField, kHostIds.setBrowse, L"Nimbo settings folder"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.title));
        HWND field = ui::ChildById(page, c.field);
        std::wstring before = ui::Text(field);
        ui::Click(ui::ChildById(page, c.browse));
        HWND chooser = setup.Window(L"Browse for Folder", L"#32770");
        ASSERT_NE(nullptr, chooser);
        EXPECT_EQ(page, GetWindow(chooser, GW_OWNER));
        EXPECT_NE(nullptr, ui::FindByText(chooser, c.title, L"Static"));
        if (c.field == 4) testenv::SaveScreenshot("page_main_folder_chooser_interactive");
        ui::Click(ui::FindByText(chooser, L"Cancel", L"Button"));
        ASSERT_TRUE(ui::WaitForWindowGone(chooser));
        Sleep(200);
        EXPECT_EQ(before, ui::Text(field));
        EXPECT_TRUE(IsWindow(page)) << "Browse keeps the page open";

        ui::Click(ui::ChildById(page, c.browse));
        chooser = setup.Window(L"Browse for Folder", L"#32770");
        ASSERT_NE(nullptr, chooser);
        Sleep(300);
        ui::PressKey(Descendant(chooser, L"SysTreeView32"), VK_HOME);
        Sleep(300);
        ui::Click(ui::FindByText(chooser, L"OK", L"Button"));
        ASSERT_TRUE(ui::WaitForWindowGone(chooser));
        EXPECT_TRUE(ui::WaitUntil([&] { return ui::Text(field) == desktop; })) << Narrow(ui::Text(field));
    }
    ui::Click(ui::FindByText(page, L"Cancel", L"Button"));
    EXPECT_EQ(2u, setup.ExitCode());
}

// ---- Whole installations ----

// The settings folder is typed relative to where setup was started (its media folder here): it is
// installed there, and recorded as a full path.
TEST_F(InteractiveInstallTest, FullInstallationThroughThePagesWithTypedFolders) {
    LayOut(L"interactive_full", "NONE", kOneFileEach);
    Payload(L"bin\\photo.exe", "program");
    Payload(L"config\\photo.upf", "settings");
    SetupProcess setup(media);
    HWND page = PassAgreement(setup);
    ASSERT_NE(nullptr, page);
    TypeFoldersAndConfirm(page, kBasicIds, target + L"\\exe\\\\", L"typed\\set\\");

    HWND done = setup.Window(L"Nimbo Setup", L"#32770", 20000);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(L"Setup is complete.", ui::MessageBoxText(done));
    testenv::SaveScreenshot("install_complete");
    EXPECT_TRUE(ui::AnswerMessageBox(done, L"OK"));
    EXPECT_EQ(0u, setup.ExitCode());

    EXPECT_EQ("program", ReadAll(target + L"\\exe\\bin\\photo.exe"));
    EXPECT_EQ("settings", ReadAll(media + L"\\typed\\set\\config\\photo.upf"));
    std::string recorded = ReadAll(target + L"\\exe\\settings_path.txt");
    EXPECT_EQ(0u, recorded.find(Narrow(media + L"\\typed\\set"))) << recorded;
    EXPECT_EQ(std::string::npos, recorded.find("set\\")) << "a trailing backslash reached the installation";
    EXPECT_FALSE(Exists(Default()));
}

// Runs an installation whose copy meets a question, answers it, and returns the exit code.
struct PromptCase {
    const char* name;
    std::vector<const wchar_t*> answers;
    DWORD exitCode;
};

class InteractivePromptTest : public InteractiveInstallTest {
protected:
    // Answers every toolkit question (captioned "setup") in turn and the final message; the questions'
    // texts are collected.
    DWORD Answer(SetupProcess& setup, const std::vector<const wchar_t*>& answers,
                 std::vector<std::wstring>* asked, std::wstring* final, const std::string& screenshot) {
        for (const wchar_t* answer : answers) {
            HWND question = setup.Window(L"setup", L"NimboDialog", 15000);
            if (!question) break;
            for (HWND child : ui::Children(question))
                if (ui::ClassName(child) == L"Edit") asked->push_back(ui::Text(child));
            if (asked->size() == 1) testenv::SaveScreenshot(screenshot);
            ui::Click(ui::FindByText(question, answer, L"Button"));
            ui::WaitForWindowGone(question);
        }
        HWND done = setup.Window(L"Nimbo Setup", L"#32770", 15000);
        if (done) {
            *final = ui::MessageBoxText(done);
            ui::AnswerMessageBox(done, L"OK");
        }
        return setup.ExitCode();
    }
};

TEST_F(InteractivePromptTest, MissingSourceYesGoesOnAndNoEndsTheInstallation) {
    const PromptCase cases[] = {{"yes", {L"Yes"}, 0}, {"no", {L"No"}, 5}};
    for (const PromptCase& c : cases) {
        SCOPED_TRACE(c.name);
        LayOut(L"interactive_missing", "NONE",
               "[ExeFiles]\r\nPhoto, bin\\photo.exe, -\r\nTool, bin\\tool.exe, -\r\n[SetFiles]\r\n");
        Payload(L"bin\\tool.exe", "tool");
        SetupProcess setup(media);
        HWND page = PassAgreement(setup);
        ASSERT_NE(nullptr, page);
        TypeFoldersAndConfirm(page, kBasicIds, target + L"\\exe", target + L"\\set");
        std::vector<std::wstring> asked;
        std::wstring final;
        EXPECT_EQ(c.exitCode, Answer(setup, c.answers, &asked, &final, "prompt_missing_source_interactive"));
        ASSERT_EQ(1u, asked.size());
        EXPECT_EQ(L"Source file " + media +
                      L"\\bin\\photo.exe not found. Do you want to continue installation?",
                  asked[0]);
        EXPECT_EQ(c.exitCode == 0 ? L"Setup is complete." : L"Setup was not completed.", final);
        EXPECT_EQ(c.exitCode == 0, Exists(target + L"\\exe\\bin\\tool.exe"))
            << "later files follow a Yes only";
    }
}

TEST_F(InteractivePromptTest, UnwritableTargetRetrySkipAndCancel) {
    const PromptCase cases[] = {{"skip", {L"Skip"}, 0}, {"cancel", {L"Cancel"}, 5}, {"retry", {L"Retry"}, 0}};
    for (const PromptCase& c : cases) {
        SCOPED_TRACE(c.name);
        LayOut(L"interactive_unwritable", "NONE", kOneFileEach);
        Payload(L"bin\\photo.exe", "new program");
        Payload(L"config\\photo.upf", "settings");
        std::wstring installed = target + L"\\exe\\bin\\photo.exe";
        CreateDirectoryW((target + L"\\exe").c_str(), nullptr);
        CreateDirectoryW((target + L"\\exe\\bin").c_str(), nullptr);
        ASSERT_TRUE(testenv::WriteFileBytes(installed, "old program"));
        // A running program holds its file: nobody may write it until it lets go.
        HANDLE holder =
            CreateFileW(installed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, holder);
        SetupProcess setup(media);
        HWND page = PassAgreement(setup);
        ASSERT_NE(nullptr, page);
        TypeFoldersAndConfirm(page, kBasicIds, target + L"\\exe", target + L"\\set");
        HWND question = setup.Window(L"setup", L"NimboDialog", 15000);
        ASSERT_NE(nullptr, question);
        if (std::string(c.name) == "retry") CloseHandle(holder);
        std::vector<std::wstring> asked;
        std::wstring final;
        EXPECT_EQ(c.exitCode,
                  Answer(setup, c.answers, &asked, &final, "prompt_unwritable_target_interactive"));
        if (std::string(c.name) != "retry") CloseHandle(holder);
        EXPECT_TRUE(setuptest::LeftoverTemporaryFiles(target).empty());
        ASSERT_EQ(1u, asked.size());
        EXPECT_EQ(L"Unable to write file " + installed +
                      L". Do you want to continue, skip this file or cancel installation?",
                  asked[0]);
        EXPECT_EQ(std::string(c.name) == "retry" ? "new program" : "old program", ReadAll(installed));
        EXPECT_EQ(c.exitCode == 0 ? L"Setup is complete." : L"Setup was not completed.", final);
    }
}

// The disk has room for the installed version but not for the new one beside it: the question comes as
// for any file that cannot be written, and whatever the answer, the installed version stays as it was.
TEST_F(InteractivePromptTest, AFullDiskKeepsTheInstalledVersionWhateverTheAnswer) {
    const PromptCase cases[] = {{"skip", {L"Skip"}, 0}, {"retry, then cancel", {L"Retry", L"Cancel"}, 5}};
    for (const PromptCase& c : cases) {
        SCOPED_TRACE(c.name);
        LayOut(L"interactive_disk_full", "NONE", kOneFileEach);
        Payload(L"bin\\photo.exe", setuptest::Pattern(200000));
        Payload(L"config\\photo.upf", "settings");
        std::wstring exe = target + L"\\exe", installed = exe + L"\\bin\\photo.exe";
        testenv::TinyDisk disk(exe, target);
        if (!disk.Mounted()) GTEST_SKIP() << TINY_DISK_SKIP_MESSAGE;
        CreateDirectoryW((exe + L"\\bin").c_str(), nullptr);
        ASSERT_TRUE(testenv::WriteFileBytes(installed, setuptest::Pattern(30000)));
        setuptest::SetWriteTime(installed, 2014);
        std::string before = setuptest::StateOf(installed);
        SetupProcess setup(media);
        HWND page = PassAgreement(setup);
        ASSERT_NE(nullptr, page);
        TypeFoldersAndConfirm(page, kBasicIds, exe, target + L"\\set");
        std::vector<std::wstring> asked;
        std::wstring final;
        EXPECT_EQ(c.exitCode, Answer(setup, c.answers, &asked, &final, "prompt_disk_full_interactive"));
        EXPECT_EQ(before, setuptest::StateOf(installed));
        EXPECT_TRUE(setuptest::LeftoverTemporaryFiles(exe).empty());
        ASSERT_EQ(c.answers.size(), asked.size());
        EXPECT_EQ(L"Unable to write file " + installed +
                      L". Do you want to continue, skip this file or cancel installation?",
                  asked[0]);
        EXPECT_EQ(c.exitCode == 0 ? L"Setup is complete." : L"Setup was not completed.", final);
    }
}

// The media were laid out in the default folder and the user takes the defaults: every listed file is its
// own target and keeps its bytes and its time.
TEST_F(InteractiveInstallTest, AcceptingADefaultFolderThatHoldsTheMediaKeepsEveryFile) {
    LayOut(L"interactive_onto_media", "NONE", kOneFileEach);
    std::string inf = "[Application]\r\nAppName=Photo\r\nDefDir=" + Narrow(media) +
                      "\r\nTarget=NONE\r\n[ExeDirs]\r\nbin\r\n[SetDirs]\r\nconfig\r\n" + kOneFileEach +
                      "[End]\r\n";
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\setup.inf", inf));
    Payload(L"bin\\photo.exe", setuptest::Pattern(50000));
    Payload(L"config\\photo.upf", "settings");
    setuptest::SetWriteTime(media + L"\\bin\\photo.exe", 2013);
    std::string before = setuptest::StateOf(media + L"\\bin\\photo.exe");
    SetupProcess setup(media);
    HWND page = PassAgreement(setup);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(media, ui::Text(ui::ChildById(page, kBasicIds.exeField)));
    ui::Click(ui::FindByText(page, L"OK", L"Button"));
    HWND done = setup.Window(L"Nimbo Setup", L"#32770", 20000);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(L"Setup is complete.", ui::MessageBoxText(done));
    ui::AnswerMessageBox(done, L"OK");
    EXPECT_EQ(0u, setup.ExitCode());
    EXPECT_EQ(before, setuptest::StateOf(media + L"\\bin\\photo.exe"));
    EXPECT_EQ("settings", ReadAll(media + L"\\config\\photo.upf"));
    EXPECT_TRUE(setuptest::LeftoverTemporaryFiles(media).empty());
}

} // namespace
