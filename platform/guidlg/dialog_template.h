// In-memory dialog templates (the extended form) for DialogBoxIndirectParamW: a dialog laid out in
// dialog units with the system's dialog font, and its controls.
#pragma once

#include <windows.h>

#include <vector>

struct DialogTemplate {
    std::vector<BYTE> bytes; // DWORD-aligned, as the dialog manager wants it
    size_t itemCountOffset;
    WORD itemCount;
};

// Starts a modal dialog of cx x cy dialog units titled title, in "MS Shell Dlg" 8 pt.
void TemplateBegin(DialogTemplate* dialog, const wchar_t* title, short cx, short cy);
// Adds a control of a window class ("Button", "Static", "Edit", "ComboBox", "SysListView32", ...).
// WS_CHILD | WS_VISIBLE are added to style.
void TemplateAddItem(DialogTemplate* dialog, const wchar_t* className, const wchar_t* text, WORD id, short x,
                     short y, short cx, short cy, DWORD style, DWORD exStyle = 0);
// Sets the dialog's height once its controls are laid out.
void TemplateSetHeight(DialogTemplate* dialog, short cy);
const DLGTEMPLATE* TemplateData(const DialogTemplate& dialog);

// Runs the template modally under owner with proc; param reaches WM_INITDIALOG. The dialog's result,
// or -1 when it could not be created.
INT_PTR TemplateRun(const DialogTemplate& dialog, HWND owner, DLGPROC proc, LPARAM param);

// Centres the dialog over its owner, or over the work area when it has none, and keeps it on screen.
void DialogCentre(HWND dialog);
