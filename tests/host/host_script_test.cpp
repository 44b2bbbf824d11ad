// The host program as a script drives it: key-ins, menus and tool bars of the test mini app, the active
// mini app, the unload hook, the design file and units, the call log, bad mini apps, bad command lines
// and bad script lines.
#include "host_test_support.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

namespace {

using hostrun::FirstLineStartingWith;
using hosttest::ExpectInOrder;
using hosttest::RunClean;

TEST(HostScript, KeyinsRunTheirCommandsByTypedText) {
    hostrun::Result run = RunClean(L"keyins", "keyin tm echo hello  world\n"
                                              "keyin   TM ECHO LONG  x \n"
                                              "keyin tm echo\n"
                                              "keyin tm two  blanks arg\n"
                                              "keyin tm echolong\n"
                                              "status\n"
                                              "keyin tm two blanks arg\n"
                                              "status\n");
    ExpectInOrder(run.output, {"echo \"hello  world\"", "echo-long \"x\"", "echo \"\"", "two-blanks \"arg\"",
                               "status prompt=\"\" message=\"Unknown key-in: tm echolong\"",
                               "status prompt=\"\" message=\"Unknown key-in: tm two blanks arg\""});
    EXPECT_TRUE(hostrun::LinesStartingWith(run.output, "two-blanks").size() == 1);
}

TEST(HostScript, MenuAndToolBarChoicesCallTheMiniApp) {
    hostrun::Result run = RunClean(L"menu_toolbar", "menus\n"
                                                    "menu Test App/First Item\n"
                                                    "menu test app/second item\n"
                                                    "keyin tm toolbar TestBar 1 :/icons/red.ico|Red|1|A\n"
                                                    "toolbar Red\n"
                                                    "keyin tm idle\n");
    ExpectInOrder(run.output, {"menu \"Test App\" \"First Item\"", "menu \"Test App\" ---",
                               "menu \"Test App\" \"Second Item\"", "menu \"Help\" \"About Orbisa\"",
                               "menu first this 1", "menu second", "toolbar-create 0", "echo null"});
    // The idle hook ran after each command and menu choice: two menus, the tool-bar key-in, the button.
    EXPECT_EQ(FirstLineStartingWith(run.output, "idle "), "idle 4");
}

TEST(HostScript, TheHostsOwnMenuItemsAndButtonsActOnTheActiveView) {
    hostrun::Result run =
        RunClean(L"host_menus", "view 1 activate\n"
                                "menu View/Perspective\nmenu View/Stereo\nparams 1\n"
                                "menu view/perspective\nmenu View/Right\nparams 1\n"
                                "toolbar Stereo\nparams 1\n"
                                "keyin tm snapfilter 1 0 0\ntoolbar Snap\nclick 0 10 10\n"
                                "menu View/Two Views\nkeyin tm params 2\nmenu View/Four Views\n"
                                "keyin tm params 2\nmenu Help/About Orbisa\nmenu View/Fit Range...\n"
                                "print still running\n");
    std::vector<std::string> params = hostrun::LinesStartingWith(run.output, "params 1 ");
    ASSERT_EQ(params.size(), 3u) << hostrun::Joined(run.output);
    EXPECT_EQ(hostrun::ValueOf(params[0], "perspective"), "1");
    EXPECT_EQ(hostrun::ValueOf(params[0], "stereo"), "1");
    EXPECT_EQ(hostrun::ValueOf(params[1], "perspective"), "0");
    EXPECT_EQ(hostrun::ValueOf(params[1], "rotation"), "0,1,0,0,0,1,1,0,0");
    EXPECT_EQ(hostrun::ValueOf(params[2], "stereo"), "0");
    EXPECT_FALSE(FirstLineStartingWith(run.output, "filter mode 0").empty())
        << "the Snap button turned snapping on";
    std::vector<std::string> reopened = hostrun::LinesStartingWith(run.output, "app-params 2 result ");
    ASSERT_EQ(reopened.size(), 2u);
    EXPECT_EQ(reopened[0], "app-params 2 result -2") << "closed by Two Views";
    EXPECT_EQ(reopened[1].substr(0, 22), "app-params 2 result 0 ") << "open again with Four Views";
    ExpectInOrder(run.output, {"About Orbisa: Orbisa CAD host 8.1", "still running"});
    EXPECT_NE(hostrun::Joined(run.errors).find("Fit Range... asks the user"), std::string::npos);
}

TEST(HostScript, ActiveMiniAppStackAndHostQueries) {
    hostrun::Result run = RunClean(L"active", "keyin tm active\nkeyin tm version\n");
    ExpectInOrder(run.output, {"active this 1 byname 1 push 0 pushed-this 1 pop 0 unknown null",
                               "version 0 8 1 top \"Orbisa\""});
}

TEST(HostScript, UnloadHookRunsAtUnloadAndAtExitAndItsCommandsGo) {
    hostrun::Result atExit = RunClean(L"unload_exit", "print last line\n");
    ExpectInOrder(atExit.output, {"last line", "unload hook this 1", "detached"});

    hostrun::Result unloaded = RunClean(L"unload_script", "unload testapp\nkeyin tm echo x\nstatus\nmenus\n");
    ExpectInOrder(unloaded.output, {"unload hook this 1", "detached",
                                    "status prompt=\"\" message=\"Unknown key-in: tm echo x\""});
    EXPECT_TRUE(hostrun::LinesStartingWith(unloaded.output, "menu \"Test App\"").empty());
    EXPECT_TRUE(hostrun::LinesStartingWith(unloaded.output, "echo").empty());
}

struct BadLine {
    std::string line;
    const char* why; // part of the error message
};

TEST(HostScript, BadLinesStopTheScriptWithTheirNumberAndExitCodeTwo) {
    const BadLine lines[] = {
        {"frobnicate 1 2", "unknown line"},
        {"view 9 top", "view index"},
        {"view 1 sideways", "unknown view line"},
        {"view 0 size 5 5", "16..8192"},
        {"click 0 -1 5", "outside the view"},
        {"click 0 5", "pixel X Y"},
        {"wait soon", "wait MS"},
        {"repeat many print x", "repeat K LINE"},
        {"menu NoSuch/Item", "no such menu item"},
        {"menu NoSlash", "ENTRY/ITEM"},
        {"toolbar Nope", "no tool-bar button"},
        {"unload nosuch", "no mini app"},
        {"snap maybe", "snap on|off"},
        {"design units -1", "W > 0"},
        {"event 2 0 1 2", "event KIND N X Y Z"},
        {"view 5 top", "not open"},
        {"save 0 Z:\\no\\such\\folder\\x.png", "cannot write"},
        {"exit soon", "exit [CODE]"},
        {"print " + std::string(17000, 'x'), "longer than"},
    };
    int index = 0;
    for (const BadLine& bad : lines) {
        std::string script = "print before\n\n# a comment line\n" + bad.line + "\nprint after\n";
        hostrun::Result run =
            hostrun::Run(L"bad_line_" + std::to_wstring(index++), script, hosttest::WithTestApp());
        EXPECT_EQ(run.exitCode, 2) << bad.line.substr(0, 80);
        std::string problem = FirstLineStartingWith(run.errors, "script line 4: ");
        EXPECT_NE(problem.find(bad.why), std::string::npos) << bad.line.substr(0, 80) << " gave: " << problem;
        EXPECT_FALSE(FirstLineStartingWith(run.output, "before").empty());
        EXPECT_TRUE(FirstLineStartingWith(run.output, "after").empty()) << bad.line.substr(0, 80);
        // The host still ended properly: the unload hook ran.
        EXPECT_FALSE(FirstLineStartingWith(run.output, "unload hook").empty()) << bad.line.substr(0, 80);
    }
}

TEST(HostScript, RepeatRunsALineAndEveryRedrawCallsTheUpdateHook) {
    hostrun::Result run =
        RunClean(L"repeat", "keyin tm hooks\nrepeat 3 print again\nrepeat 5 redraw\nkeyin tm hooks\n");
    EXPECT_EQ(hostrun::LinesStartingWith(run.output, "again").size(), 3u);
    std::vector<std::string> before = hostrun::LinesStartingWith(run.output, "hooks 0 ");
    ASSERT_EQ(before.size(), 2u);
    std::vector<std::string> first = hosttest::WordsOf(before[0]), second = hosttest::WordsOf(before[1]);
    EXPECT_EQ(std::stoi(second[2]) - std::stoi(first[2]), 5) << "phase 0 calls";
    EXPECT_EQ(std::stoi(second[3]) - std::stoi(first[3]), 5) << "phase 1 calls";
}

TEST(HostScript, OutputGoesToStandardOutputAndTheOutCopy) {
    hostrun::Result run = RunClean(L"output_copy", "print one\nstatus\nprint two\n");
    EXPECT_EQ(run.copy, (std::vector<std::string>{"one", "status prompt=\"\" message=\"\"", "two"}));
    ExpectInOrder(run.output, run.copy);
}

TEST(HostDesign, UnitsOriginAndColoursOfTheActiveDesignFile) {
    std::wstring folder = testenv::ScratchFolder(L"design_file");
    std::wstring description = folder + L"\\design.txt";
    ASSERT_TRUE(
        testenv::WriteFileBytes(description, "# a design\nunits 1000\norigin 5 6 7\ncolor 3 10 20 30\n"));
    hostrun::Options options = hosttest::WithTestApp();
    options.extraArguments = {L"--design \"" + description + L"\""};
    hostrun::Result run = RunClean(L"design_units", "keyin tm units\n", options);
    ExpectInOrder(run.output,
                  {"units file non-null origin 0 5.000000,6.000000,7.000000 perMaster 0 1000.000000 point "
                   "1.000000,2.000000,0.030000 delta 1.000000,2.000000,0.030000",
                   "colour 0 result 0 bytes 255 255 255", "colour 1 result 0 bytes 255 0 0",
                   "colour 3 result 0 bytes 30 20 10", "colour 256 result -1 bytes 9 9 9",
                   "colour -1 result -1 bytes 9 9 9"});

    hostrun::Result none =
        RunClean(L"design_none", "design none\nkeyin tm units\ndesign units 4\nkeyin tm units\n");
    ExpectInOrder(none.output,
                  {"units file null origin -1 0.000000,0.000000,0.000000 perMaster -1 0.000000 point "
                   "1000.000000,2000.000000,30.000000 delta 1000.000000,2000.000000,30.000000",
                   "colour 0 result -1 bytes 9 9 9",
                   "units file non-null origin 0 0.000000,0.000000,0.000000 perMaster 0 4.000000 point "
                   "250.000000,500.000000,7.500000 delta 250.000000,500.000000,7.500000"});
    options.extraArguments = {L"--no-design"};
    hostrun::Result noDesign = RunClean(L"design_off", "keyin tm units\n", options);
    EXPECT_FALSE(FirstLineStartingWith(noDesign.output, "units file null").empty());
}

TEST(HostDesign, ABadDescriptionIsRefusedWithItsLineNumber) {
    std::wstring folder = testenv::ScratchFolder(L"design_bad");
    std::wstring description = folder + L"\\design.txt";
    ASSERT_TRUE(testenv::WriteFileBytes(description, "units 1000\ncolor 300 1 2 3\n"));
    hostrun::Options options = hosttest::WithTestApp();
    options.extraArguments = {L"--design \"" + description + L"\""};
    hostrun::Result run = hostrun::Run(L"design_bad_run", "print never\n", options);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(hostrun::Joined(run.errors).find("design.txt line 2: color needs an index 0..255"),
              std::string::npos)
        << hostrun::Joined(run.errors);
    EXPECT_TRUE(FirstLineStartingWith(run.output, "never").empty());
}

TEST(HostCallLog, EveryCallOfTheMiniAppIsLoggedWithItsArguments) {
    hostrun::Result run =
        RunClean(L"call_log", "design units 1000\n"
                              "keyin tm toolbar TestBar 1 :/icons/red.ico|Red|1|A;x|No  Icon|2|B\n"
                              "keyin tm units\n");
    const std::vector<std::string> wanted = {
        "RegisterResourceData version=1 tree=non-null names=non-null data=non-null -> 1",
        "callback MiniAppMain app=\"testapp\"",
        "MAppSetFunc eventCode=2 hook=non-null -> 0",
        "MAppThis reserved=0 -> \"testapp\"",
        "MAppCmdHooksPublish table=[{id=1 handler=non-null name=\"Echo\" label=\"Echo\"} {id=2 "
        "handler=non-null "
        "name=\"EchoLong\" label=\"Echo Long\"} {id=3 handler=non-null name=\"TwoBlanks\" label=\"Two  "
        "Blanks\"}",
        "MAppCmdSpaccelsPublish table=[{commandName=\"Echo\" keyin=\"tm echo\" reserved=null} "
        "{commandName=\"EchoLong\" "
        "keyin=\"tm echo long\" reserved=null}",
        "WndMainMenuAddItem label=\"Test App\" callback=null parent=0 -> ",
        "WndMainMenuAddSeparator parent=",
        "ViewsSetFuncOnUpdate hook=non-null -> 1",
        "callback ViewsUpdate app=\"testapp\" phase=0 viewIndex=0",
        "callback Command app=\"testapp\" name=\"ToolBar\" id=13 argument=\"TestBar 1 "
        ":/icons/red.ico|Red|1|A;x|No  "
        "Icon|2|B\"",
        "DlgToolBarCreate descriptor={name=\"TestBar\" reserved1=null reserved2=null dock=2 visible=1 "
        "items=[{iconPath=\":/icons/red.ico\" label=\"Red\" commandId=1 reserved=null group=\"A\"} "
        "{iconPath=\"x\" "
        "label=\"No  Icon\" commandId=2 reserved=null group=\"B\"}]} -> 0 images=[icon text]",
        "CurrTransSetMasterUnitsIdentity masterUnits=1",
        "CurrTransTransformPts points=(1000,2000,30) count=1 direction=1 -> void out=(1,2,0.03)",
        "CadFileGetWorldsPerMainUnit file=non-null workingPerMaster=non-null -> 0 out=1000",
        "CadFileColorFromIndex file=non-null color=non-null index=256 -> -1",
        "callback MAppEvent app=\"testapp\" eventCode=2",
        "ViewsSetFuncOnUpdate hook=null -> 1",
        "UnregisterResourceData version=1 tree=non-null names=non-null data=non-null -> 1",
    };
    size_t at = 0;
    for (const std::string& line : wanted) {
        while (at < run.log.size() && run.log[at].compare(0, line.size(), line) != 0) ++at;
        ASSERT_LT(at, run.log.size()) << "log lacks, in order: " << line << "\n" << hostrun::Joined(run.log);
    }
}

TEST(HostMiniApps, BrokenMiniAppsAreReportedAndTheHostGoesOn) {
    std::wstring folder = testenv::ScratchFolder(L"broken_apps");
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\notadll.ix", "This is text, not a program.\r\n"));
    hostrun::Options options;
    options.apps = {folder + L"\\missing.ix", folder + L"\\notadll.ix",
                    hostrun::BuildPath(L"tests\\host\\nomain.ix"),
                    hostrun::BuildPath(L"tests\\host\\crashapp.ix"), hosttest::TestApp()};
    hostrun::Result run = RunClean(L"broken_apps_run", "keyin tm echo still here\nstatus\n", options);
    std::string errors = hostrun::Joined(run.errors);
    EXPECT_NE(errors.find("Mini app not found: "), std::string::npos) << errors;
    EXPECT_NE(errors.find("Mini app could not be loaded, it is not a DLL: "), std::string::npos) << errors;
    EXPECT_NE(errors.find("Mini app has no MiniAppMain: "), std::string::npos) << errors;
    EXPECT_NE(errors.find("Mini app crashapp crashed in MiniAppMain (exception 0xC0000005)"),
              std::string::npos)
        << errors;
    ExpectInOrder(run.output, {"crashapp starting", "main commands 19 keyins 19", "echo \"still here\""});
}

struct BadCommandLine {
    std::vector<std::wstring> arguments;
    const char* why;
};

TEST(HostCommandLine, BadArgumentsEndTheHostWithExitCodeOne) {
    const BadCommandLine cases[] = {
        {{L"--bogus"}, "unknown option --bogus"},
        {{L"--design"}, "--design needs a value"},
        {{L"--no-design", L"--design", L"x.txt"}, "exclude each other"},
        {{L"--design", L"Z:\\no\\such\\design.txt"}, "cannot open the design description"},
        {{L"--log", L"Z:\\no\\such\\folder\\log.txt"}, "cannot create the log file"},
    };
    int index = 0;
    for (const BadCommandLine& c : cases) {
        hostrun::Options options = hosttest::WithTestApp();
        options.extraArguments = c.arguments;
        hostrun::Result run =
            hostrun::Run(L"bad_command_line_" + std::to_wstring(index++), "print never\n", options);
        EXPECT_EQ(run.exitCode, 1) << c.why;
        EXPECT_NE(hostrun::Joined(run.errors).find(c.why), std::string::npos) << hostrun::Joined(run.errors);
        EXPECT_TRUE(FirstLineStartingWith(run.output, "main commands").empty()) << "nothing was loaded";
    }
}

} // namespace
