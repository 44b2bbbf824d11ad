#include "cface/toolbars.h"

#include "cface/call_log.h"
#include "cface/commands.h"
#include "cface/host_actions.h"
#include "cface/icon_images.h"
#include "cface/main_window.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>

namespace {

const wchar_t kAreaClass[] = L"OrbisaToolArea";
const wchar_t kBarClass[] = L"OrbisaToolBar";
constexpr int kBarHeight = 34;
constexpr int kButtonSide = 30;
constexpr int kGrip = 10;
constexpr int kGroupGap = 10;
constexpr int kBarGap = 4;
constexpr int kMaxItems = 256;

struct ToolButton {
    std::wstring label;
    std::string labelUtf8;
    OrbisaMiniApp* app;
    int64_t commandId;
    HostAction action; // the host's own buttons
    std::string group;
    HBITMAP image;
    unsigned imageMiddle;
    bool checked;
    RECT rect;
};

struct ToolBar {
    std::string name;
    OrbisaMiniApp* app;
    HWND window;
    HWND tips;
    bool visible;
    std::vector<ToolButton> buttons;
    int hot = -1, pressed = -1;
    int width = 0;
};

std::vector<std::unique_ptr<ToolBar>>& Bars() {
    static std::vector<std::unique_ptr<ToolBar>> bars;
    return bars;
}

HFONT ButtonFont() {
    static HFONT font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }();
    return font;
}

int TextWidth(const std::wstring& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ButtonFont());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

