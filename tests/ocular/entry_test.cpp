// The plug-in inside the real host: what it registers and in which order, how its key-ins, menu and
// about window behave, where its folders are, and how it leaves after a failed engine start.
#include "support/ocular_host.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using hostrun::Joined;
using ocularhost::CallsNamed;
using ocularhost::Install;

// What a user of the host meets: names, labels and phrases as they must be, blanks included.
struct CommandRow {
    int id;
    const char* name;
    const char* label;
    const char* keyin;
    const char* group;
};

const CommandRow kCommands[] = {
    {1, "LoadProject", "Load Project", "load project", "General"},
    {2, "Reload", "Reload", "reload", "General"},
    {3, "UpdateLoaded", "Update Loaded", "update loaded", "General"},
    {4, "SaveSession", "Save Session", "save session", "General"},
    {5, "SnapSettings", "Snap Settings", "snap settings", "General"},
    {6, "AboutOcularis", "About Ocularis", "about ocularis", "General"},
    {7, "PlainPoints", "Plain Points", "plain points", "Rendering"},
    {8, "HighContrast", "High  Contrast", "high  contrast", "Rendering"},
    {9, "MediumContrast", "Medium Contrast", "medium contrast", "Rendering"},
    {10, "NoContrast", "No Contrast", "no contrast", "Rendering"},
    {11, "AdjustPointSize", "Adjust Point Size", "adjust point size", "Rendering"},
    {12, "SetPointCloudVisibility", "Set Point Cloud Visibility", "set point cloud visibility", "Rendering"},
};

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The host operations the plug-in called while its MiniAppMain ran, in order.
std::vector<std::string> CallsDuringMiniAppMain(const std::vector<std::string>& log) {
    std::vector<std::string> calls;
    bool inside = false;
    for (const std::string& line : log) {
        if (line.rfind("callback ", 0) == 0) {
            if (inside) break;
            inside = line.rfind("callback MiniAppMain app=\"ocular\"", 0) == 0;
            continue;
        }
        if (inside) calls.push_back(line);
    }
    return calls;
}

std::vector<std::string> NamesOf(const std::vector<std::string>& calls) {
    std::vector<std::string> names;
    for (const std::string& call : calls) names.push_back(call.substr(0, call.find(' ')));
    return names;
}

Install InstallWithoutSettingsPath(const std::wstring& name) {
    Install install = ocularhost::MakeInstall(name);
    DeleteFileW((install.root + L"\\settings_path.txt").c_str());
    return install;
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    testenv::ReadFileBytes(path, bytes);
    return bytes;
}

