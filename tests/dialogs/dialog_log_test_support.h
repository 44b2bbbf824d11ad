// What the recording and playback tests share: the log's line ends, its rule line, and running a
// dialog modally while a timer plays the user's part.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "dialogs/dialog.h"

namespace logtest {

// The log is written in text mode: every line feed arrives as CR LF.
inline std::string Crlf(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

inline const std::string kRule = std::string(47, '=') + "\n";

inline std::function<void()> timerAction;
inline HWND watchedWindow;

inline void CALLBACK RunTimerAction(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> action = std::move(timerAction);
    timerAction = nullptr;
    if (action) action();
}

inline void CALLBACK CloseWatchedWindow(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (watchedWindow && IsWindow(watchedWindow)) PostMessageW(watchedWindow, WM_CLOSE, 0, 0);
}

// Runs the dialog modally and performs the action once it is shown; a dialog the action does not end
// is closed after a while so that a failing test does not hang.
inline int RunAndAct(Dialog* dialog, std::function<void()> action) {
    timerAction = std::move(action);
    watchedWindow = dialog->window;
    UINT_PTR actionTimer = SetTimer(nullptr, 0, 300, RunTimerAction);
    UINT_PTR watchdog = SetTimer(nullptr, 0, 15000, CloseWatchedWindow);
    int result = DlgRun(dialog);
    KillTimer(nullptr, actionTimer);
    KillTimer(nullptr, watchdog);
    timerAction = nullptr;
    watchedWindow = nullptr;
    return result;
}

inline void Click(DialogItem* button) {
    SendMessageW(button->control, BM_CLICK, 0, 0);
}

} // namespace logtest
