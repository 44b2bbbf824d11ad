// Orbisa.CFace.dll: the host's face towards mini apps. Mini-app registration, commands and key-ins,
// main menu and tool bars, resource collections, views and their parameters, raster painting, state
// commands, snapping and the input queue, the host version.
//
// Everything here is called on the host's one thread. A mini app is a DLL (file extension ".ix")
// that exports MiniAppMain; the host loads it, calls MiniAppMain once, and at unload calls the hook
// the mini app set for event code 2 before it frees the module.
#pragma once

#include "orbisa_cadio.h"
#include "platform_export.h"

#include <windows.h>

#include <stdint.h>

#ifdef ORBISA_CFACE_BUILD
#define ORBISA_CFACE_API PLATFORM_EXPORT
#else
#define ORBISA_CFACE_API PLATFORM_IMPORT
#endif

typedef struct OrbisaMiniApp* MAppHandle;
typedef struct OrbisaView* ViewHandle;
typedef struct OrbisaDocument* DocHandle;

// ---- Mini apps -----------------------------------------------------------------------------------

// The one export of a mini app. Its result is not used by the host.
typedef int (*MiniAppMainFunc)(void);
#define MINIAPP_MAIN_NAME "MiniAppMain"

// Event hooks set with MAppSetFunc. Event code 2: the mini app is about to be unloaded (at an unload
// request or at the end of the host); event code 0: the host is idle after a command. The result is
// the mini app's; the host ignores it.
typedef int (*MAppEventFunc)(void);
enum MAppEventCode { MAppEventIdle = 0, MAppEventUnload = 2 };

// A command handler. argument is the key-in's text after the phrase, without surrounding blanks;
// empty when nothing followed it, null when the command came from a menu item or a tool-bar button.
typedef void (*MAppCommandFunc)(const wchar_t* argument);

// One command of the table handed to MAppCmdHooksPublish; the table ends with an all-zero record.
struct MAppCmdHook {
    int64_t id;              // 32-bit command id, held in a 64-bit slot
    MAppCommandFunc handler; //
    const char* name;        // command name, unique within the mini app
    const char* label;       // shown on menus and tool bars
};

// One key-in of the table handed to MAppCmdSpaccelsPublish; the table ends with an all-zero record.
struct MAppSpaccel {
    const wchar_t* commandName; // a name of the command table
    const wchar_t* keyin;       // the phrase a user types; blanks inside it must be typed as they are
    void* reserved;             // null
};

// ---- Menus and tool bars ---------------------------------------------------------------------------

// Called when the user chooses a main-menu item.
typedef void (*WndMenuFunc)(void);

// One button of a tool bar; the table ends with an all-zero item.
struct DlgToolBarItem {
    const char* iconPath; // path of an .ico file in a registered resource collection (":/icons/x.ico")
    const char* label;    // tooltip; shown as the button's text when the icon cannot be had
    int64_t commandId;    // 32-bit id of a command of the mini app, held in a 64-bit slot
    void* reserved;       // null
    const char* group;    // neighbouring items of one group sit together; groups are set apart by a gap
};

// A tool bar of the mini app that creates it.
struct DlgToolBarDesc {
    const char* name;            // unique name of the tool bar
    void* reserved1;             // null
    void* reserved2;             // null
    int32_t dock;                // 2: docked in the host's tool-bar area (the only place there is)
    int32_t visible;             // 1: shown at once, 0: created hidden
    const DlgToolBarItem* items; //
};

// ---- Views -----------------------------------------------------------------------------------------

// Everything the host knows of one view. Geometry is in working units of the active design file:
// origin is the lower-left back corner of the view box, delta its extents along the view's axes, and
// the rows of rotation are the view's x (right), y (up) and z (towards the viewer) axes in design
// coordinates, so that a design vector v has view coordinates rotation x v.
struct VwParams {
    DPoint3d origin;
    DPoint3d delta;
    double rotation[3][3];
    DPoint3d eye;            // perspective views: the camera position (parallel: in front of the centre)
    DPoint3d target;         // perspective views: the point the camera looks at (parallel: the centre)
    float cameraLensAngle;   // perspective views: full vertical lens angle, radians; 0 in parallel views
    float cameraFocalLength; // perspective views: eye-to-target distance, working units; 0 in parallel views
    int32_t imageWidth;      // client size of the view in pixels
    int32_t imageHeight;
    int32_t perspective; // 1 camera view, 0 parallel
    int32_t stereo;      // 1 when the user switched stereo on for the view
    int32_t index;       // 0..7
    int32_t open;        // 1 when the view window exists
};

