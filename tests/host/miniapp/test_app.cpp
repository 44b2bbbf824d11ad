// testapp.ix: a small mini app of the host's tests. It registers key-ins (all beginning with "tm"),
// a menu, a tool bar and a resource collection of icons, paints into views as told, runs a state
// command and installs an input listener and a snap filter, and prints what happens to standard output,
// one line each, so that the tests can compare.
#include "orbisa_cface.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

// The compiled icon collection (rcc --format-version 1, C++ form) calls these two names.
bool qRegisterResourceData(int version, const unsigned char* tree, const unsigned char* names,
                           const unsigned char* data) {
    return RegisterResourceData(version, tree, names, data) == 1;
}
bool qUnregisterResourceData(int version, const unsigned char* tree, const unsigned char* names,
                             const unsigned char* data) {
    return UnregisterResourceData(version, tree, names, data) == 1;
}
unsigned char qResourceFeatureZlib() {
    return 0;
}

namespace {

void Say(const char* format, ...) {
    char text[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fputs(text, stdout);
    fputs("\n", stdout);
    fflush(stdout);
}

std::string Narrow(const wchar_t* text) {
    if (!text) return "null";
    char bytes[1024];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return n > 0 ? "\"" + std::string(bytes) + "\"" : "\"\"";
}

std::vector<std::string> Words(const wchar_t* argument) {
    std::vector<std::string> words;
    std::string text = Narrow(argument);
    if (text == "null") return words;
    text = text.substr(1, text.size() - 2);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

double Number(const std::vector<std::string>& words, size_t i) {
    return i < words.size() ? strtod(words[i].c_str(), nullptr) : 0;
}

MAppHandle g_self = nullptr;

// ---- painting ----------------------------------------------------------------------------------------

enum PaintMode { kPaintOff, kPaintMono, kPaintRect, kPaintStereo, kPaintOneEye };
struct PaintOrder {
    PaintMode mode = kPaintOff;
    unsigned colour = 0, colour2 = 0;
    int x = 0, y = 0, w = 0, h = 0, rasterW = 0, rasterH = 0;
} g_paint;

int g_hookCalls[8][2];
ViewHandle g_viewHandles[8];

// A raster of the given colour whose last byte is the last of a committed page, with no access behind
// it: a host that reads past the raster crashes.
struct GuardedRaster {
    unsigned char* base = nullptr;
    unsigned char* pixels = nullptr;
    GuardedRaster(int width, int height, unsigned colour) {
        size_t bytes = size_t(width) * height * 4, page = 4096;
        size_t committed = (bytes + page - 1) / page * page;
        base =
            static_cast<unsigned char*>(VirtualAlloc(nullptr, committed + page, MEM_RESERVE, PAGE_NOACCESS));
        VirtualAlloc(base, committed, MEM_COMMIT, PAGE_READWRITE);
        pixels = base + committed - bytes;
        for (size_t i = 0; i < bytes; i += 4) {
            pixels[i] = static_cast<unsigned char>(colour);
            pixels[i + 1] = static_cast<unsigned char>(colour >> 8);
            pixels[i + 2] = static_cast<unsigned char>(colour >> 16);
            pixels[i + 3] = 0;
        }
    }
    ~GuardedRaster() { VirtualFree(base, 0, MEM_RELEASE); }
};

int PaintView(ViewHandle view, int width, int height) {
    RasterPoint origin{0, 0}, size{width, height};
    switch (g_paint.mode) {
        case kPaintMono: {
            GuardedRaster raster(width, height, g_paint.colour);
            return DrawRaster(view, &origin, &size, width, height, 5, raster.pixels);
        }
        case kPaintRect: {
            GuardedRaster raster(g_paint.rasterW, g_paint.rasterH, g_paint.colour);
            RasterPoint at{g_paint.x, g_paint.y}, part{g_paint.w, g_paint.h};
            return DrawRaster(view, &at, &part, g_paint.rasterW, g_paint.rasterH, 5, raster.pixels);
        }
        case kPaintStereo:
        case kPaintOneEye: {
            GuardedRaster left(width, height, g_paint.colour), right(width, height, g_paint.colour2);
            int a = DrawRasterStereo(view, 0, &origin, &size, width, height, 5, left.pixels);
            int b = g_paint.mode == kPaintStereo
                        ? DrawRasterStereo(view, 1, &origin, &size, width, height, 5, right.pixels)
                        : 0;
            return a < 0 ? a : b;
        }
        default:
            return 0;
    }
}

int UpdateHook(int phase, DocHandle document, intptr_t viewIndex, ViewHandle view) {
    if (viewIndex >= 0 && viewIndex < 8) {
        g_hookCalls[viewIndex][phase ? 1 : 0]++;
        g_viewHandles[viewIndex] = view;
    }
    if (phase == 0 || g_paint.mode == kPaintOff) return 1;
    VwParams params{};
    if (VwParamsByDocAndIndex(&params, document, int(viewIndex)) < 0) return 1;
    int result = PaintView(view, params.imageWidth, params.imageHeight);
    if (result < 0) Say("paint failed %d", result);
    return 1;
}

// ---- commands ----------------------------------------------------------------------------------------

void Echo(const wchar_t* argument) {
    Say("echo %s", Narrow(argument).c_str());
}
void EchoLong(const wchar_t* argument) {
    Say("echo-long %s", Narrow(argument).c_str());
}
void TwoBlanks(const wchar_t* argument) {
    Say("two-blanks %s", Narrow(argument).c_str());
}

unsigned Colour(const std::string& hex) {
    return static_cast<unsigned>(strtoul(hex.c_str(), nullptr, 16));
}

void Paint(const wchar_t* argument) {
    std::vector<std::string> w = Words(argument);
    PaintOrder order;
    if (w.size() == 2 && w[0] == "mono")
        order.mode = kPaintMono, order.colour = Colour(w[1]);
    else if (w.size() == 3 && w[0] == "stereo")
        order.mode = kPaintStereo, order.colour = Colour(w[1]), order.colour2 = Colour(w[2]);
    else if (w.size() == 2 && w[0] == "lefteye")
        order.mode = kPaintOneEye, order.colour = Colour(w[1]);
    else if (w.size() == 8 && w[0] == "rect") {
        order.mode = kPaintRect;
        order.x = atoi(w[1].c_str()), order.y = atoi(w[2].c_str()), order.w = atoi(w[3].c_str());
        order.h = atoi(w[4].c_str()), order.rasterW = atoi(w[5].c_str()), order.rasterH = atoi(w[6].c_str());
        order.colour = Colour(w[7]);
    }
    g_paint = order;
    for (int i = 0; i < 8; ++i) VwUpdate(i);
}

void HookCounts(const wchar_t*) {
    for (int i = 0; i < 4; ++i) Say("hooks %d %d %d", i, g_hookCalls[i][0], g_hookCalls[i][1]);
}

std::string Vec(const DPoint3d& p) {
    char text[128];
    snprintf(text, sizeof text, "%.6f,%.6f,%.6f", p.x, p.y, p.z);
    return text;
}

void Params(const wchar_t* argument) {
    int index = atoi(Words(argument).empty() ? "0" : Words(argument)[0].c_str());
    VwParams p{};
    int result = VwGetParams(&p, index);
    if (result < 0) {
        Say("app-params %d result %d", index, result);
        return;
    }
    VwParams byView{};
    int byViewResult = VwParamsByView(&byView, g_viewHandles[index]);
    // The view centre as the plug-in computes it: origin + rotation^-1 x delta / 2 (rotation orthonormal).
    DPoint3d centre = p.origin;
    for (int c = 0; c < 3; ++c) {
        double d =
            (p.rotation[0][c] * p.delta.x + p.rotation[1][c] * p.delta.y + p.rotation[2][c] * p.delta.z) / 2;
        (&centre.x)[c] += d;
    }
    DPoint3d eye{}, target{};
    double lens = 0, focal = 0, separation = 0, convergence = 0;
    int perspective = VwIsPerspective(&eye, &target, &lens, &focal, index);
    int stereo = VwIsStereo(index, &separation, &convergence);
    Say("app-params %d result %d byview %d index %d size %d,%d centre %s delta %s perspective %d eye %s "
        "target %s "
        "lens %.6f focal %.6f stereo %d visible %d",
        index, result, byViewResult, ViewGetIndex(g_viewHandles[index]), p.imageWidth, p.imageHeight,
        Vec(centre).c_str(), Vec(p.delta).c_str(), perspective, Vec(eye).c_str(), Vec(target).c_str(), lens,
        focal, stereo & 1, VwGetIsVisible(index));
}

void StateReset(const DPoint3d* point, int view) {
    Say("state-reset view %d point %s last %d", view, point ? "non-null" : "null", VwGetLastClick());
    StateSetFunc(StateFuncMotion, nullptr);
    StateCmdStop();
}

void StateMotion(const DPoint3d* point, int view) {
    POINT cursor{};
    GetCursorPos(&cursor);
    Say("state-motion %s view %d cursor %ld,%ld", Vec(*point).c_str(), view, cursor.x, cursor.y);
}

void StateAccept(const DPoint3d* point, int view) {
    Say("state-accept %s view %d", Vec(*point).c_str(), view);
    StateSetFunc(StateFuncMotion, nullptr);
    StateCmdStop();
}

void StateFirst(const DPoint3d* point, int view) {
    POINT cursor{};
    GetCursorPos(&cursor);
    Say("state-first %s view %d cursor %ld,%ld", Vec(*point).c_str(), view, cursor.x, cursor.y);
    StateCmd(StateAccept, StateReset, "Test State", "Move, then accept");
    StateSetFunc(StateFuncMotion, StateMotion);
}

void State(const wchar_t* argument) {
    std::vector<std::string> w = Words(argument);
    StateCmd(StateFirst, StateReset, "Test State", "Enter a first point");
    if (!w.empty() && w[0] == "current") {
        CurrTransIdentity();
        CurrTransBegin();
        CurrTransSetMasterUnitsIdentity(1);
        StateCmdUseCurrentTransform(1);
    }
}

DPoint3d g_listenOffset, g_filterOffset;
bool g_filterPasses = false;

void Listener(int kind, DPoint3d* point, ViewHandle view) {
    Say("listener kind %d point %s view %d", kind, Vec(*point).c_str(), ViewGetIndex(view));
    if (kind != 2) return;
    point->x += g_listenOffset.x, point->y += g_listenOffset.y, point->z += g_listenOffset.z;
}

int Filter(int mode, DPoint3d* point, ViewHandle view) {
    Say("filter mode %d point %s view %d", mode, Vec(*point).c_str(), ViewGetIndex(view));
    if (mode != 0 || g_filterPasses) return 0;
    point->x += g_filterOffset.x, point->y += g_filterOffset.y, point->z += g_filterOffset.z;
    return 1;
}

void Listen(const wchar_t* argument) {
    std::vector<std::string> w = Words(argument);
    if (!w.empty() && w[0] == "off") {
        SetInputQueueEventListener(nullptr, 0);
        return;
    }
    g_listenOffset = {Number(w, 0), Number(w, 1), Number(w, 2)};
    SetInputQueueEventListener(Listener, 0);
}

void SnapFilterCommand(const wchar_t* argument) {
    std::vector<std::string> w = Words(argument);
    g_filterPasses = !w.empty() && w[0] == "pass";
    g_filterOffset = {Number(w, 0), Number(w, 1), Number(w, 2)};
    SnapSetFilterFunction(Filter, 7);
}

void Units(const wchar_t*) {
    CurrTransIdentity();
    CurrTransBegin();
    CurrTransSetMasterUnitsIdentity(1);
    DPoint3d point{1000, 2000, 30}, delta{1000, 2000, 30};
    CurrTransTransformPts(&point, 1, 1);
    CurrTransTransformDelta(&delta, 1, 1);
    CadFileHandle file = CadFileGetActive();
    DPoint3d origin{};
    double perMaster = 0;
    int o = CadFileGetOrigin(file, &origin), u = CadFileGetWorldsPerMainUnit(file, &perMaster);
    Say("units file %s origin %d %s perMaster %d %.6f point %s delta %s", file ? "non-null" : "null", o,
        Vec(origin).c_str(), u, perMaster, Vec(point).c_str(), Vec(delta).c_str());
    const int indices[] = {0, 1, 3, 255, 256, -1};
    for (int index : indices) {
        CadColor colour{{9, 9, 9}};
        int r = CadFileColorFromIndex(file, &colour, index);
        Say("colour %d result %d bytes %d %d %d", index, r, colour.bytes[0], colour.bytes[1],
            colour.bytes[2]);
    }
    CurrTransIdentity();
}

// A resource collection read from a binary .rcc file and placed so that it ends against memory that
// cannot be read: a host that walks past the file's bytes crashes.
struct LoadedCollection {
    unsigned char* base = nullptr;
    const unsigned char *tree = nullptr, *names = nullptr, *data = nullptr;
};
std::vector<LoadedCollection> g_collections;

unsigned BigEndian(const unsigned char* p) {
    return (unsigned(p[0]) << 24) | (unsigned(p[1]) << 16) | (unsigned(p[2]) << 8) | p[3];
}

void Resources(const wchar_t* argument) {
    std::string path = Narrow(argument);
    path = path.size() >= 2 ? path.substr(1, path.size() - 2) : path;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        Say("resources cannot open %s", path.c_str());
        return;
    }
    std::vector<unsigned char> bytes;
    int c;
    while ((c = fgetc(file)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
    fclose(file);
    size_t page = 4096, committed = (bytes.size() + page - 1) / page * page + page;
    LoadedCollection loaded;
    loaded.base =
        static_cast<unsigned char*>(VirtualAlloc(nullptr, committed + 16 * page, MEM_RESERVE, PAGE_NOACCESS));
    VirtualAlloc(loaded.base, committed, MEM_COMMIT, PAGE_READWRITE);
    unsigned char* blob = loaded.base + committed - bytes.size();
    if (!bytes.empty()) memcpy(blob, bytes.data(), bytes.size());
    unsigned tree = bytes.size() >= 20 ? BigEndian(blob + 8) : 0,
             data = bytes.size() >= 20 ? BigEndian(blob + 12) : 0;
    unsigned names = bytes.size() >= 20 ? BigEndian(blob + 16) : 0;
    // Offsets are used as they stand, wherever they point.
    loaded.tree = reinterpret_cast<const unsigned char*>(reinterpret_cast<uintptr_t>(blob) + tree);
    loaded.names = reinterpret_cast<const unsigned char*>(reinterpret_cast<uintptr_t>(blob) + names);
    loaded.data = reinterpret_cast<const unsigned char*>(reinterpret_cast<uintptr_t>(blob) + data);
    int result = RegisterResourceData(1, loaded.tree, loaded.names, loaded.data);
    g_collections.push_back(loaded);
    Say("resources %d", result);
}

void Unregister(const wchar_t*) {
    if (g_collections.empty()) return;
    const LoadedCollection& last = g_collections.back();
    Say("unregister %d", UnregisterResourceData(1, last.tree, last.names, last.data));
}

// Tool bars: "tm toolbar NAME VISIBLE icon|label|id|group;..." (labels may hold blanks).
struct KeptToolBar {
    std::vector<std::string> texts;
    std::vector<DlgToolBarItem> items;
    DlgToolBarDesc descriptor;
};
std::vector<KeptToolBar*> g_toolbars;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t at = 0;
    while (true) {
        size_t end = text.find(separator, at);
        parts.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) return parts;
        at = end + 1;
    }
}

void ToolBarCommand(const wchar_t* argument) {
    std::string text = Narrow(argument);
    text = text.substr(1, text.size() - 2);
    size_t first = text.find(' '), second = text.find(' ', first + 1);
    auto* bar = new KeptToolBar; // kept for the mini app's life, as the host wants
    bar->texts.reserve(256);
    bar->texts.push_back(text.substr(0, first));
    int visible = atoi(text.substr(first + 1, second - first - 1).c_str());
    for (const std::string& item : Split(text.substr(second + 1), ';')) {
        std::vector<std::string> fields = Split(item, '|');
        if (fields.size() != 4) continue;
        bar->texts.push_back(fields[0]);
        const char* icon = bar->texts.back().c_str();
        bar->texts.push_back(fields[1]);
        const char* label = bar->texts.back().c_str();
        bar->texts.push_back(fields[3]);
        bar->items.push_back({icon, label, atoi(fields[2].c_str()), nullptr, bar->texts.back().c_str()});
    }
    bar->items.push_back({nullptr, nullptr, 0, nullptr, nullptr});
    bar->descriptor = {bar->texts[0].c_str(), nullptr, nullptr, 2, visible, bar->items.data()};
    g_toolbars.push_back(bar);
    Say("toolbar-create %d", DlgToolBarCreate(&bar->descriptor));
}

void Active(const wchar_t*) {
    MAppHandle self = MAppThis(0), byName = MAppByName("testapp");
    int push = MAppPushActive(byName), pushedThis = MAppThis(0) == g_self;
    int pop = MAppPopActive();
    Say("active this %d byname %d push %d pushed-this %d pop %d unknown %s", self == g_self, byName == g_self,
        push, pushedThis, pop, MAppByName("nosuchapp") ? "found" : "null");
}

void Version(const wchar_t*) {
    int major = -1, minor = -1;
    int result = OrbisaVersionGetInfo(&major, &minor, nullptr, nullptr, nullptr, nullptr);
    HWND top = WndGetTopWindowHandle();
    wchar_t title[64] = L"";
    GetWindowTextW(top, title, 64);
    Say("version %d %d %d top %s", result, major, minor, Narrow(title).c_str());
}

void UpdateCommand(const wchar_t* argument) {
    int index = atoi(Words(argument).empty() ? "0" : Words(argument)[0].c_str());
    Say("update %d", VwUpdate(index));
}

// Painting outside a view's update is refused.
void DrawNow(const wchar_t*) {
    unsigned pixel = 0;
    RasterPoint origin{0, 0}, size{1, 1};
    Say("drawnow %d %d", DrawRaster(g_viewHandles[0], &origin, &size, 1, 1, 5, &pixel),
        DrawRaster(nullptr, &origin, &size, 1, 1, 5, &pixel));
}

void Stop(const wchar_t*) {
    Say("stop %d", StateCmdStop());
}

int g_idle = 0;
int IdleHook() {
    ++g_idle;
    return 0;
}
void Idle(const wchar_t*) {
    Say("idle %d", g_idle);
}

int UnloadHook() {
    Say("unload hook this %d", MAppThis(0) == g_self);
    ViewsSetFuncOnUpdate(nullptr);
    return 0;
}

void MenuFirst() {
    Say("menu first this %d", MAppThis(0) == g_self);
}
void MenuSecond() {
    Say("menu second");
}

const MAppCmdHook kCommands[] = {
    {1, Echo, "Echo", "Echo"},
    {2, EchoLong, "EchoLong", "Echo Long"},
    {3, TwoBlanks, "TwoBlanks", "Two  Blanks"},
    {4, Paint, "Paint", "Paint"},
    {5, HookCounts, "HookCounts", "Hook Counts"},
    {6, Params, "Params", "Params"},
    {7, State, "State", "State"},
    {8, Listen, "Listen", "Listen"},
    {9, SnapFilterCommand, "SnapFilter", "Snap Filter"},
    {10, Units, "Units", "Units"},
    {11, Resources, "Resources", "Resources"},
    {12, Unregister, "Unregister", "Unregister"},
    {13, ToolBarCommand, "ToolBar", "Tool Bar"},
    {14, Active, "Active", "Active"},
    {15, Version, "Version", "Version"},
    {16, UpdateCommand, "Update", "Update"},
    {17, Stop, "Stop", "Stop"},
    {18, Idle, "Idle", "Idle"},
    {19, DrawNow, "DrawNow", "Draw Now"},
    {0, nullptr, nullptr, nullptr},
};

const MAppSpaccel kKeyins[] = {
    {L"Echo", L"tm echo", nullptr},
    {L"EchoLong", L"tm echo long", nullptr},
    {L"TwoBlanks", L"tm two  blanks", nullptr},
    {L"Paint", L"tm paint", nullptr},
    {L"HookCounts", L"tm hooks", nullptr},
    {L"Params", L"tm params", nullptr},
    {L"State", L"tm state", nullptr},
    {L"Listen", L"tm listen", nullptr},
    {L"SnapFilter", L"tm snapfilter", nullptr},
    {L"Units", L"tm units", nullptr},
    {L"Resources", L"tm resources", nullptr},
    {L"Unregister", L"tm unregister", nullptr},
    {L"ToolBar", L"tm toolbar", nullptr},
    {L"Active", L"tm active", nullptr},
    {L"Version", L"tm version", nullptr},
    {L"Update", L"tm update", nullptr},
    {L"Stop", L"tm stop", nullptr},
    {L"Idle", L"tm idle", nullptr},
    {L"DrawNow", L"tm drawnow", nullptr},
    {nullptr, nullptr, nullptr},
};

} // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    // The compiled collection registers itself while the module loads and unregisters itself when it
    // goes (Qt's generated code has a static object for that).
    if (reason == DLL_PROCESS_DETACH) Say("detached");
    return TRUE;
}

extern "C" __declspec(dllexport) int MiniAppMain(void) {
    MAppSetFunc(MAppEventUnload, UnloadHook);
    MAppSetFunc(MAppEventIdle, IdleHook);
    g_self = MAppThis(0);
    int commands = MAppCmdHooksPublish(kCommands);
    int keyins = MAppCmdSpaccelsPublish(kKeyins);
    Say("main commands %d keyins %d", commands, keyins);
    intptr_t entry = WndMainMenuAddItem("Test App", nullptr, 0);
    WndMainMenuAddItem("First Item", MenuFirst, entry);
    WndMainMenuAddSeparator(entry);
    WndMainMenuAddItem("Second Item", MenuSecond, entry);
    ViewsSetFuncOnUpdate(UpdateHook);
    return 0;
}
