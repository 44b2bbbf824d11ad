// The toolkit's process-wide application state: start and end, fonts, measured metrics and the
// character units every dialog is laid out in, the colour palette and the command hooks.
#pragma once

#include <windows.h>

// Everything a layout needs, measured once from the regular font by AppStart. All values are pixels.
struct AppMetrics {
    int W;                 // average character width of the regular font
    int H;                 // character cell height of the regular font
    int columnUnit;        // W + 1
    int pad;               // vertical pad above a control inside its line
    int lineUnit;          // height of one line
    int halfPad;           // (2 * pad - 4) / 2
    int textPadHeight;     // pad + H: the smallest height of a drop-down entry
    int controlTextHeight; // H + 4: edit fields, row-box rows
    int rowMargin;         // 2: row boxes and tables
    int dropDownRows;      // visible rows of every drop-down list
    int windows10;         // 1 on Windows 10 or later: the outer frame needs a size correction
    wchar_t appName[80];   // title of every message dialog
    HINSTANCE instance;    // window classes and resources are looked up here
};

enum AppFontKind { AppFontRegular = 0, AppFontBold = 1, AppFontFixed = 2 };

// Palette indexes that callers name often.
enum AppPaletteIndex {
    AppColorWhite = 0,
    AppColorBlack = 1,
    AppColorMagenta = 6,
    AppColorBackground = 10,
    AppPaletteSize = 18,
};

// Window classes registered by AppStart.
#define APP_CLASS_TOOL L"NimboClassify"
#define APP_CLASS_CHILD L"NimboChildDlg"
#define APP_CLASS_DIALOG L"NimboDialog"
#define APP_CLASS_CUSTOM L"NimboCustomCtrl"
#define APP_CLASS_ROWBOX L"NimboRowBoxCtrl"
#define APP_CLASS_TABLE L"NimboTableCtrl"

// Starts the toolkit; always returns 1 (a class or font that cannot be made leaves its flag or the
// metrics at zero, and whatever needs it fails later). A second call re-registers every class.
#ifdef NIMBO_PLUGIN
int AppStart(HINSTANCE instance, int toolWindowClasses, int reserved, const wchar_t* appName,
             const wchar_t* iconName);
#else
int AppStart(HINSTANCE instance, int toolWindowClasses, int reserved, const wchar_t* appName,
             const wchar_t* iconName, HWND monitorWindow, int fontPoints);
#endif

// Destroys every open dialog (calling its destroy hook) and unregisters the classes AppStart registered.
void AppEnd();

// 1 when AppStart registered the class of that name and AppEnd has not unregistered it yet.
int AppClassRegistered(const wchar_t* className);

const AppMetrics* AppGetMetrics();
HINSTANCE AppInstance();
const wchar_t* AppName();

// Hooks run immediately before and after every push-button callback and menu command; either may be null.
typedef void (*AppCommandHook)();
void AppSetCommandHooks(AppCommandHook before, AppCommandHook after);
void AppRunCommandHookBefore();
void AppRunCommandHookAfter();

// Nearest integer with halves taken away from zero (2.5 -> 3, -2.5 -> -3).
int AppRound(double value);

// Character units <-> pixels with the started application's metrics.
int AppColumnsToPixels(double columns);
int AppLinesToPixels(double lines);
double AppPixelsToColumns(int pixels);
double AppPixelsToLines(int pixels);

// The same conversions with explicit units, for code and tests that need them without a started toolkit.
int AppUnitsToPixels(double units, int pixelsPerUnit);

// The layout units derived from the regular font's W and H (installer or plug-in rules by variant);
// dropDownRows, windows10, appName and instance are left zero.
AppMetrics AppDeriveMetrics(int W, int H);

// 0.75 * (workAreaHeight / lineUnit), to the nearest integer, limited to 10..30.
int AppDropDownRows(int workAreaHeight, int lineUnit);

// Pixel width of a text in the regular (bold 0) or bold (bold 1) font, measured on the window's device
// context (the desktop's when window is null); length * column unit when no device context can be had.
int AppTextWidth(HWND window, const wchar_t* text, int bold);

// Palette: any index outside the table is black. There is no brush for magenta (6): its brush is black.
COLORREF AppPaletteColor(int index);
HBRUSH AppPaletteBrush(int index);

// Regular, bold and fixed font (AppFontKind); null before AppStart or when the font could not be made.
HFONT AppFont(int kind);

// The host's two windows that a modal run disables besides its parent; null leaves a slot unused.
void AppSetHostWindows(HWND first, HWND second);
HWND AppHostWindow(int index);