// The hook of ViewsSetFuncOnUpdate, called on every redraw of a view, first with phase 0 (before the
// host paints its own contents), then with phase 1 (the mini app's turn to paint), then the host
// draws its overlays. document and viewIndex are the view's; view is its handle. Returns 1.
typedef int (*ViewsUpdateFunc)(int phase, DocHandle document, intptr_t viewIndex, ViewHandle view);

// A pair of 32-bit ints: a raster position or size in pixels.
struct RasterPoint {
    int32_t x, y;
};

// Raster format 5: 4 bytes per pixel, blue, green, red, unused; rows from the top.
enum DrawRasterFormat { DrawRasterFormatBgrx = 5 };

// ---- State commands and input ----------------------------------------------------------------------

// Data-point, reset and motion functions of a state command. point is in working units (null for a
// reset), or in the current transform's units once the command called StateCmdUseCurrentTransform(1);
// viewIndex is the view it happened in (the view of the last click for a reset).
typedef void (*StateFunc)(const DPoint3d* point, int viewIndex);
enum StateFuncKind { StateFuncMotion = 4 };

// A point to be snapped (mode 0 is a data point entered with snapping on). Returns 1 when it replaced
// the point, which the host then takes as it stands; 0 lets the host go on as usual.
typedef int (*SnapFilterFunc)(int mode, DPoint3d* point, ViewHandle view);
// An event of the input queue before the host acts on it; kind 2 is a data point, whose point the
// listener may rewrite (working units), kind 1 a reset (its point is the cursor's; rewriting it changes
// nothing).
typedef void (*InputQueueListenerFunc)(int kind, DPoint3d* point, ViewHandle view);
enum InputEventKind { InputEventReset = 1, InputEventDataPoint = 2, InputEventKeyin = 3 };

