#include "cface/status_line.h"

#include "cface/host.h"
#include "parts/log_format.h"

#include <commctrl.h>

namespace {

enum StatusPart { kPartPrompt = 0, kPartMessage = 1, kPartCoordinates = 2 };

std::wstring g_prompt;

void SetPart(int part, const std::wstring& text) {
    if (Host().statusBar)
        SendMessageW(Host().statusBar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text.c_str()));
}

} // namespace

HWND CreateStatusLine(HWND parent) {
    HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                               parent, nullptr, Host().instance, nullptr);
    Host().statusBar = bar;
    LayoutStatusLine();
    RefreshStatusPrompt();
    return bar;
}

void LayoutStatusLine() {
    HWND bar = Host().statusBar;
    if (!bar) return;
    SendMessageW(bar, WM_SIZE, 0, 0);
    RECT client;
    GetClientRect(bar, &client);
    int width = client.right;
    int parts[3] = {width * 45 / 100, width - 260 > width * 45 / 100 ? width - 260 : width * 45 / 100 + 1,
                    -1};
    SendMessageW(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    SetPart(kPartPrompt, g_prompt);
    SetPart(kPartMessage, Host().statusMessage);
}

void SetStatusMessage(const std::wstring& message) {
    Host().statusMessage = message;
    SetPart(kPartMessage, message);
}

void RefreshStatusPrompt() {
    const StateCommand& state = Host().state;
    g_prompt.clear();
    if (state.running) {
        g_prompt = Utf8ToWideText(state.name);
        if (!state.prompt.empty()) g_prompt += L" > " + Utf8ToWideText(state.prompt);
    }
    SetPart(kPartPrompt, g_prompt);
}

void SetStatusCoordinates(const std::wstring& text) {
    SetPart(kPartCoordinates, text);
}

std::wstring StatusPromptText() {
    return g_prompt;
}

std::wstring StatusMessageText() {
    return Host().statusMessage;
}
