// The state of the Orbisa host: one instance for the life of the process, on the host's one thread.
// The handle types of the mini apps' interface are pointers to the records here.
#pragma once

#include "orbisa_cface.h"
#include "parts/raster_copy.h"
#include "parts/view_math.h"

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

constexpr int kMaxMiniApps = 64;
constexpr int kMaxViews = 8;
constexpr int kMaxEventCodes = 8;

struct OrbisaMiniApp {
    bool used;    // the slot was taken (slots are never reused, so old handles stay recognisable)
    bool loaded;  // loaded and running; false after unload or a failed start
    bool crashed; // crashed in MiniAppMain: kept in memory, never called again
    std::wstring path;
    std::string name; // module file name without extension: "ocular" for ocular.ix
    HMODULE module;
    uintptr_t imageStart, imageEnd;
    MAppEventFunc hooks[kMaxEventCodes];
    ViewsUpdateFunc updateHook;
};

struct HostCommand {
    OrbisaMiniApp* app;
    int64_t id;
    MAppCommandFunc handler;
    std::string name;
    std::string label;
};

struct HostKeyin {
    OrbisaMiniApp* app;
    std::string commandName; // UTF-8 of the wide name
    std::wstring phrase;
};

enum DragKind { kDragNone = 0, kDragPan, kDragRotate, kDragRight };

struct OrbisaView {
    int index;
    bool open;
    HWND window;
    int width, height; // client size
    ViewGeometry geometry;
    std::string orientation; // "Top", "Front", "Right", "Iso" or "Rotated"
    bool stereo;
    // The image: contents (background, host drawing, the mini apps' rasters) and what is shown
    // (contents with the host's overlays), each a DIB section of width x height 4-byte pixels.
    HBITMAP contentBitmap, shownBitmap;
    uint32_t* content;
    uint32_t* shown;
    std::vector<uint32_t> eyes[2];
    bool eyeGiven[2];
    bool needsRedraw;
    bool updating; // an update is running; DrawRaster is allowed during its phase 1
    int phase;
    bool cursorInside;
    int cursorX, cursorY;
    int lastMotionX, lastMotionY;
    DragKind drag;
    POINT dragStart, dragLast;
    bool dragMoved;
};

struct OrbisaDocument {
    int views; // the one document of the host holds the eight views
};

struct StateCommand {
    bool running;
    OrbisaMiniApp* app;
    StateFunc dataPoint, reset, motion;
    std::string name, prompt;
    bool useCurrentTransform;
};

struct HostState {
    HINSTANCE instance;
    HWND main, toolArea, keyinLabel, keyinEdit, statusBar, tooltip;
    bool scriptMode;
    // Unattended runs on a display others share: only the script's own mouse messages reach the views,
    // so a pointer moved or resting over them cannot change what the script sees and saves.
    bool scriptPointerOnly;
    int scriptMouseSends; // above 0 while the script sends a view a mouse message
    bool quitting;
    int exitCode;

    OrbisaMiniApp apps[kMaxMiniApps];
    int appCount;
    // Mini apps that host calls act for; the host's own entry (null) is at the bottom.
    std::vector<OrbisaMiniApp*> activeStack;

    std::vector<HostCommand> commands;
    std::vector<HostKeyin> keyins;

    OrbisaDocument document;
    OrbisaView views[kMaxViews];
    int activeView;
    int lastClickView;
    OrbisaView* updatingView;
    StereoLayout stereoLayout;
    // The design range the host draws as a box and fits, working units.
    Vec3 rangeLow, rangeHigh;
    std::vector<Vec3> markers;

    StateCommand state;
    bool snapOn;
    SnapFilterFunc snapFilter;
    intptr_t snapContext;
    OrbisaMiniApp* snapOwner;
    InputQueueListenerFunc listener;
    intptr_t listenerContext;
    OrbisaMiniApp* listenerOwner;

    std::wstring statusMessage;
};

HostState& Host();

// The mini app host calls act for now (top of the active stack), or null for the host itself.
OrbisaMiniApp* ActiveApp();

// Makes an app active for a call into it and restores the stack to its depth before on the way out,
// whatever the app pushed or popped meanwhile.
class ActiveScope {
public:
    explicit ActiveScope(OrbisaMiniApp* app);
    ~ActiveScope();
    ActiveScope(const ActiveScope&) = delete;
    ActiveScope& operator=(const ActiveScope&) = delete;

private:
    size_t depth_;
};

// The view of a handle, or null when it is none of the host's.
OrbisaView* ViewOfHandle(ViewHandle view);
// The view of an index, or null outside 0..7.
OrbisaView* ViewOfIndex(int index);
// A mini app of a handle, or null when the handle is none of the host's loaded ones.
OrbisaMiniApp* AppOfHandle(MAppHandle app);