extern "C" {

// Mini apps. MAppThis(0) is the mini app whose MiniAppMain, command or callback is running; MAppByName
// finds a loaded mini app by its module name without extension ("ocular" for ocular.ix). The active
// stack decides which mini app host calls act for; MAppPopActive never pops below the bottom entry.
ORBISA_CFACE_API int MAppSetFunc(int eventCode, MAppEventFunc hook);
ORBISA_CFACE_API MAppHandle MAppThis(int reserved);
ORBISA_CFACE_API MAppHandle MAppByName(const char* name);
ORBISA_CFACE_API int MAppPushActive(MAppHandle app);
ORBISA_CFACE_API int MAppPopActive(void);
// Both take the table as it is (it must live as long as the mini app) and return the number of records
// taken, or a negative value when the table is null.
ORBISA_CFACE_API int MAppCmdHooksPublish(const MAppCmdHook* table);
ORBISA_CFACE_API int MAppCmdSpaccelsPublish(const MAppSpaccel* table);

// User interface. WndMainMenuAddItem with parent 0 adds a top-level entry (callback ignored); with a
// top-level entry's handle, an item under it. Returns the new entry's handle, 0 on failure.
ORBISA_CFACE_API HWND WndGetTopWindowHandle(void);
ORBISA_CFACE_API intptr_t WndMainMenuAddItem(const char* label, WndMenuFunc callback, intptr_t parent);
ORBISA_CFACE_API int WndMainMenuAddSeparator(intptr_t parent);
// Creates and shows the tool bar; returns 0 on success, negative when the descriptor is unusable.
ORBISA_CFACE_API int DlgToolBarCreate(const DlgToolBarDesc* descriptor);

// Resource collections in the binary format of Qt's resource compiler (format version 1: a tree
// table, a names table and a data blob; compressed entries hold zlib streams behind a 4-byte
// big-endian length). Registered collections are searched for tool-bar icons. Returns 1 when taken.
ORBISA_CFACE_API int RegisterResourceData(int version, const unsigned char* tree, const unsigned char* names,
                                          const unsigned char* data);
ORBISA_CFACE_API int UnregisterResourceData(int version, const unsigned char* tree,
                                            const unsigned char* names, const unsigned char* data);

// Views. A null hook removes the update hook of the calling mini app.
ORBISA_CFACE_API int ViewsSetFuncOnUpdate(ViewsUpdateFunc hook);
// 0..7 for the host's views, -1 for anything else.
ORBISA_CFACE_API int ViewGetIndex(ViewHandle view);
ORBISA_CFACE_API DocHandle DocGetActive(void);
// The three fill params for a view; each returns 0 on success, negative when the view is not open (or
// does not exist) or params is null.
ORBISA_CFACE_API int VwGetParams(VwParams* params, int viewIndex);
ORBISA_CFACE_API int VwParamsByView(VwParams* params, ViewHandle view);
ORBISA_CFACE_API int VwParamsByDocAndIndex(VwParams* params, DocHandle document, int viewIndex);
// Non-zero for an open camera view; eye and target (working units), lens angle (radians) and
// eye-to-target distance (working units) are written where the pointers are not null.
ORBISA_CFACE_API int VwIsPerspective(DPoint3d* eye, DPoint3d* target, double* lensAngle, double* focalLength,
                                     int viewIndex);
// Bit 0: stereo switched on for the view. eyeSeparation and convergence (working units) are written
// where the pointers are not null.
ORBISA_CFACE_API int VwIsStereo(int viewIndex, double* eyeSeparation, double* convergence);
ORBISA_CFACE_API int VwGetIsVisible(int viewIndex);
// Asks for a redraw of the view (done before the host waits for input again); ignored for a closed view.
ORBISA_CFACE_API int VwUpdate(int viewIndex);
// The view of the last data point or reset the user gave, -1 when there was none.
ORBISA_CFACE_API int VwGetLastClick(void);

// Painting, only during phase 1 of an update hook. origin is where the raster's top-left pixel goes in
// the view, size the part of the raster to paint; width and height are the raster's own dimensions.
// Whatever would fall outside the view or the raster is clipped. eye 0 is the left eye, 1 the right;
// a stereo pair is shown once both eyes were given in the same update. Both return 0 when painted,
// negative otherwise: -1 not a view, -2 not during phase 1 of that view's update, -3 another format,
// -4 a null argument, -5 an unusable raster size, -6 (stereo) an eye other than 0 and 1.
ORBISA_CFACE_API int DrawRaster(ViewHandle view, const RasterPoint* origin, const RasterPoint* size,
                                int width, int height, int format, const void* pixels);
ORBISA_CFACE_API int DrawRasterStereo(ViewHandle view, int eye, const RasterPoint* origin,
                                      const RasterPoint* size, int width, int height, int format,
                                      const void* pixels);

// State commands. StateCmd replaces the running state command; name and prompt are UTF-8 and show in
// the status line. StateSetFunc(4, f) sets the motion function of the running command (null removes it).
ORBISA_CFACE_API int StateCmd(StateFunc dataPoint, StateFunc reset, const char* name, const char* prompt);
ORBISA_CFACE_API int StateCmdUseCurrentTransform(int use);
ORBISA_CFACE_API int StateSetFunc(int kind, StateFunc function);
ORBISA_CFACE_API int StateCmdStop(void);

// Input. One filter and one listener per host; context is kept and not interpreted.
ORBISA_CFACE_API int SnapSetFilterFunction(SnapFilterFunc filter, intptr_t context);
ORBISA_CFACE_API int SetInputQueueEventListener(InputQueueListenerFunc listener, intptr_t context);

// The host's version numbers; the four further arguments are reserved and must be null.
ORBISA_CFACE_API int OrbisaVersionGetInfo(int* major, int* minor, void* reserved1, void* reserved2,
                                          void* reserved3, void* reserved4);

} // extern "C"
