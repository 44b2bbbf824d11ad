#include "support/ui_driver.h"

#include <utility>

namespace ui {
namespace {

const DWORD kMessageTimeout = 2000;

struct TopSearch {
    const std::wstring* title;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TopSearch*>(parameter);
    if (!IsWindowVisible(window)) return TRUE;
    if (Text(window) != *search->title) return TRUE;
    if (search->className && ClassName(window) != search->className) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
    auto* children = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(parameter);
    if (GetParent(window) == children->first) children->second->push_back(window);
    return TRUE;
}

LPARAM PointParameter(int x, int y) {
    return MAKELPARAM(x, y);
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (true) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

HWND FindTopWindow(const std::wstring& title, const wchar_t* className) {
    TopSearch search{&title, className, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs, const wchar_t* className) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(title, className)) != nullptr; }, timeoutMs);
    return found;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    std::pair<HWND, std::vector<HWND>*> collect{parent, &children};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&collect));
    return children;
}

std::wstring Text(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeout, &length))
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, kMessageTimeout, &copied);
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256];
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::vector<std::wstring> ChildTexts(HWND parent) {
    std::vector<std::wstring> texts;
    for (HWND child : Children(parent)) texts.push_back(Text(child));
    return texts;
}

HWND FindByText(HWND parent, const std::wstring& text, const wchar_t* className) {
    for (HWND child : Children(parent)) {
        if (className && ClassName(child) != className) continue;
        if (Text(child) == text) return child;
    }
    return nullptr;
}

HWND FindByLabel(HWND parent, const std::wstring& label) {
    HWND labelWindow = FindByText(parent, label, L"Static");
    if (!labelWindow) return nullptr;
    RECT labelRect = RectInParent(labelWindow);
    HWND best = nullptr;
    LONG bestDistance = 0;
    for (HWND child : Children(parent)) {
        if (child == labelWindow) continue;
        RECT rect = RectInParent(child);
        bool sharesRows = rect.top < labelRect.bottom && labelRect.top < rect.bottom;
        LONG distance = rect.left - labelRect.right;
        if (!sharesRows || distance < 0) continue;
        if (!best || distance < bestDistance) {
            best = child;
            bestDistance = distance;
        }
    }
    return best;
}

HWND ChildById(HWND parent, int id) {
    return GetDlgItem(parent, id);
}

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!GetGUIThreadInfo(thread, &info)) return nullptr;
    return info.hwndFocus;
}

void Click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

void MouseClick(HWND window, int x, int y) {
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParameter(x, y));
    PostMessageW(window, WM_LBUTTONUP, 0, PointParameter(x, y));
}

void TypeInto(HWND field, const std::wstring& text) {
    MouseClick(field, 2, 2);
    PostMessageW(field, EM_SETSEL, 0, -1);
    for (wchar_t character : text) PostMessageW(field, WM_CHAR, character, 1);
}

void PressKey(HWND window, UINT virtualKey) {
    UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (1 << 30) | (static_cast<LPARAM>(1) << 31);
    PostMessageW(window, WM_KEYDOWN, virtualKey, down);
    PostMessageW(window, WM_KEYUP, virtualKey, up);
}

void PressKeyInFocus(HWND anyWindowOfThread, UINT virtualKey) {
    HWND focus = FocusOf(anyWindowOfThread);
    PressKey(focus ? focus : anyWindowOfThread, virtualKey);
}

int CheckState(HWND checkBox) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(checkBox, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeout, &state);
    return static_cast<int>(state);
}

bool AnswerToolkitMessage(const std::wstring& title, const std::wstring& button, DWORD timeoutMs) {
    HWND dialog = WaitForWindow(title, timeoutMs, L"NimboDialog");
    if (!dialog) return false;
    HWND target = FindByText(dialog, button, L"Button");
    if (!target) return false;
    Click(target);
    return WaitForWindowGone(dialog, timeoutMs);
}

HWND WaitForMessageBox(const std::wstring& caption, DWORD timeoutMs) {
    return WaitForWindow(caption, timeoutMs, L"#32770");
}

std::wstring MessageBoxText(HWND box) {
    return Text(GetDlgItem(box, 0xFFFF));
}

bool AnswerMessageBox(HWND box, const std::wstring& button) {
    HWND target = FindByText(box, button, L"Button");
    if (!target) return false;
    Click(target);
    return WaitForWindowGone(box);
}

Beside::Beside(const std::wstring& rescueTitle, std::function<void()> script)
    : thread_([rescueTitle, script = std::move(script)] {
          script();
          if (rescueTitle.empty()) return;
          HWND left = FindTopWindow(rescueTitle);
          if (left && !WaitForWindowGone(left, 3000)) PostMessageW(left, WM_CLOSE, 0, 0);
      }) {}

Beside::~Beside() {
    if (thread_.joinable()) thread_.join();
}

} // namespace ui