// Places the buttons of a bar and sets its width.
void PlaceButtons(ToolBar& bar) {
    int x = kGrip;
    for (size_t i = 0; i < bar.buttons.size(); ++i) {
        ToolButton& button = bar.buttons[i];
        if (i > 0 && button.group != bar.buttons[i - 1].group) x += kGroupGap;
        int width = button.image ? kButtonSide : TextWidth(button.label) + 14;
        button.rect = {x, 2, x + width, 2 + kButtonSide};
        x += width + 1;
    }
    bar.width = x + 4;
    if (!bar.tips) return;
    for (size_t i = 0; i < bar.buttons.size(); ++i) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = bar.window;
        tool.uId = i + 1;
        tool.rect = bar.buttons[i].rect;
        tool.lpszText = const_cast<wchar_t*>(bar.buttons[i].label.c_str());
        SendMessageW(bar.tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(bar.tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

ToolBar* BarOfWindow(HWND window) {
    for (auto& bar : Bars())
        if (bar->window == window) return bar.get();
    return nullptr;
}

int ButtonAt(const ToolBar& bar, int x, int y) {
    POINT point{x, y};
    for (size_t i = 0; i < bar.buttons.size(); ++i)
        if (PtInRect(&bar.buttons[i].rect, point)) return static_cast<int>(i);
    return -1;
}

void Press(ToolBar& bar, size_t index) {
    if (index >= bar.buttons.size()) return;
    ToolButton button = bar.buttons[index]; // the action may change the bars
    if (button.app)
        RunCommandById(button.app, button.commandId);
    else
        RunHostAction(button.action);
}

void PaintGrip(HDC dc, int height) {
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    for (int y = 6; y < height - 6; y += 3) {
        SelectObject(dc, dark);
        MoveToEx(dc, 3, y, nullptr);
        LineTo(dc, 5, y);
        SelectObject(dc, light);
        MoveToEx(dc, 4, y + 1, nullptr);
        LineTo(dc, 6, y + 1);
    }
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(light);
    DeleteObject(dark);
}

void PaintButton(HDC dc, const ToolButton& button, bool hot, bool pressed) {
    RECT r = button.rect;
    if (pressed || button.checked) {
        HBRUSH fill = CreateSolidBrush(RGB(204, 224, 248));
        FillRect(dc, &r, fill);
        DeleteObject(fill);
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    } else if (hot) {
        HBRUSH fill = CreateSolidBrush(RGB(229, 241, 251));
        FillRect(dc, &r, fill);
        DeleteObject(fill);
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    }
    int shift = pressed ? 1 : 0;
    if (button.image) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, button.image);
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        int x = r.left + (r.right - r.left - kIconSide) / 2 + shift,
            y = r.top + (kButtonSide - kIconSide) / 2 + shift;
        AlphaBlend(dc, x, y, kIconSide, kIconSide, source, 0, 0, kIconSide, kIconSide, blend);
        SelectObject(source, old);
        DeleteDC(source);
    } else {
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, ButtonFont());
        OffsetRect(&r, shift, shift);
        DrawTextW(dc, button.label.c_str(), static_cast<int>(button.label.size()), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
    }
}

void PaintBar(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    ToolBar* bar = BarOfWindow(window);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (bar) {
        PaintGrip(dc, client.bottom);
        for (size_t i = 0; i < bar->buttons.size(); ++i)
            PaintButton(dc, bar->buttons[i], bar->hot == int(i),
                        bar->pressed == int(i) && bar->hot == int(i));
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ToolBar* bar = BarOfWindow(window);
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (message) {
        case WM_PAINT:
            PaintBar(window);
            return 0;
        case WM_MOUSEMOVE:
            if (bar) {
                int hot = ButtonAt(*bar, x, y);
                if (hot != bar->hot) {
                    bar->hot = hot;
                    InvalidateRect(window, nullptr, FALSE);
                }
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
                TrackMouseEvent(&track);
            }
            return 0;
        case WM_MOUSELEAVE:
            if (bar) bar->hot = -1, InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN:
            if (bar) {
                bar->pressed = ButtonAt(*bar, x, y);
                SetCapture(window);
                InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONUP:
            if (bar) {
                int pressed = bar->pressed;
                bar->pressed = -1;
                ReleaseCapture();
                InvalidateRect(window, nullptr, FALSE);
                if (pressed >= 0 && ButtonAt(*bar, x, y) == pressed)
                    Press(*bar, static_cast<size_t>(pressed));
            }
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK AreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW area{};
    area.lpfnWndProc = AreaProc;
    area.hInstance = Host().instance;
    area.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    area.lpszClassName = kAreaClass;
    RegisterClassW(&area);
    WNDCLASSW bar = area;
    bar.lpfnWndProc = BarProc;
    bar.lpszClassName = kBarClass;
    RegisterClassW(&bar);
    registered = true;
}

ToolBar* AddBar(const std::string& name, OrbisaMiniApp* app, bool visible) {
    auto bar = std::make_unique<ToolBar>();
    bar->name = name;
    bar->app = app;
    bar->visible = visible;
    bar->window = CreateWindowExW(0, kBarClass, Utf8ToWideText(name).c_str(), WS_CHILD | WS_CLIPSIBLINGS, 0,
                                  0, 10, kBarHeight, Host().toolArea, nullptr, Host().instance, nullptr);
    bar->tips =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                        0, 0, 0, Host().main, nullptr, Host().instance, nullptr);
    Bars().push_back(std::move(bar));
    return Bars().back().get();
}

void DestroyBar(ToolBar& bar) {
    for (ToolButton& button : bar.buttons)
        if (button.image) DeleteObject(button.image);
    if (bar.tips) DestroyWindow(bar.tips);
    if (bar.window) DestroyWindow(bar.window);
}

bool IsEndItem(const DlgToolBarItem& item) {
    return !item.iconPath && !item.label && item.commandId == 0 && !item.reserved && !item.group;
}

std::string FormatDescriptor(const DlgToolBarDesc* d, int count) {
    if (!d) return "null";
    std::string items = "[";
    for (int i = 0; i < count; ++i) {
        const DlgToolBarItem& item = d->items[i];
        items += (i ? " {" : "{");
        items += "iconPath=" + QuoteText(item.iconPath) + " label=" + QuoteText(item.label) +
                 " commandId=" + std::to_string(item.commandId) +
                 " reserved=" + FormatPointer(item.reserved) + " group=" + QuoteText(item.group) + "}";
    }
    items += "]";
    return "{name=" + QuoteText(d->name) + " reserved1=" + FormatPointer(d->reserved1) +
           " reserved2=" + FormatPointer(d->reserved2) + " dock=" + std::to_string(d->dock) +
           " visible=" + std::to_string(d->visible) + " items=" + (d->items ? items : "null") + "}";
}

int CountItems(const DlgToolBarItem* items) {
    int count = 0;
    while (items && count < kMaxItems && !IsEndItem(items[count])) ++count;
    return count;
}

void AddHostButton(ToolBar& bar, const wchar_t* label, HostAction action, HostPicture picture,
                   const char* group) {
    ToolButton button{};
    button.label = label;
    button.labelUtf8 = WideToUtf8Text(label);
    button.action = action;
    button.group = group;
    BgraImage image = DrawHostPicture(picture);
    button.image = BitmapOfImage(image);
    button.imageMiddle = MiddleColor(image);
    bar.buttons.push_back(button);
}

} // namespace

HWND CreateToolArea(HWND parent) {
    RegisterClasses();
    Host().toolArea = CreateWindowExW(0, kAreaClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10,
                                      kBarHeight, parent, nullptr, Host().instance, nullptr);
    ToolBar* bar = AddBar("Orbisa", nullptr, true);
    AddHostButton(*bar, L"Snap", kActionToggleSnap, kPictureSnap, "Input");
    AddHostButton(*bar, L"Stereo", kActionToggleStereo, kPictureStereo, "View");
    AddHostButton(*bar, L"Perspective", kActionTogglePerspective, kPicturePerspective, "View");
    AddHostButton(*bar, L"Fit", kActionFitActive, kPictureFit, "View");
    PlaceButtons(*bar);
    RefreshHostToolBar();
    return Host().toolArea;
}

int LayoutToolArea(int width) {
    int x = kBarGap, y = 0, rows = 1;
    for (auto& bar : Bars()) {
        if (!bar->visible) {
            ShowWindow(bar->window, SW_HIDE);
            continue;
        }
        if (x > kBarGap && x + bar->width > width) {
            x = kBarGap;
            y += kBarHeight;
            ++rows;
        }
        SetWindowPos(bar->window, nullptr, x, y, bar->width, kBarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(bar->window, SW_SHOWNA);
        x += bar->width + kBarGap;
    }
    return rows * kBarHeight;
}

int CreateToolBar(OrbisaMiniApp* app, const DlgToolBarDesc* descriptor, std::vector<std::string>* images) {
    int count = descriptor ? CountItems(descriptor->items) : 0;
    int result = 0;
    if (!descriptor)
        result = -1;
    else if (!descriptor->name || !descriptor->name[0])
        result = -2;
    else {
        std::string name(descriptor->name, BoundedLength(descriptor->name, 256));
        for (auto& bar : Bars())
            if (bar->name == name) result = -3;
        if (result == 0 && !descriptor->items) result = -4;
        if (result == 0) {
            ToolBar* bar = AddBar(name, app, descriptor->visible != 0);
            for (int i = 0; i < count; ++i) {
                const DlgToolBarItem& item = descriptor->items[i];
                ToolButton button{};
                button.labelUtf8.assign(item.label ? item.label : "", BoundedLength(item.label, 1024));
                button.label = Utf8ToWideText(button.labelUtf8);
                button.app = app;
                button.commandId = item.commandId;
                button.group.assign(item.group ? item.group : "", BoundedLength(item.group, 1024));
                BgraImage image;
                std::string why;
                if (IconFromResources(item.iconPath, &image, &why)) {
                    button.image = BitmapOfImage(image);
                    button.imageMiddle = MiddleColor(image);
                }
                images->push_back(button.image ? "icon" : "text");
                bar->buttons.push_back(button);
            }
            PlaceButtons(*bar);
            LayoutMainWindow();
        }
    }
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "DlgToolBarCreate");
        LogRaw(line, "descriptor", FormatDescriptor(descriptor, descriptor && descriptor->items ? count : 0));
        LogResult(line, result);
        std::string list = "[";
        for (size_t i = 0; i < images->size(); ++i) list += (i ? " " : "") + (*images)[i];
        if (result == 0) LogAfter(line, "images", list + "]");
        CallLogWrite(line);
    }
    return result;
}

void RemoveAppToolBars(OrbisaMiniApp* app) {
    auto& bars = Bars();
    bool removed = false;
    for (size_t i = 0; i < bars.size();) {
        if (bars[i]->app == app && app) {
            DestroyBar(*bars[i]);
            bars.erase(bars.begin() + static_cast<long>(i));
            removed = true;
        } else {
            ++i;
        }
    }
    if (removed) LayoutMainWindow();
}

bool PressToolButton(const std::string& label) {
    for (auto& bar : Bars())
        for (size_t i = 0; i < bar->buttons.size(); ++i)
            if (bar->buttons[i].labelUtf8 == label) {
                Press(*bar, i);
                return true;
            }
    return false;
}

std::vector<std::string> DescribeToolButtons() {
    std::vector<std::string> lines;
    for (auto& bar : Bars()) {
        for (const ToolButton& button : bar->buttons) {
            char image[32];
            if (button.image)
                snprintf(image, sizeof image, "icon=%06X", button.imageMiddle);
            else
                snprintf(image, sizeof image, "text");
            lines.push_back("button " + QuoteText(bar->name.c_str()) + " " +
                            QuoteText(button.labelUtf8.c_str()) + " x=" + std::to_string(button.rect.left) +
                            " width=" + std::to_string(button.rect.right - button.rect.left) + " " + image +
                            (bar->visible ? "" : " hidden"));
        }
    }
    return lines;
}

void RefreshHostToolBar() {
    for (auto& bar : Bars()) {
        if (bar->app) continue;
        const OrbisaView* view = ViewOfIndex(Host().activeView);
        for (ToolButton& button : bar->buttons) {
            if (button.action == kActionToggleSnap) button.checked = Host().snapOn;
            if (button.action == kActionToggleStereo) button.checked = view && view->stereo;
            if (button.action == kActionTogglePerspective) button.checked = view && view->geometry.camera;
        }
        if (bar->window) InvalidateRect(bar->window, nullptr, FALSE);
    }
}

std::vector<std::pair<std::string, bool>> ToolBarList() {
    std::vector<std::pair<std::string, bool>> list;
    for (auto& bar : Bars()) list.push_back({bar->name, bar->visible});
    return list;
}

void ShowToolBar(const std::string& name, bool show) {
    for (auto& bar : Bars())
        if (bar->name == name) bar->visible = show;
    LayoutMainWindow();
}

extern "C" int DlgToolBarCreate(const DlgToolBarDesc* descriptor) {
    std::vector<std::string> images;
    return CreateToolBar(ActiveApp(), descriptor, &images);
}
