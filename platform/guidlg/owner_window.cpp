#include "owner_window.h"

namespace {

typedef HWND (*TopWindowFunc)(void);

// Asked at run time rather than imported: GuiDlg also serves programs without the host.
HWND HostTopWindow() {
    HMODULE host = GetModuleHandleW(L"Orbisa.CFace.dll");
    if (!host) return nullptr;
    auto topWindow = reinterpret_cast<TopWindowFunc>(
        reinterpret_cast<void*>(GetProcAddress(host, "WndGetTopWindowHandle")));
    return topWindow ? topWindow() : nullptr;
}

} // namespace

HWND OwnerWindow() {
    HWND owner = HostTopWindow();
    if (!owner || !IsWindow(owner)) owner = GetActiveWindow();
    if (owner) owner = GetAncestor(owner, GA_ROOT);
    return owner;
}

void OwnerMessage(const wchar_t* caption, const wchar_t* text, UINT icon) {
    MessageBoxW(OwnerWindow(), text, caption, MB_OK | icon);
}
