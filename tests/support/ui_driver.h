// Drives real windows the way a person would, for tests: in-process (a driver thread acting on a
// dialog that runs modally on the test thread) or across processes (a program under test started
// separately). Everything goes through window messages that any thread or process may send or post.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace ui {

// Polls the condition every 20 ms until it holds or the time is up; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// The first visible top-level window with exactly this title (and this class, when given).
HWND FindTopWindow(const std::wstring& title, const wchar_t* className = nullptr);
HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs = 5000, const wchar_t* className = nullptr);
// Waits until the window no longer exists.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = 5000);

// Direct children of a window, in z-order.
std::vector<HWND> Children(HWND parent);
std::wstring Text(HWND window);
std::wstring ClassName(HWND window);
// All child texts, in order, for failure messages and checks.
std::vector<std::wstring> ChildTexts(HWND parent);

// The child whose text is exactly the given one (of that class, when given), or null.
HWND FindByText(HWND parent, const std::wstring& text, const wchar_t* className = nullptr);
// The control beside a label: the nearest child that starts right of the label's right edge and shares
// its rows; or null.
HWND FindByLabel(HWND parent, const std::wstring& label);
HWND ChildById(HWND parent, int id);

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control);
// The window that has the keyboard focus in the thread that owns the given window.
HWND FocusOf(HWND window);

// A click on a button or check box (BM_CLICK, posted: a callback that opens a dialog must not block us).
void Click(HWND button);
// A left click with the mouse at a client position of the window (posted button down and up).
void MouseClick(HWND window, int x, int y);
// Clicks into the field, selects its text and types the characters (posted WM_CHAR), as typing would
// replace a selection.
void TypeInto(HWND field, const std::wstring& text);
// A key press with its character where the key has one (Enter, Escape, Tab), posted to the window.
void PressKey(HWND window, UINT virtualKey);
// The same key sent to whichever control of the window's thread has the focus.
void PressKeyInFocus(HWND anyWindowOfThread, UINT virtualKey);
int CheckState(HWND checkBox);

// Answers a toolkit message dialog (class "NimboDialog") with this title by clicking the named button.
bool AnswerToolkitMessage(const std::wstring& title, const std::wstring& button, DWORD timeoutMs = 5000);
// The platform message box (class "#32770") with this caption: its text, and answering it.
HWND WaitForMessageBox(const std::wstring& caption, DWORD timeoutMs = 5000);
std::wstring MessageBoxText(HWND box);
bool AnswerMessageBox(HWND box, const std::wstring& button);

// Runs a script on a thread of its own while the calling thread runs a modal dialog; joins on
// destruction. When the script returns and the window with the rescue title still exists after a grace
// period, it is closed, so that a failing script cannot leave the test waiting forever.
class Beside {
public:
    Beside(const std::wstring& rescueTitle, std::function<void()> script);
    ~Beside();
    Beside(const Beside&) = delete;
    Beside& operator=(const Beside&) = delete;

private:
    std::thread thread_;
};

} // namespace ui
