#include "dialog_template.h"

#include <string.h>
#include <wchar.h>

namespace {

void Align(std::vector<BYTE>* bytes, size_t alignment) {
    while (bytes->size() % alignment) bytes->push_back(0);
}

template <typename T> void Put(std::vector<BYTE>* bytes, T value) {
    size_t at = bytes->size();
    bytes->resize(at + sizeof value);
    memcpy(bytes->data() + at, &value, sizeof value);
}

void PutText(std::vector<BYTE>* bytes, const wchar_t* text) {
    if (text)
        for (const wchar_t* p = text; *p; ++p) Put<WCHAR>(bytes, *p);
    Put<WCHAR>(bytes, 0);
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

} // namespace

void TemplateBegin(DialogTemplate* dialog, const wchar_t* title, short cx, short cy) {
    std::vector<BYTE>& b = dialog->bytes;
    b.clear();
    Put<WORD>(&b, 1);      // dlgVer
    Put<WORD>(&b, 0xFFFF); // signature: the extended template
    Put<DWORD>(&b, 0);     // helpID
    Put<DWORD>(&b, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
    Put<DWORD>(&b, DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    dialog->itemCountOffset = b.size();
    dialog->itemCount = 0;
    Put<WORD>(&b, 0);
    Put<short>(&b, 0);
    Put<short>(&b, 0);
    Put<short>(&b, cx);
    Put<short>(&b, cy);
    Put<WORD>(&b, 0); // no menu
    Put<WORD>(&b, 0); // the standard dialog class
    PutText(&b, title);
    Put<WORD>(&b, 8);   // point size
    Put<WORD>(&b, 400); // weight
    Put<BYTE>(&b, 0);   // italic
    Put<BYTE>(&b, DEFAULT_CHARSET);
    PutText(&b, L"MS Shell Dlg");
}

void TemplateAddItem(DialogTemplate* dialog, const wchar_t* className, const wchar_t* text, WORD id, short x,
                     short y, short cx, short cy, DWORD style, DWORD exStyle) {
    std::vector<BYTE>& b = dialog->bytes;
    Align(&b, sizeof(DWORD));
    Put<DWORD>(&b, 0); // helpID
    Put<DWORD>(&b, exStyle);
    Put<DWORD>(&b, style | WS_CHILD | WS_VISIBLE);
    Put<short>(&b, x);
    Put<short>(&b, y);
    Put<short>(&b, cx);
    Put<short>(&b, cy);
    Put<DWORD>(&b, id);
    PutText(&b, className);
    PutText(&b, text);
    Put<WORD>(&b, 0); // no creation data
    ++dialog->itemCount;
    memcpy(b.data() + dialog->itemCountOffset, &dialog->itemCount, sizeof dialog->itemCount);
}

void TemplateSetHeight(DialogTemplate* dialog, short cy) {
    // cy follows the item count, x, y and cx in the extended header.
    size_t at = dialog->itemCountOffset + sizeof(WORD) + 3 * sizeof(short);
    memcpy(dialog->bytes.data() + at, &cy, sizeof cy);
}

const DLGTEMPLATE* TemplateData(const DialogTemplate& dialog) {
    return reinterpret_cast<const DLGTEMPLATE*>(dialog.bytes.data());
}

INT_PTR TemplateRun(const DialogTemplate& dialog, HWND owner, DLGPROC proc, LPARAM param) {
    // The dialog manager reads the template in place; a vector's heap block is suitably aligned.
    return DialogBoxIndirectParamW(ThisModule(), TemplateData(dialog), owner, proc, param);
}

void DialogCentre(HWND dialog) {
    RECT own{};
    GetWindowRect(dialog, &own);
    int width = own.right - own.left, height = own.bottom - own.top;
    RECT area{};
    HWND owner = GetWindow(dialog, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &area);
    else
        area = monitor.rcWork;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    const RECT& work = monitor.rcWork;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
