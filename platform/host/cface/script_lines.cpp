// The lines a script may hold: one table entry each, with the words it takes. Views are given by index
// (0..7), pixels from the top-left of a view's image, points and ranges of "event", "snapfilter",
// "camera" and "fit" as the entries say.
#include "cface/commands.h"
#include "cface/design_files.h"
#include "cface/host.h"
#include "cface/host_output.h"
#include "cface/input.h"
#include "cface/keyin_line.h"
#include "cface/main_menu.h"
#include "cface/main_window.h"
#include "cface/miniapps.h"
#include "cface/script.h"
#include "cface/status_line.h"
#include "cface/toolbars.h"
#include "cface/views.h"
#include "cadio/cadio_host.h"
#include "parts/design_description.h"
#include "parts/log_format.h"
#include "parts/png_codec.h"
#include "parts/script_words.h"

#include <cstdio>

namespace {

constexpr int kMaxRepeat = 100000;
constexpr int kMaxRepeatDepth = 4;
constexpr int kMaxWaitMs = 600000;

struct Line {
    const std::string& text;
    std::vector<std::string> words;
    int depth;
    std::string* error;
};

bool Fail(Line& line, const std::string& why) {
    *line.error = why;
    return false;
}

bool Numbers(Line& line, size_t first, size_t count, double* values) {
    if (line.words.size() != first + count) return false;
    for (size_t i = 0; i < count; ++i)
        if (!ParseNumber(line.words[first + i], &values[i])) return false;
    return true;
}

// The view of word 1 (or another word), which must be open.
OrbisaView* OpenViewAt(Line& line, size_t word = 1) {
    int index = -1;
    if (line.words.size() <= word || !ParseInt(line.words[word], &index) || !ViewOfIndex(index)) {
        Fail(line, "a view index 0..7 is needed");
        return nullptr;
    }
    OrbisaView* view = ViewOfIndex(index);
    if (!view->open || !view->window) {
        Fail(line, "view " + std::to_string(index) + " is not open");
        return nullptr;
    }
    return view;
}

bool PixelInView(Line& line, const OrbisaView& view, size_t first, int* x, int* y) {
    if (line.words.size() != first + 2 || !ParseInt(line.words[first], x) ||
        !ParseInt(line.words[first + 1], y))
        return Fail(line, "pixel X Y needed");
    if (*x < 0 || *y < 0 || *x >= view.width || *y >= view.height)
        return Fail(line, "pixel outside the view's " + std::to_string(view.width) + " x " +
                              std::to_string(view.height) + " image");
    return true;
}

Vec3 MasterToWorking(const double* v) {
    double perMaster = CadHostWorkingPerMaster();
    return {v[0] * perMaster, v[1] * perMaster, v[2] * perMaster};
}

std::string Point(const DPoint3d& p) {
    return FormatNumber(p.x) + " " + FormatNumber(p.y) + " " + FormatNumber(p.z);
}

// Moves the real cursor over the pixel, so that mini apps reading it see it there.
void PlaceCursor(const OrbisaView& view, int x, int y) {
    POINT screen{x, y};
    ClientToScreen(view.window, &screen);
    SetCursorPos(screen.x, screen.y);
}

// After a scripted click or move: the system's own mouse-move message for the new cursor position
// comes later and is not the user's.
void ExpectSystemMove(const OrbisaView& view, int x, int y) {
    POINT screen{x, y};
    ClientToScreen(view.window, &screen);
    ExpectScriptedCursorMove(screen);
}

// The view takes it as the mouse's, also when it takes nothing from the real mouse.
void SendScriptMouse(const OrbisaView& view, UINT message, WPARAM buttons, int x, int y) {
    ++Host().scriptMouseSends;
    SendMessageW(view.window, message, buttons, MAKELPARAM(x, y));
    --Host().scriptMouseSends;
}

// ---- lines -------------------------------------------------------------------------------------------

bool Keyin(Line& line) {
    EnterKeyin(Utf8ToWideText(TextAfterWords(line.text, 1)));
    return true;
}

bool Menu(Line& line) {
    std::string path = TextAfterWords(line.text, 1);
    size_t slash = path.find('/');
    if (slash == std::string::npos) return Fail(line, "menu ENTRY/ITEM needed");
    if (!ChooseMenuItem(path.substr(0, slash), path.substr(slash + 1)))
        return Fail(line, "no such menu item");
    return true;
}

bool ToolBar(Line& line) {
    std::string label = TextAfterWords(line.text, 1);
    if (!PressToolButton(label)) return Fail(line, "no tool-bar button labelled \"" + label + "\"");
    return true;
}

bool ViewOpenClose(Line& line, bool open) {
    int index = -1;
    if (line.words.size() != 3 || !ParseInt(line.words[1], &index) || !ViewOfIndex(index))
        return Fail(line, "view N open|close with N 0..7");
    OrbisaView& view = *ViewOfIndex(index);
    return open ? OpenView(view) : CloseView(view);
}

bool View(Line& line) {
    if (line.words.size() < 3) return Fail(line, "view N WHAT ...");
    const std::string& what = line.words[2];
    if (what == "open" || what == "close") return ViewOpenClose(line, what == "open");
    OrbisaView* view = OpenViewAt(line);
    if (!view) return false;
    double v[6];
    auto numbers = [&](size_t count) { return Numbers(line, 3, count, v); };
    static const struct {
        const char* name;
        ViewOrientation orientation;
    } kOrientations[] = {{"top", kViewTop}, {"front", kViewFront}, {"right", kViewRight}, {"iso", kViewIso}};
    for (const auto& o : kOrientations)
        if (what == o.name && line.words.size() == 3) {
            SetViewOrientation(*view, o.orientation);
            return true;
        }
    if (what == "size") {
        int w = 0, h = 0;
        if (line.words.size() != 5 || !ParseInt(line.words[3], &w) || !ParseInt(line.words[4], &h) ||
            w < 16 || h < 16 || w > 8192 || h > 8192)
            return Fail(line, "view N size W H with 16..8192 pixels");
        if (!SetViewImageSize(w, h)) return Fail(line, "the views could not get that size");
        return true;
    }
    if (what == "camera") {
        if (!numbers(6)) return Fail(line, "view N camera EX EY EZ TX TY TZ");
        Vec3 eye = MasterToWorking(v), target = MasterToWorking(v + 3);
        if (Length(Sub(eye, target)) <= 0) return Fail(line, "eye and target must differ");
        SetViewCamera(*view, eye, target);
        return true;
    }
    if (what == "parallel" && line.words.size() == 3) {
        SetViewPerspective(*view, false);
        return true;
    }
    if (what == "perspective" && line.words.size() == 3) {
        SetViewPerspective(*view, true);
        return true;
    }
    if (what == "stereo" && line.words.size() == 4 && (line.words[3] == "on" || line.words[3] == "off")) {
        SetViewStereo(*view, line.words[3] == "on");
        return true;
    }
    if (what == "fit") {
        if (!numbers(6)) return Fail(line, "view N fit X0 Y0 Z0 X1 Y1 Z1");
        FitView(*view, MasterToWorking(v), MasterToWorking(v + 3));
        return true;
    }
    if (what == "activate" && line.words.size() == 3) {
        Host().activeView = view->index;
        RequestHeaderRepaint();
        RefreshHostToolBar();
        return true;
    }
    if (what == "zoom") {
        if (!numbers(3) || !(v[0] > 0)) return Fail(line, "view N zoom FACTOR X Y");
        GeometryZoom(view->geometry, view->width, view->height, v[1], v[2], v[0]);
        ViewNavigated(*view, false);
        return true;
    }
    if (what == "pan") {
        if (!numbers(2)) return Fail(line, "view N pan DX DY");
        GeometryPan(view->geometry, view->width, view->height, v[0], v[1]);
        ViewNavigated(*view, false);
        return true;
    }
    if (what == "rotate") {
        if (!numbers(2)) return Fail(line, "view N rotate DX DY");
        GeometryRotate(view->geometry, view->width, view->height, v[0], v[1]);
        ViewNavigated(*view, true);
        return true;
    }
    return Fail(line, "unknown view line");
}

bool Redraw(Line& line) {
    if (line.words.size() == 1) {
        RequestRedrawAll();
    } else {
        OrbisaView* view = OpenViewAt(line);
        if (!view || line.words.size() != 2) return view ? Fail(line, "redraw [N]") : false;
        RequestRedraw(*view);
    }
    FlushRedraws();
    return true;
}

bool Click(Line& line) {
    OrbisaView* view = OpenViewAt(line);
    int x = 0, y = 0;
    if (!view || !PixelInView(line, *view, 2, &x, &y)) return false;
    PlaceCursor(*view, x, y);
    SendScriptMouse(*view, WM_MOUSEMOVE, 0, x, y);
    SendScriptMouse(*view, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    SendScriptMouse(*view, WM_LBUTTONUP, 0, x, y);
    ExpectSystemMove(*view, x, y);
    return true;
}

bool Move(Line& line) {
    OrbisaView* view = OpenViewAt(line);
    int x = 0, y = 0;
    if (!view || !PixelInView(line, *view, 2, &x, &y)) return false;
    PlaceCursor(*view, x, y);
    SendScriptMouse(*view, WM_MOUSEMOVE, 0, x, y);
    ExpectSystemMove(*view, x, y);
    return true;
}

bool Reset(Line& line) {
    if (line.words.size() == 1) {
        EnterReset(nullptr);
        return true;
    }
    OrbisaView* view = OpenViewAt(line);
    if (!view || line.words.size() != 2) return view ? Fail(line, "reset [N]") : false;
    int x = view->cursorInside ? view->cursorX : view->width / 2,
        y = view->cursorInside ? view->cursorY : view->height / 2;
    SendScriptMouse(*view, WM_RBUTTONDOWN, MK_RBUTTON, x, y);
    SendScriptMouse(*view, WM_RBUTTONUP, 0, x, y);
    return true;
}

bool Snap(Line& line) {
    if (line.words.size() != 2 || (line.words[1] != "on" && line.words[1] != "off"))
        return Fail(line, "snap on|off");
    Host().snapOn = line.words[1] == "on";
    RefreshHostToolBar();
    return true;
}

bool Event(Line& line) {
    int kind = 0;
    double v[3];
    if (line.words.size() != 6 || !ParseInt(line.words[1], &kind) || !Numbers(line, 3, 3, v))
        return Fail(line, "event KIND N X Y Z");
    OrbisaView* view = OpenViewAt(line, 2);
    if (!view) return false;
    DPoint3d point{v[0], v[1], v[2]};
    OfferToListener(kind, &point, view);
    PrintLine("event " + std::to_string(kind) + " " + Point(point));
    return true;
}

bool SnapFilter(Line& line) {
    double v[3];
    OrbisaView* view = OpenViewAt(line);
    if (!view) return false;
    if (!Numbers(line, 2, 3, v)) return Fail(line, "snapfilter N X Y Z");
    DPoint3d point{v[0], v[1], v[2]};
    int result = OfferToSnapFilter(0, &point, view);
    PrintLine("snapfilter " +
              (result == -1 && !Host().snapFilter ? std::string("none") : std::to_string(result)) + " " +
              Point(point));
    return true;
}

bool Design(Line& line) {
    DesignModel model;
    if (!CadHostGetDesign(&model)) DesignDefault(&model);
    if (line.words.size() == 3 && line.words[1] == "units") {
        double units = 0;
        if (!ParseNumber(line.words[2], &units) || !(units > 0))
            return Fail(line, "design units W with W > 0");
        model.workingPerMaster = units;
        CadHostSetDesign(&model);
    } else if (line.words.size() == 2 && line.words[1] == "none") {
        CadHostSetDesign(nullptr);
    } else if (line.words.size() == 2 && line.words[1] == "default") {
        DesignDefault(&model);
        CadHostSetDesign(&model);
    } else if (line.words.size() >= 3 && line.words[1] == "open") {
        std::string why;
        if (!ReadDesignDescription(Utf8ToWideText(TextAfterWords(line.text, 2)), &model, &why))
            return Fail(line, why);
        CadHostSetDesign(&model);
    } else {
        return Fail(line, "design units W | none | default | open FILE");
    }
    RequestRedrawAll();
    return true;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (ok && written == bytes.size()) return true;
    DeleteFileW(path.c_str()); // a half-written picture is worse than none
    return false;
}

bool Save(Line& line) {
    OrbisaView* view = OpenViewAt(line);
    if (!view) return false;
    std::string path = TextAfterWords(line.text, 2);
    if (path.empty()) return Fail(line, "save N FILE");
    FlushRedraws();
    std::vector<uint8_t> png;
    if (!view->shown ||
        !PngEncodeBgrx(reinterpret_cast<const uint8_t*>(view->shown), view->width, view->height, &png))
        return Fail(line, "the view has no image");
    if (!WriteWholeFile(Utf8ToWideText(path), png)) return Fail(line, "cannot write " + path);
    return true;
}

bool Wait(Line& line) {
    int ms = 0;
    if (line.words.size() != 2 || !ParseInt(line.words[1], &ms) || ms < 0 || ms > kMaxWaitMs)
        return Fail(line, "wait MS with 0..600000");
    DWORD start = GetTickCount();
    while (!Host().quitting && GetTickCount() - start < static_cast<DWORD>(ms)) {
        SettleHost();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

bool Unload(Line& line) {
    if (line.words.size() != 2) return Fail(line, "unload NAME");
    OrbisaMiniApp* app = FindMiniApp(line.words[1]);
    if (!app) return Fail(line, "no mini app " + line.words[1] + " is loaded");
    UnloadMiniApp(app);
    return true;
}

bool Load(Line& line) {
    std::string path = TextAfterWords(line.text, 1);
    if (path.empty()) return Fail(line, "load PATH");
    LoadMiniApp(Utf8ToWideText(path), false);
    return true;
}

bool Status(Line& line) {
    if (line.words.size() != 1) return Fail(line, "status takes nothing");
    PrintLine("status prompt=" + QuoteWide(StatusPromptText().c_str()) +
              " message=" + QuoteWide(StatusMessageText().c_str()));
    return true;
}

bool Pixel(Line& line) {
    OrbisaView* view = OpenViewAt(line);
    int x = 0, y = 0;
    if (!view || !PixelInView(line, *view, 2, &x, &y)) return false;
    FlushRedraws();
    uint32_t pixel = 0;
    if (!ShownPixel(*view, x, y, &pixel)) return Fail(line, "the view has no image");
    PrintLine("pixel " + std::to_string(view->index) + " " + std::to_string(x) + " " + std::to_string(y) +
              " " + std::to_string(pixel & 0xFF) + " " + std::to_string((pixel >> 8) & 0xFF) + " " +
              std::to_string((pixel >> 16) & 0xFF));
    return true;
}

bool Params(Line& line) {
    OrbisaView* view = OpenViewAt(line);
    if (!view || line.words.size() != 2) return view ? Fail(line, "params N") : false;
    VwParams p = ParamsOf(*view);
    std::string rotation;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rotation += (rotation.empty() ? "" : ",") + FormatNumber(p.rotation[r][c]);
    auto vec = [](const DPoint3d& d) {
        return FormatNumber(d.x) + "," + FormatNumber(d.y) + "," + FormatNumber(d.z);
    };
    PrintLine("params " + std::to_string(view->index) + " open=" + std::to_string(p.open) +
              " perspective=" + std::to_string(p.perspective) + " stereo=" + std::to_string(p.stereo) +
              " size=" + std::to_string(p.imageWidth) + "," + std::to_string(p.imageHeight) +
              " origin=" + vec(p.origin) + " delta=" + vec(p.delta) + " rotation=" + rotation +
              " eye=" + vec(p.eye) + " target=" + vec(p.target) + " lens=" + FormatNumber(p.cameraLensAngle) +
              " focal=" + FormatNumber(p.cameraFocalLength));
    return true;
}

bool Print(Line& line) {
    PrintLine(TextAfterWords(line.text, 1));
    return true;
}

bool Buttons(Line& line) {
    if (line.words.size() != 1) return Fail(line, "buttons takes nothing");
    for (const std::string& text : DescribeToolButtons()) PrintLine(text);
    return true;
}

bool Menus(Line& line) {
    if (line.words.size() != 1) return Fail(line, "menus takes nothing");
    for (const std::string& text : DescribeMenus()) PrintLine(text);
    return true;
}

bool StereoMode(Line& line) {
    static const struct {
        const char* name;
        StereoLayout layout;
    } kLayouts[] = {
        {"anaglyph", kStereoAnaglyph}, {"sidebyside", kStereoSideBySide}, {"overunder", kStereoOverUnder}};
    for (const auto& l : kLayouts)
        if (line.words.size() == 2 && line.words[1] == l.name) {
            Host().stereoLayout = l.layout;
            RequestRedrawAll();
            return true;
        }
    return Fail(line, "stereomode anaglyph|sidebyside|overunder");
}

struct LineKind {
    const char* keyword;
    bool (*run)(Line&);
};

const LineKind kLines[] = {
    {"keyin", Keyin},
    {"menu", Menu},
    {"toolbar", ToolBar},
    {"view", View},
    {"redraw", Redraw},
    {"click", Click},
    {"move", Move},
    {"reset", Reset},
    {"snap", Snap},
    {"event", Event},
    {"snapfilter", SnapFilter},
    {"design", Design},
    {"save", Save},
    {"wait", Wait},
    {"unload", Unload},
    {"load", Load},
    {"status", Status},
    {"pixel", Pixel},
    {"params", Params},
    {"print", Print},
    {"buttons", Buttons},
    {"menus", Menus},
    {"stereomode", StereoMode},
};

} // namespace

ScriptLineResult RunScriptLine(const std::string& text, int depth, std::string* error) {
    Line line{text, SplitWords(text), depth, error};
    if (line.words.empty()) return kScriptLineDone;
    const std::string& keyword = line.words[0];
    if (keyword == "exit") {
        int code = Host().exitCode;
        if (line.words.size() > 2 ||
            (line.words.size() == 2 && (!ParseInt(line.words[1], &code) || code < 0))) {
            *error = "exit [CODE]";
            return kScriptLineFailed;
        }
        RequestHostExit(code);
        return kScriptLineExit;
    }
    if (keyword == "repeat") {
        int count = 0;
        if (line.words.size() < 3 || !ParseInt(line.words[1], &count) || count < 0 || count > kMaxRepeat) {
            *error = "repeat K LINE with K 0..100000";
            return kScriptLineFailed;
        }
        if (depth >= kMaxRepeatDepth) {
            *error = "repeat nested too deep";
            return kScriptLineFailed;
        }
        std::string inner = TextAfterWords(text, 2);
        for (int i = 0; i < count; ++i) {
            ScriptLineResult result = RunScriptLine(inner, depth + 1, error);
            if (result != kScriptLineDone || Host().quitting) return result;
            SettleHost();
        }
        return kScriptLineDone;
    }
    for (const LineKind& kind : kLines)
        if (keyword == kind.keyword) return kind.run(line) ? kScriptLineDone : kScriptLineFailed;
    *error = "unknown line";
    return kScriptLineFailed;
}