// The windows titled "Ocularis" of the toolkit's dialog class that are not message dialogs.
int AboutWindowCount() {
    struct Search {
        int count = 0;
    } search;
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            if (IsWindowVisible(window) && ui::Text(window) == L"Ocularis" &&
                ui::ClassName(window) == L"NimboDialog" && ui::FindByText(window, L"Close", L"Button"))
                ++reinterpret_cast<Search*>(context)->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

class EngineFailure {
public:
    EngineFailure() { SetEnvironmentVariableW(L"PCV_TEST_FAIL_CPU_INIT", L"1"); }
    ~EngineFailure() { SetEnvironmentVariableW(L"PCV_TEST_FAIL_CPU_INIT", nullptr); }
};

// ---- Registration ----------------------------------------------------------------------------------

TEST(PluginEntry, RegistersItsTablesToolBarAndMenuInStartUpOrder) {
    Install install = ocularhost::MakeInstall(L"entry_registration");
    ocularhost::Running* running = ocularhost::Start(install, "buttons\nmenus\nwait 4000\n");
    if (ui::WaitForWindow(L"Orbisa", 30000)) {
        Sleep(2000);
        testenv::SaveScreenshot("ocular_entry_toolbar");
    }
    ocularhost::Result run = ocularhost::Finish(running);
    ASSERT_EQ(run.exitCode, 0) << Joined(run.output);

    std::string commands = "[", keyins = "[";
    for (const CommandRow& row : kCommands) {
        commands += std::string(row.id == 1 ? "" : " ") + "{id=" + std::to_string(row.id) +
                    " handler=non-null name=" + Quoted(row.name) + " label=" + Quoted(row.label) + "}";
        keyins += std::string(row.id == 1 ? "" : " ") + "{commandName=" + Quoted(row.name) +
                  " keyin=" + Quoted(row.keyin) + " reserved=null}";
    }
    std::vector<std::string> published;
    for (const std::string& line : CallsNamed(run.log, {"MAppCmdHooksPublish", "MAppCmdSpaccelsPublish"}))
        if (line.find("\"LoadProject\"") != std::string::npos) published.push_back(line); // not Lidora's
    ASSERT_EQ(published.size(), 2u) << Joined(run.log);
    EXPECT_EQ(published[0], "MAppCmdHooksPublish table=" + commands + "] -> 12");
    EXPECT_EQ(published[1], "MAppCmdSpaccelsPublish table=" + keyins + "] -> 12");

    // Every button shows its icon from the module's resource collection, in id order, the two groups set
    // apart by a wider gap than the buttons within a group.
    std::vector<std::string> buttons = hostrun::LinesStartingWith(run.output, "button \"OcularisToolBar\"");
    ASSERT_EQ(buttons.size(), 12u) << Joined(run.output);
    std::vector<int> gaps;
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i].rfind("button \"OcularisToolBar\" " + Quoted(kCommands[i].label) + " ", 0), 0u)
            << buttons[i];
        EXPECT_NE(hostrun::ValueOf(buttons[i], "icon"), "") << buttons[i];
        EXPECT_EQ(buttons[i].find(" text"), std::string::npos) << buttons[i];
        if (i > 0) {
            int previousEnd = std::stoi(hostrun::ValueOf(buttons[i - 1], "x")) +
                              std::stoi(hostrun::ValueOf(buttons[i - 1], "width"));
            gaps.push_back(std::stoi(hostrun::ValueOf(buttons[i], "x")) - previousEnd);
        }
    }
    ASSERT_EQ(gaps.size(), 11u);
    for (size_t i = 0; i < gaps.size(); ++i) {
        if (i == 5) continue;
        EXPECT_LT(gaps[i], gaps[5]) << "gap after button " << i + 1;
    }
    std::string toolBar = hostrun::FirstLineStartingWith(run.log, "DlgToolBarCreate");
    EXPECT_NE(toolBar.find("name=\"OcularisToolBar\""), std::string::npos) << toolBar;
    std::string images = "images=[icon";
    for (int i = 1; i < 12; ++i) images += " icon";
    EXPECT_NE(toolBar.find(images + "]"), std::string::npos) << toolBar;

    std::vector<std::string> menu = hostrun::LinesStartingWith(run.output, "menu \"Ocularis\"");
    std::vector<std::string> expectedMenu;
    for (const char* item : {"Ocularis Settings", "---", "Load Project", "Reload", "Update Loaded",
                             "Save Session", "---", "About Ocularis"})
        expectedMenu.push_back("menu \"Ocularis\" " + (item == std::string("---") ? item : Quoted(item)));
    EXPECT_EQ(menu, expectedMenu) << Joined(run.output);

    std::vector<std::string> startCalls = CallsDuringMiniAppMain(run.log);
    std::vector<std::string> order = NamesOf(startCalls);
    std::vector<std::string> expectedOrder = {"MAppSetFunc",
                                              "MAppSetFunc",
                                              "MAppThis",
                                              "MAppCmdHooksPublish",
                                              "MAppCmdSpaccelsPublish",
                                              "WndGetTopWindowHandle",
                                              "DlgToolBarCreate",
                                              "WndMainMenuAddItem"};
    std::vector<std::string> ownCalls;
    for (const std::string& name : order)
        if (std::find(expectedOrder.begin(), expectedOrder.end(), name) != expectedOrder.end() &&
            (ownCalls.empty() || ownCalls.back() != name || name == "MAppSetFunc"))
            ownCalls.push_back(name);
    EXPECT_EQ(ownCalls, expectedOrder) << Joined(order);
    std::vector<std::string> hooks = CallsNamed(startCalls, {"MAppSetFunc"});
    ASSERT_GE(hooks.size(), 2u);
    EXPECT_NE(hooks[0].find("eventCode=2"), std::string::npos) << hooks[0];
    EXPECT_NE(hooks[1].find("eventCode=0"), std::string::npos) << hooks[1];
    // The icon collection is there before MiniAppMain and goes with the module, both as format version 1.
    auto at = [&](const std::string& prefix) {
        return std::find_if(run.log.begin(), run.log.end(),
                            [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    };
    EXPECT_LT(at("RegisterResourceData version=1 "), at("callback MiniAppMain app=\"ocular\""));
    EXPECT_LT(at("callback MAppEvent app=\"ocular\" eventCode=2"), at("UnregisterResourceData version=1 "));
    EXPECT_NE(at("UnregisterResourceData version=1 "), run.log.end());
    // The views are drawn only once the engine runs: the update hook comes last.
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.back(), "ViewsSetFuncOnUpdate") << Joined(order);
}

