// Real mouse and keyboard input for the row-box, grid and tree tests: SendInput events queued as a
// person's would be, then the test thread's messages pumped so that the controls act on them.
#pragma once

#include <windows.h>

#include <atomic>
#include <initializer_list>
#include <thread>
#include <vector>

#include "support/test_environment.h"

namespace realinput {

inline void Send(std::vector<INPUT>& events) {
    if (!events.empty()) SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
    testenv::PumpMessages(60);
}

inline INPUT Key(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (key == VK_PRIOR || key == VK_NEXT || key == VK_HOME || key == VK_END || key == VK_UP ||
        key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT)
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    return input;
}

inline INPUT Mouse(DWORD flags, int wheel = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = static_cast<DWORD>(wheel);
    return input;
}

// Presses key with the modifiers held (VK_SHIFT, VK_CONTROL).
inline void PressKey(WORD key, std::initializer_list<WORD> modifiers = {}) {
    std::vector<INPUT> events;
    for (WORD modifier : modifiers) events.push_back(Key(modifier, false));
    events.push_back(Key(key, false));
    events.push_back(Key(key, true));
    for (WORD modifier : modifiers) events.push_back(Key(modifier, true));
    Send(events);
}

inline void MoveTo(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    testenv::PumpMessages(30);
}

// A click at a point of the window's client area.
inline void Click(HWND window, int x, int y, std::initializer_list<WORD> modifiers = {}, bool right = false) {
    POINT at = {x, y};
    ClientToScreen(window, &at);
    MoveTo(at);
    std::vector<INPUT> events;
    for (WORD modifier : modifiers) events.push_back(Key(modifier, false));
    events.push_back(Mouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN));
    events.push_back(Mouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP));
    for (WORD modifier : modifiers) events.push_back(Key(modifier, true));
    Send(events);
}

inline INPUT MouseAt(POINT screen, DWORD flags) {
    INPUT input = Mouse(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    return input;
}

// Presses the left button at one screen point and lets go at another, moving in steps between. A
// scroll bar tracks its thumb in a message loop of its own on this thread, so the events come from
// another thread, paced like a hand's, while this one keeps dispatching.
inline void Drag(POINT from, POINT to) {
    std::vector<INPUT> events = {MouseAt(from, 0), MouseAt(from, MOUSEEVENTF_LEFTDOWN)};
    for (int step = 1; step <= 8; ++step)
        events.push_back(
            MouseAt({from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8}, 0));
    events.push_back(MouseAt(to, MOUSEEVENTF_LEFTUP));
    std::atomic<bool> done{false};
    std::thread hand([&events, &done] {
        for (INPUT& event : events) {
            SendInput(1, &event, sizeof(INPUT));
            Sleep(40);
        }
        done = true;
    });
    while (!done) testenv::PumpMessages(10);
    hand.join();
    testenv::PumpMessages(100);
}

// Turns the wheel with the mouse over a point of the window's client area; notches > 0 turn it
// away from the user.
inline void Wheel(HWND window, int x, int y, int notches) {
    POINT at = {x, y};
    ClientToScreen(window, &at);
    MoveTo(at);
    std::vector<INPUT> events;
    int step = notches > 0 ? 1 : -1;
    for (int turned = 0; turned != notches; turned += step)
        events.push_back(Mouse(MOUSEEVENTF_WHEEL, step * WHEEL_DELTA));
    Send(events);
}

// Brings a top-level window to the front so that keys reach it.
inline void Activate(HWND window) {
    SetForegroundWindow(window);
    SetActiveWindow(window);
    testenv::PumpMessages(100);
}

} // namespace realinput
