// Application start and end: window classes, fonts, metrics and the libraries the items need.
#include "dialogs/app.h"
#include "dialogs/app_internal.h"
#include "dialogs/dialog.h"

#include <commctrl.h>

#include <cwchar>

namespace {

enum ClassBackground { BackgroundWindow, BackgroundPalette };

struct ClassSpec {
    const wchar_t* name;
    bool toolWindowOnly;
    UINT style;
    int extraBytes;
    ClassBackground background;
    WNDPROC procedure;
};

// In the order AppEnd unregisters them.
const ClassSpec kClasses[] = {
    {APP_CLASS_TOOL, true, 0, 0, BackgroundWindow, DialogWindowProc},
    {APP_CLASS_CHILD, true, 0, 0, BackgroundWindow, DialogWindowProc},
    {APP_CLASS_DIALOG, false, 0, 0, BackgroundPalette, DialogWindowProc},
    {APP_CLASS_CUSTOM, false, CS_OWNDC, sizeof(void*), BackgroundWindow, ItemClassWindowProc},
    {APP_CLASS_ROWBOX, false, CS_OWNDC, sizeof(void*), BackgroundWindow, ItemClassWindowProc},
    {APP_CLASS_TABLE, false, CS_OWNDC, sizeof(void*), BackgroundWindow, ItemClassWindowProc},
};
const int kClassCount = sizeof kClasses / sizeof kClasses[0];

int classRegistered[kClassCount];
HFONT fonts[3];
AppCommandHook commandHookBefore;
AppCommandHook commandHookAfter;
HWND hostWindows[2];

bool RegisterToolkitClass(const ClassSpec& classSpec, HINSTANCE instance, const wchar_t* iconName) {
    UnregisterClassW(classSpec.name, instance);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = classSpec.style;
    windowClass.lpfnWndProc = classSpec.procedure;
    windowClass.cbWndExtra = classSpec.extraBytes;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // Shared icons: every class and every start gets the same two handles, which the system owns, so that
    // restarting the toolkit does not leave a pair of icons per class behind.
    if (iconName) {
        windowClass.hIcon =
            static_cast<HICON>(LoadImageW(instance, iconName, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
        windowClass.hIconSm =
            static_cast<HICON>(LoadImageW(instance, iconName, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    // The class gets a brush of its own: unregistering a class deletes its background brush, so a
    // shared palette brush would be gone after a second AppStart and dialogs would paint white.
    windowClass.hbrBackground = classSpec.background == BackgroundPalette
                                    ? CreateSolidBrush(AppPaletteColor(AppColorBackground))
                                    : reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = classSpec.name;
    if (RegisterClassExW(&windowClass)) return true;
    if (classSpec.background == BackgroundPalette) DeleteObject(windowClass.hbrBackground);
    return false;
}

HFONT CreateToolkitFont(int pixelHeight, int weight, bool fixed) {
    return CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       fixed ? (FIXED_PITCH | FF_MODERN) : DEFAULT_PITCH, fixed ? L"Consolas" : L"Calibri");
}

bool AnyDialogOpen() {
    for (int index = 0; index < DlgTableSize; ++index)
        if (DlgTableAt(index)->window) return true;
    return false;
}

// Fonts outlive every dialog; a restart replaces them only when no open dialog may still use them.
void ReplaceFont(int kind, HFONT font) {
    if (fonts[kind] && !AnyDialogOpen()) DeleteObject(fonts[kind]);
    fonts[kind] = font;
}

int PointsToPixels(HDC dc, int points) {
    return MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
}

void MeasureFonts(int regularPoints, int boldPoints) {
    AppMetrics* metrics = AppMutableMetrics();
    HDC dc = GetDC(nullptr);
    int regularPixels = dc ? PointsToPixels(dc, regularPoints) : regularPoints;
    int boldPixels = dc ? PointsToPixels(dc, boldPoints) : boldPoints;
    ReplaceFont(AppFontRegular, CreateToolkitFont(regularPixels, FW_NORMAL, false));
    int W = 0, H = 0;
    if (dc && fonts[AppFontRegular]) {
        HGDIOBJ previous = SelectObject(dc, fonts[AppFontRegular]);
        TEXTMETRICW textMetrics{};
        if (GetTextMetricsW(dc, &textMetrics)) {
            W = textMetrics.tmAveCharWidth;
            H = textMetrics.tmHeight;
        }
        SelectObject(dc, previous);
    }
    if (dc) ReleaseDC(nullptr, dc);
    AppMetrics derived = AppDeriveMetrics(W, H);
    if (!W && !H) derived = AppMetrics{}; // no font: the metrics stay at zero
    derived.appName[0] = 0;
    wcsncpy(derived.appName, metrics->appName, 79);
    derived.appName[79] = 0;
    derived.instance = metrics->instance;
    *metrics = derived;
    ReplaceFont(AppFontBold, CreateToolkitFont(boldPixels, FW_BOLD, false));
    ReplaceFont(AppFontFixed, CreateToolkitFont(regularPixels, FW_NORMAL, true));
}

#ifndef NIMBO_PLUGIN
int WorkAreaHeight(HWND monitorWindow) {
    HMONITOR monitor = monitorWindow ? MonitorFromWindow(monitorWindow, MONITOR_DEFAULTTOPRIMARY)
                                     : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return 1080;
    return info.rcWork.bottom - info.rcWork.top;
}
#endif

// GetVersionEx reports an older system to programs without a compatibility manifest; the kernel's
// own call does not.
bool IsWindows10OrLater() {
    typedef LONG(WINAPI * RtlGetVersionFunction)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto getVersion = ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                                  reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                            : nullptr;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!getVersion || getVersion(&version) != 0) return false;
    return version.dwMajorVersion >= 10;
}

void LoadItemLibraries() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES | ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);
    // Sliders, tool bars and tooltips live in the bar classes; without them those items fail on Windows.
    controls.dwICC = ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);
    // From the system folder only: a DLL of the same name beside the program must not be picked up.
    if (!LoadLibraryExW(L"Msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        LoadLibraryW(L"Msftedit.dll");
}

int StartApplication(HINSTANCE instance, int toolWindowClasses, const wchar_t* appName,
                     const wchar_t* iconName, int regularPoints, int boldPoints) {
    AppMetrics* metrics = AppMutableMetrics();
    metrics->appName[0] = 0;
    if (appName) {
        wcsncpy(metrics->appName, appName, 79);
        metrics->appName[79] = 0;
    }
    metrics->instance = instance;
    AppCreatePaletteBrushes(); // the dialog class takes its background brush from the palette
    for (int index = 0; index < kClassCount; ++index) {
        if (kClasses[index].toolWindowOnly && !toolWindowClasses) continue;
        classRegistered[index] = RegisterToolkitClass(kClasses[index], instance, iconName) ? 1 : 0;
    }
    MeasureFonts(regularPoints, boldPoints);
    return 1;
}

} // namespace

#ifdef NIMBO_PLUGIN
int AppStart(HINSTANCE instance, int toolWindowClasses, int, const wchar_t* appName,
             const wchar_t* iconName) {
    StartApplication(instance, toolWindowClasses, appName, iconName, 10, 11);
    AppMutableMetrics()->windows10 = IsWindows10OrLater() ? 1 : 0;
    LoadItemLibraries();
    DlgDetachSpare(DlgSpareAt(0));
    DlgDetachSpare(DlgSpareAt(1));
    return 1;
}
#else
int AppStart(HINSTANCE instance, int toolWindowClasses, int, const wchar_t* appName, const wchar_t* iconName,
             HWND monitorWindow, int fontPoints) {
    StartApplication(instance, toolWindowClasses, appName, iconName, fontPoints, fontPoints);
    AppMetrics* metrics = AppMutableMetrics();
    metrics->dropDownRows = AppDropDownRows(WorkAreaHeight(monitorWindow), metrics->lineUnit);
    metrics->windows10 = IsWindows10OrLater() ? 1 : 0;
    LoadItemLibraries();
    DlgDetachSpare(DlgSpareAt(0));
    DlgDetachSpare(DlgSpareAt(1));
    return 1;
}
#endif

void AppEnd() {
    for (int index = DlgTableSize - 1; index >= 0; --index) {
        Dialog* dialog = DlgTableAt(index);
        if (!dialog->window) continue;
        if (dialog->destroyHook) {
            DlgDestroyHook hook = dialog->destroyHook;
            dialog->destroyHook = nullptr;
            hook(dialog);
        }
        DlgDestroy(dialog);
    }
    for (int index = 0; index < kClassCount; ++index) {
        if (!classRegistered[index]) continue;
        UnregisterClassW(kClasses[index].name, AppInstance());
        classRegistered[index] = 0;
    }
}

int AppClassRegistered(const wchar_t* className) {
    for (int index = 0; index < kClassCount; ++index)
        if (className && _wcsicmp(className, kClasses[index].name) == 0) return classRegistered[index];
    return 0;
}

HFONT AppFont(int kind) {
    return (kind >= 0 && kind < 3) ? fonts[kind] : nullptr;
}

void AppSetCommandHooks(AppCommandHook before, AppCommandHook after) {
    commandHookBefore = before;
    commandHookAfter = after;
}

void AppRunCommandHookBefore() {
    if (commandHookBefore) commandHookBefore();
}

void AppRunCommandHookAfter() {
    if (commandHookAfter) commandHookAfter();
}

void AppSetHostWindows(HWND first, HWND second) {
    hostWindows[0] = first;
    hostWindows[1] = second;
}

HWND AppHostWindow(int index) {
    return (index == 0 || index == 1) ? hostWindows[index] : nullptr;
}