// ---- Key-ins and settings ------------------------------------------------------------------------------

TEST(PluginEntry, KeyinsMatchBlankForBlankAndContrastIsSavedAtUnload) {
    Install install = ocularhost::MakeInstall(L"entry_keyins");
    ocularhost::Result run = ocularhost::Run(install, "keyin high contrast\nstatus\n"
                                                      "keyin plain points\n"
                                                      "keyin HIGH  CONTRAST now\nstatus\n");
    ASSERT_EQ(run.exitCode, 0) << Joined(run.output);
    std::vector<std::string> commands =
        hostrun::LinesStartingWith(run.log, "callback Command app=\"ocular\"");
    ASSERT_EQ(commands.size(), 2u) << Joined(run.log);
    EXPECT_NE(commands[0].find("name=\"PlainPoints\" id=7 argument=\"\""), std::string::npos) << commands[0];
    EXPECT_NE(commands[1].find("name=\"HighContrast\" id=8 argument=\"now\""), std::string::npos)
        << commands[1];
    std::vector<std::string> status = hostrun::LinesStartingWith(run.output, "status ");
    ASSERT_EQ(status.size(), 2u);
    EXPECT_NE(status[0].find("message=\"Unknown key-in: high contrast\""), std::string::npos) << status[0];
    EXPECT_EQ(status[1].find("Unknown"), std::string::npos) << status[1];
    std::string settings = ocularhost::ReadSettingsFile(install, L"ocular.upf");
    EXPECT_NE(settings.find("RenderingMode=3\r\n"), std::string::npos) << settings;
}

// ---- The about window and the callback bracket ----------------------------------------------------------

TEST(PluginEntry, AboutWindowOpensOnceAndItsButtonRunsWithThePluginActive) {
    Install install = ocularhost::MakeInstall(L"entry_about");
    ocularhost::Running* running =
        ocularhost::Start(install, "keyin about ocularis\nkeyin about ocularis\nwait 8000\n");
    HWND about = nullptr;
    EXPECT_TRUE(ui::WaitUntil(
        [&] {
            about = ui::FindTopWindow(L"Ocularis", L"NimboDialog");
            return about && ui::FindByText(about, L"Close", L"Button");
        },
        30000));
    if (about) {
        Sleep(1500); // the second key-in runs right after the first
        EXPECT_EQ(AboutWindowCount(), 1);
        std::vector<std::wstring> texts = ui::ChildTexts(about);
        EXPECT_NE(std::find(texts.begin(), texts.end(), L"Version 024.002"), texts.end());
        EXPECT_NE(std::find(texts.begin(), texts.end(), L"Ocularis"), texts.end());
        testenv::SaveScreenshot("ocular_entry_about");
        ui::Click(ui::FindByText(about, L"Close", L"Button"));
        EXPECT_TRUE(ui::WaitForWindowGone(about, 5000));
    }
    ocularhost::Result run = ocularhost::Finish(running);
    ASSERT_EQ(run.exitCode, 0) << Joined(run.output);
    // Outside any host callback the button's callback still acts for the plug-in: pushed, then popped.
    std::vector<std::string> active = CallsNamed(run.log, {"MAppPushActive", "MAppPopActive"});
    // (The message dialogs' buttons before it, answered while the host ran the plug-in, are bracketed too.)
    ASSERT_GE(active.size(), 2u) << Joined(active);
    for (size_t i = 0; i < active.size(); ++i)
        EXPECT_EQ(active[i].rfind(i % 2 ? "MAppPopActive -> 0" : "MAppPushActive app=\"ocular\" -> 0", 0), 0u)
            << Joined(active);
    EXPECT_EQ(active[active.size() - 2], "MAppPushActive app=\"ocular\" -> 0 depth=2");
    EXPECT_EQ(active.back(), "MAppPopActive -> 0 depth=1");
}

