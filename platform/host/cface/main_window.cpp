#include "cface/main_window.h"

#include "cface/host.h"
#include "cface/keyin_line.h"
#include "cface/main_menu.h"
#include "cface/miniapps.h"
#include "cface/script.h"
#include "cface/status_line.h"
#include "cface/toolbars.h"
#include "cface/views.h"

#include <commctrl.h>

namespace {

const wchar_t kMainClass[] = L"OrbisaMain";
constexpr int kGap = 4;
constexpr int kHeader = 20;
constexpr int kKeyinHeight = 26;
constexpr int kKeyinLabelWidth = 56;
constexpr int kStartClientWidth = 1136;
constexpr int kStartClientHeight = 820;

struct Grid {
    int columns, rows;
};

Grid GridFor(int count) {
    if (count <= 1) return {1, 1};
    if (count == 2) return {2, 1};
    if (count <= 4) return {2, 2};
    if (count <= 6) return {3, 2};
    return {4, 2};
}

int StatusHeight() {
    if (!Host().statusBar) return 0;
    RECT r;
    GetWindowRect(Host().statusBar, &r);
    return r.bottom - r.top;
}

// The rectangle of each open view's cell (header and image), in order of index.
struct Layout {
    int toolHeight;
    RECT cells[kMaxViews];
    bool used[kMaxViews];
    RECT keyin;
};

Layout ComputeLayout(int width, int height) {
    Layout layout{};
    layout.toolHeight = LayoutToolArea(width);
    int statusHeight = StatusHeight();
    int top = layout.toolHeight + kGap, bottom = height - statusHeight - kKeyinHeight - kGap;
    Grid grid = GridFor(OpenViewCount());
    int cellWidth = (width - kGap * (grid.columns + 1)) / grid.columns;
    int cellHeight = (bottom - top - kGap * (grid.rows - 1)) / grid.rows;
    if (cellWidth < 1) cellWidth = 1;
    if (cellHeight < kHeader + 1) cellHeight = kHeader + 1;
    int slot = 0;
    for (const OrbisaView& view : Host().views) {
        if (!view.open) continue;
        int column = slot % grid.columns, row = slot / grid.columns;
        int x = kGap + column * (cellWidth + kGap), y = top + row * (cellHeight + kGap);
        layout.cells[view.index] = {x, y, x + cellWidth, y + cellHeight};
        layout.used[view.index] = true;
        ++slot;
    }
    layout.keyin = {0, height - statusHeight - kKeyinHeight, width, height - statusHeight};
    return layout;
}

void PaintHeaders(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    Layout layout = ComputeLayout(client.right, client.bottom);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfSmCaptionFont);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (const OrbisaView& view : Host().views) {
        if (!layout.used[view.index]) continue;
        RECT header = layout.cells[view.index];
        header.bottom = header.top + kHeader;
        bool active = view.index == Host().activeView;
        FillRect(dc, &header, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        RECT text = header;
        text.left += 6;
        std::wstring title = ViewTitle(view);
        DrawTextW(dc, title.c_str(), int(title.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    FillRect(dc, &layout.keyin, GetSysColorBrush(COLOR_BTNFACE));
    SelectObject(dc, oldFont);
    DeleteObject(font);
    EndPaint(window, &paint);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            LayoutMainWindow();
            return 0;
        case WM_PAINT:
            PaintHeaders(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_COMMAND:
            if (HIWORD(wParam) == 0 && lParam == 0 && HandleMenuCommand(LOWORD(wParam))) return 0;
            break;
        case WM_INITMENUPOPUP:
            RefreshMenuChecks(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_GETMINMAXINFO: {
            // Scripts may ask for views larger than the screen.
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxTrackSize = {16384, 16384};
            return 0;
        }
        case WM_SETFOCUS:
            // Typing goes to the key-in line, as in a CAD program.
            if (Host().keyinEdit) SetFocus(Host().keyinEdit);
            return 0;
        case WM_CLOSE:
            RequestHostExit(Host().exitCode);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(Host().exitCode);
            return 0;
        default:
            if (message == ScriptStepMessage()) {
                ScriptStep();
                return 0;
            }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

bool CreateMainWindow(int showCommand) {
    HostState& host = Host();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW main{};
    main.lpfnWndProc = MainProc;
    main.hInstance = host.instance;
    main.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.lpszClassName = kMainClass;
    if (!RegisterClassW(&main)) return false;
    RECT frame{0, 0, kStartClientWidth, kStartClientHeight};
    HMENU menu = BuildMainMenu();
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
    host.main = CreateWindowExW(0, kMainClass, L"Orbisa", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, menu,
                                host.instance, nullptr);
    if (!host.main) return false;
    CreateToolArea(host.main);
    CreateKeyinLine(host.main);
    CreateStatusLine(host.main);
    for (OrbisaView& view : host.views)
        if (view.open) CreateViewWindow(view, host.main);
    LayoutMainWindow();
    ShowWindow(host.main, showCommand);
    UpdateWindow(host.main);
    if (host.keyinEdit) SetFocus(host.keyinEdit);
    return true;
}

void LayoutMainWindow() {
    HostState& host = Host();
    if (!host.main) return;
    RECT client;
    GetClientRect(host.main, &client);
    if (host.statusBar) SendMessageW(host.statusBar, WM_SIZE, 0, 0);
    LayoutStatusLine();
    Layout layout = ComputeLayout(client.right, client.bottom);
    if (host.toolArea) MoveWindow(host.toolArea, 0, 0, client.right, layout.toolHeight, TRUE);
    for (OrbisaView& view : host.views) {
        if (!layout.used[view.index] || !view.window) continue;
        RECT cell = layout.cells[view.index];
        MoveWindow(view.window, cell.left, cell.top + kHeader, cell.right - cell.left,
                   cell.bottom - cell.top - kHeader, TRUE);
    }
    int y = layout.keyin.top + 2, h = kKeyinHeight - 4;
    if (host.keyinLabel) MoveWindow(host.keyinLabel, kGap + 2, y + 3, kKeyinLabelWidth - 4, h - 3, TRUE);
    if (host.keyinEdit)
        MoveWindow(host.keyinEdit, kGap + kKeyinLabelWidth, y, client.right - 2 * kGap - kKeyinLabelWidth, h,
                   TRUE);
    InvalidateRect(host.main, nullptr, FALSE);
}

bool SetViewImageSize(int width, int height) {
    HostState& host = Host();
    if (!host.main || width <= 0 || height <= 0 || width > 8192 || height > 8192) return false;
    if (IsIconic(host.main) || IsZoomed(host.main)) ShowWindow(host.main, SW_RESTORE);
    // The layout depends on the tool-bar rows and the menu bar's lines, which depend on the width: a
    // few rounds settle it.
    for (int round = 0; round < 4; ++round) {
        const OrbisaView* first = nullptr;
        for (const OrbisaView& view : host.views)
            if (view.open && view.window) {
                first = &view;
                break;
            }
        if (!first) return false;
        RECT client;
        GetClientRect(first->window, &client);
        int dw = width - client.right, dh = height - client.bottom;
        if (dw == 0 && dh == 0) return true;
        Grid grid = GridFor(OpenViewCount());
        RECT window;
        GetWindowRect(host.main, &window);
        SetWindowPos(host.main, nullptr, 0, 0, window.right - window.left + dw * grid.columns,
                     window.bottom - window.top + dh * grid.rows, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (const OrbisaView& view : host.views) {
        if (!view.open || !view.window) continue;
        RECT client;
        GetClientRect(view.window, &client);
        if (client.right != width || client.bottom != height) return false;
    }
    return true;
}

void RequestHostExit(int exitCode) {
    HostState& host = Host();
    if (exitCode > host.exitCode) host.exitCode = exitCode;
    if (host.quitting) return;
    host.quitting = true;
    ScriptStop();
    UnloadAllMiniApps();
    if (host.main)
        DestroyWindow(host.main);
    else
        PostQuitMessage(host.exitCode);
}
