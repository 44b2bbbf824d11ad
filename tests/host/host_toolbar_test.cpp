// Tool-bar icons from resource collections (compiled into the test mini app, loaded from rcc files,
// damaged ones), and the host as a person meets it: four views, a tool bar and a menu of the test mini
// app, navigation with the mouse and a typed key-in, with screenshots; and a script run that the real
// mouse cannot touch.
#include "host_test_support.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>

namespace {

using hostrun::FirstLineStartingWith;
using hosttest::ExpectInOrder;
using hosttest::RunClean;
using hosttest::Triple;
using hosttest::WordsOf;

std::string Utf8(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

const char kToolBar[] =
    "keyin tm toolbar TestBar 1 :/icons/red.ico|Red|1|A;:/icons/green.ico|Green|2|A;"
    ":/icons/blue.ico|Blue|3|B;:/icons/yellow.ico|Yellow|4|B;:/icons/none.ico|No  Icon|2|B\n";

// The x, width and image of a "button" line.
struct Button {
    int x = -1, width = 0;
    std::string image;
};

Button ButtonOf(const std::vector<std::string>& lines, const std::string& label) {
    Button button;
    std::string line = FirstLineStartingWith(lines, "button \"TestBar\" \"" + label + "\"");
    if (line.empty()) return button;
    button.x = std::stoi(hostrun::ValueOf(line, "x"));
    button.width = std::stoi(hostrun::ValueOf(line, "width"));
    std::string icon = hostrun::ValueOf(line, "icon");
    button.image = icon.empty() ? WordsOf(line).back() : icon;
    return button;
}

TEST(HostToolBar, ButtonsShowTheCollectionsIconsInGroupsAndPressTheirCommands) {
    hostrun::Result run =
        RunClean(L"toolbar_icons", std::string(kToolBar) + "buttons\ntoolbar No  Icon\ntoolbar Red\n");
    Button red = ButtonOf(run.output, "Red"), green = ButtonOf(run.output, "Green"),
           blue = ButtonOf(run.output, "Blue");
    EXPECT_EQ(red.image, "FF0000") << hostrun::Joined(run.output);
    EXPECT_EQ(green.image, "00FF00") << "the 32-pixel entry, scaled";
    EXPECT_EQ(blue.image, "0000FF") << "a palette image";
    EXPECT_EQ(ButtonOf(run.output, "Yellow").image, "FFFF00") << "a PNG entry";
    EXPECT_EQ(ButtonOf(run.output, "No  Icon").image, "text");
    // Neighbours of a group sit together; the next group stands apart.
    int inGroup = green.x - (red.x + red.width), betweenGroups = blue.x - (green.x + green.width);
    EXPECT_LT(inGroup, betweenGroups);
    EXPECT_GE(betweenGroups, 8);
    ExpectInOrder(run.output, {"echo-long null", "echo null"});
}

unsigned BigEndian(const std::string& b, size_t at) {
    return (unsigned(static_cast<unsigned char>(b[at])) << 24) |
           (unsigned(static_cast<unsigned char>(b[at + 1])) << 16) |
           (unsigned(static_cast<unsigned char>(b[at + 2])) << 8) | static_cast<unsigned char>(b[at + 3]);
}

std::string Put(std::string bytes, size_t at, const std::string& value) {
    return bytes.replace(at, value.size(), value);
}

// Every zlib stream of the data table (they begin with 0x78 0x9C) gets garbage inside.
std::string SpoilStreams(const std::string& original) {
    std::string bytes = original;
    size_t end = BigEndian(bytes, 16);
    for (size_t at = BigEndian(bytes, 12); at + 16 < end; ++at)
        if (bytes[at] == '\x78' && bytes[at + 1] == '\x9C') bytes.replace(at + 2, 8, std::string(8, '\x5A'));
    return bytes;
}

struct Damage {
    const char* name;
    std::string (*apply)(const std::string& bytes);
};

TEST(HostToolBar, DamagedCollectionsNeverCrashTheHostAndTheLabelStandsIn) {
    std::string original;
    ASSERT_TRUE(testenv::ReadFileBytes(hostrun::BuildPath(L"tests\\host\\test_icons.rcc"), original));
    const Damage damages[] = {
        {"intact", [](const std::string& b) { return b; }},
        {"truncated tables", [](const std::string& b) { return b.substr(0, 300); }},
        {"tree offset outside the blob",
         [](const std::string& b) { return Put(b, 8, std::string("\x7F\0\0\0", 4)); }},
        {"names offset outside the blob",
         [](const std::string& b) { return Put(b, 16, std::string("\0\x10\0\0", 4)); }},
        {"a name loop",
         [](const std::string& b) { return Put(b, BigEndian(b, 8) + 10, std::string(4, '\0')); }},
        {"bad zlib data", SpoilStreams},
    };
    std::wstring folder = testenv::ScratchFolder(L"damaged_collections");
    std::string script;
    int index = 0;
    for (const Damage& damage : damages) {
        std::wstring file = folder + L"\\damaged" + std::to_wstring(index) + L".rcc";
        ASSERT_TRUE(testenv::WriteFileBytes(file, damage.apply(original)));
        script += "keyin tm resources " + Utf8(file) + "\n";
        script += "keyin tm toolbar Bar" + std::to_string(index) + " 1 :/loaded/icons/red.ico|Red" +
                  std::to_string(index) + "|1|A;:/loaded/icons/yellow.ico|Yellow" + std::to_string(index) +
                  "|1|A\n";
        script += "keyin tm unregister\n";
        ++index;
    }
    script += "keyin tm toolbar After 1 :/loaded/icons/red.ico|Red After|1|A\nbuttons\n";
    hostrun::Result run = RunClean(L"damaged_collections_run", script);
    std::vector<std::string> buttons = hostrun::LinesStartingWith(run.output, "button ");
    auto image = [&](const std::string& label) {
        std::string line;
        for (const std::string& b : buttons)
            if (b.find("\"" + label + "\"") != std::string::npos) line = b;
        return line.empty() ? std::string("missing") : WordsOf(line).back();
    };
    EXPECT_EQ(image("Red0"), "icon=FF0000") << hostrun::Joined(run.output);
    EXPECT_EQ(image("Yellow0"), "icon=FFFF00");
    for (int i = 1; i < index; ++i) {
        EXPECT_EQ(image("Red" + std::to_string(i)), "text") << damages[i].name;
        EXPECT_NE(image("Yellow" + std::to_string(i)), "missing") << damages[i].name;
    }
    EXPECT_EQ(image("Red After"), "text") << "unregistered collections are not searched";
    EXPECT_EQ(FirstLineStartingWith(run.output, "unregister"), "unregister 1");
}

// Waits until the host's standard output holds a line beginning with prefix; gives that line.
std::string WaitForOutput(const hostrun::Running& running, const std::string& prefix, size_t nth = 0) {
    std::string found;
    ui::WaitUntil(
        [&] {
            std::string bytes;
            testenv::ReadFileBytes(running.folder + L"\\stdout.txt", bytes);
            size_t seen = 0, at = 0;
            while ((at = bytes.find(prefix, at)) != std::string::npos) {
                if (at == 0 || bytes[at - 1] == '\n') {
                    if (seen++ == nth) {
                        size_t end = bytes.find_first_of("\r\n", at);
                        found = bytes.substr(at, end == std::string::npos ? std::string::npos : end - at);
                        return true;
                    }
                }
                at += prefix.size();
            }
            return false;
        },
        20000);
    return found;
}

// Real key presses (each down and up) or mouse button events, as a person's.
void SendKeys(std::initializer_list<WORD> keys, std::initializer_list<DWORD> mouse) {
    std::vector<INPUT> events;
    for (DWORD flags : mouse) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        events.push_back(input);
    }
    for (WORD key : keys)
        for (bool up : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            input.ki.dwFlags =
                (up ? KEYEVENTF_KEYUP : 0) | (key == VK_RIGHT || key == VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0);
            events.push_back(input);
        }
    SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
    testenv::PumpMessages(300);
}

HWND ViewWindow(HWND main, int index) {
    return ui::FindByText(main, L"View " + std::to_wstring(index), L"OrbisaView");
}

void PostDrag(HWND view, UINT down, UINT up, WPARAM button, POINT from, POINT to) {
    PostMessageW(view, down, button, MAKELPARAM(from.x, from.y));
    PostMessageW(view, WM_MOUSEMOVE, button, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
    PostMessageW(view, WM_MOUSEMOVE, button, MAKELPARAM(to.x, to.y));
    PostMessageW(view, up, 0, MAKELPARAM(to.x, to.y));
}

TEST(HostWindow, APersonSeesFourViewsAToolBarAndAMenuAndNavigatesWithTheMouse) {
    std::string script = "view 0 size 360 240\n" + std::string(kToolBar) +
                         "keyin tm paint rect 0 0 120 240 120 240 3C6E9A\n"
                         "view 3 camera 120 -160 90 0 0 0\nclick 0 240 60\n"
                         "keyin tm params 0\nkeyin tm params 1\nprint ready\nwait 60000\n";
    hostrun::Options options = hosttest::WithTestApp();
    options.scriptPointer = false;
    hostrun::Running running = hostrun::Start(L"person", script, options);
    ASSERT_TRUE(running.started);
    ASSERT_FALSE(WaitForOutput(running, "ready").empty());
    HWND main = ui::WaitForWindow(L"Orbisa");
    ASSERT_NE(main, nullptr);
    testenv::SaveScreenshot("host_four_views");

    // Wheel one notch towards the screen over view 0's centre: 0.8 of the extents, the centre kept.
    HWND view0 = ViewWindow(main, 0), view1 = ViewWindow(main, 1);
    ASSERT_NE(view0, nullptr);
    POINT centre{180, 120};
    ClientToScreen(view0, &centre);
    PostMessageW(view0, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(centre.x, centre.y));
    // Middle-drag 40 pixels right in view 0, right-drag in view 1 (a rotation, not a reset).
    PostDrag(view0, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, {100, 100}, {140, 100});
    PostDrag(view1, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, {100, 100}, {160, 100});

    // A key-in typed into the key-in line as a person would.
    HWND keyin = nullptr;
    for (HWND child : ui::Children(main))
        if (ui::ClassName(child) == L"Edit") keyin = child;
    ASSERT_NE(keyin, nullptr);
    ui::TypeInto(keyin, L"tm params 0");
    ui::PressKey(keyin, VK_RETURN);
    std::string after0 = WaitForOutput(running, "app-params 0", 1);
    ui::TypeInto(keyin, L"tm params 1");
    ui::PressKey(keyin, VK_RETURN);
    std::string after1 = WaitForOutput(running, "app-params 1", 1);

    // Open the test mini app's menu with the keyboard: a real click into the key-in line to bring the
    // host forward, then Alt, two steps right (past File and View) and down.
    RECT field;
    GetWindowRect(keyin, &field);
    SetCursorPos(field.left + 20, (field.top + field.bottom) / 2);
    SendKeys({}, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
    SendKeys({VK_MENU, VK_RIGHT, VK_RIGHT, VK_DOWN}, {});
    testenv::PumpMessages(500);
    testenv::SaveScreenshot("host_test_app_menu");
    SendKeys({VK_RETURN}, {}); // chooses "First Item"
    EXPECT_EQ(WaitForOutput(running, "menu first"), "menu first this 1");
    PostMessageW(main, WM_CLOSE, 0, 0);
    hostrun::Result run = hostrun::Finish(running, 30000);
    EXPECT_EQ(run.exitCode, 0);
    ExpectInOrder(run.output, {"ready", "unload hook this 1"});
    EXPECT_TRUE(hostrun::LinesStartingWith(run.output, "state-reset").empty());

    std::string before0 = FirstLineStartingWith(run.output, "app-params 0"),
                before1 = FirstLineStartingWith(run.output, "app-params 1");
    ASSERT_FALSE(after0.empty()) << hostrun::Joined(run.output);
    auto value = [](const std::string& line, const std::string& word) {
        std::vector<std::string> w = WordsOf(line);
        for (size_t i = 0; i + 1 < w.size(); ++i)
            if (w[i] == word) return Triple(w[i + 1]);
        return std::vector<double>{};
    };
    std::vector<double> d0 = value(before0, "delta"), d1 = value(after0, "delta");
    std::vector<double> c0 = value(before0, "centre"), c1 = value(after0, "centre");
    ASSERT_EQ(d1.size(), 3u) << after0;
    EXPECT_NEAR(d1[0], d0[0] * 0.8, 1e-4) << "one wheel notch";
    // (The wheel zooms about the middle of the pixel under the cursor: less than a pixel off the centre.)
    double pixel = d1[0] / 360;
    EXPECT_NEAR(c1[0], c0[0] - 40 * pixel, pixel) << "middle-drag pans by 40 pixels";
    EXPECT_NEAR(c1[1], c0[1], pixel);
    EXPECT_NE(before1.substr(0, before1.find(" delta")), std::string()) << before1;
    EXPECT_EQ(value(after1, "centre"), value(before1, "centre")) << "rotation about the centre";
    EXPECT_NE(FirstLineStartingWith(run.log,
                                    "callback Command app=\"testapp\" name=\"Params\" id=6 argument=\"0\""),
              "");
}

TEST(HostWindow, AScriptPointerRunTakesNoMouseInputButTheScriptsOwn) {
    std::string script = "view 0 size 360 240\nkeyin tm params 0\npixel 0 105 100\nprint ready\nwait 1500\n"
                         "keyin tm params 0\npixel 0 105 100\nmove 0 200 100\npixel 0 205 100\n";
    hostrun::Running running = hostrun::Start(L"script_pointer", script, hosttest::WithTestApp());
    ASSERT_TRUE(running.started);
    ASSERT_FALSE(WaitForOutput(running, "ready").empty());
    HWND view0 = ViewWindow(ui::WaitForWindow(L"Orbisa"), 0);
    ASSERT_NE(view0, nullptr);
    // What another test's pointer would do to the view: pass over it, wheel and drag.
    PostMessageW(view0, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
    POINT centre{180, 120};
    ClientToScreen(view0, &centre);
    PostMessageW(view0, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(centre.x, centre.y));
    PostDrag(view0, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, {100, 100}, {140, 100});
    hostrun::Result run = hostrun::Finish(running, 30000);
    ASSERT_EQ(run.exitCode, 0) << hostrun::Joined(run.output);

    std::vector<std::string> params = hostrun::LinesStartingWith(run.output, "app-params 0");
    ASSERT_EQ(params.size(), 2u) << hostrun::Joined(run.output);
    EXPECT_EQ(params[0], params[1]) << "neither zoomed nor panned";
    std::vector<std::string> pixels = hostrun::LinesStartingWith(run.output, "pixel 0 ");
    ASSERT_EQ(pixels.size(), 3u) << hostrun::Joined(run.output);
    EXPECT_EQ(pixels[0], pixels[1]) << "no cursor cross where the real pointer passed";
    EXPECT_EQ(pixels[2], "pixel 0 205 100 255 255 255") << "the script's own pointer is drawn";
    EXPECT_NE(pixels[0].substr(pixels[0].size() - 12), " 255 255 255");
}

} // namespace