// ---- Folders ----------------------------------------------------------------------------------------

TEST(PluginFolders, SettingsPathFileDecidesWhereTheHostPreferencesGo) {
    // With a trailing backslash the file lies beside the settings folder, inside the installation.
    Install install = ocularhost::MakeInstall(L"entry_folders_trailing");
    testenv::WriteFileBytes(install.root + L"\\settings_path.txt",
                            ocularhost::Narrow(install.settings) + "\\\r\n");
    ocularhost::Result run = ocularhost::Run(install, "keyin plain points\n");
    ASSERT_EQ(run.exitCode, 0) << Joined(run.output);
    std::string preferences = FileBytes(install.root + L"\\ocular\\ocularObx.upf");
    EXPECT_EQ(preferences.rfind("[Ocularis for Orbisa]\r\n", 0), 0u) << preferences;
    // The doubled backslash of the settings folder and "\ocular" still names settings\ocular.
    EXPECT_NE(ocularhost::ReadSettingsFile(install, L"ocular.upf").find("RenderingMode=1\r\n"),
              std::string::npos);

    // Without the file the built-in root c:\nimbo64 stands, so the host preferences go to c:\ocular.
    const std::wstring defaultPreferences = L"C:\\ocular\\ocularObx.upf";
    DeleteFileW(defaultPreferences.c_str());
    Install missing = InstallWithoutSettingsPath(L"entry_folders_missing");
    run = ocularhost::Run(missing, "");
    ASSERT_EQ(run.exitCode, 0) << Joined(run.output);
    EXPECT_EQ(FileBytes(defaultPreferences).rfind("[Ocularis for Orbisa]\r\n", 0), 0u);
    EXPECT_FALSE(ocularhost::SettingsFileExists(missing, L"ocular.upf"));
    DeleteFileW(defaultPreferences.c_str());
}

// ---- A failed engine start ---------------------------------------------------------------------------

TEST(PluginEntry, FailedEngineStartLeavesCommandsThatRefuseAndASecondTeardownThatIsHarmless) {
    EngineFailure failure;
    Install install = ocularhost::MakeInstall(L"entry_engine_failure");
    ocularhost::Result run =
        ocularhost::Run(install, "keyin reload\nmenu Ocularis/Load Project\n"
                                 "keyin medium contrast\nunload ocular\nprint unloaded\n");
    ASSERT_EQ(run.exitCode, 0) << Joined(run.output);
    EXPECT_FALSE(hostrun::FirstLineStartingWith(run.output, "unloaded").empty());
    // The engine's own error, then one refusal for the key-in and one for the menu item.
    int refusals = 0, engineErrors = 0;
    for (const std::wstring& message : run.messages) {
        if (message == L"The viewing engine is not running.") ++refusals;
        if (message.rfind(L"Error - Environment variables are not correctly set.", 0) == 0) ++engineErrors;
    }
    EXPECT_EQ(refusals, 2);
    EXPECT_EQ(engineErrors, 1);
    // No update hook was left behind, the unload hook ran, and the contrast still counted.
    EXPECT_TRUE(CallsNamed(run.log, {"ViewsSetFuncOnUpdate"}).empty() ||
                CallsNamed(run.log, {"ViewsSetFuncOnUpdate"})[0].find("hook=null") != std::string::npos);
    EXPECT_FALSE(hostrun::LinesStartingWith(run.log, "callback MAppEvent app=\"ocular\"").empty());
    EXPECT_NE(ocularhost::ReadSettingsFile(install, L"ocular.upf").find("RenderingMode=7\r\n"),
              std::string::npos);
}

} // namespace
