// What makes one item kind differ from another: its control class and styles, its layout rule and
// the functions that move values between the bound variable and the control. Each kind defines its
// behaviour object in a file of its own (item_text.cpp, item_edit.cpp, ...); item_kinds.cpp lists them
// in a table indexed by kind, and the dialog machinery dispatches through that table only.
#pragma once

#include "dialogs/dialog.h"

// How the common creation path and the re-layout turn character units into the control's rectangle.
enum ItemLayoutRule {
    LayoutPlain,    // as given
    LayoutEdit,     // height = H + 4, top = line top + half pad (edit fields, slider)
    LayoutToggle,   // height = H (1.2 lines for push-like toggles), top = line top + pad
    LayoutButton,   // height 0 -> 1.2 lines
    LayoutText,     // height 0 -> 1.2 H, top moved down by 0.1 line
    LayoutHLine,    // width 0 -> to the right edge; height 2
    LayoutVLine,    // width 2; height 0 -> to the bottom
    LayoutArea,     // width 0 -> to the right edge, height 0 -> to the bottom (swatch, custom)
    LayoutWideArea, // width 0 -> to the right edge (rich text)
    LayoutColor,    // height = H + 4
};

// Which colours WM_CTLCOLOR* gives the control.
enum ItemColorRule {
    ColorsStatic,       // black on palette colour 10, transparent text background
    ColorsItemPalette,  // the item's text colour on its background colour (texts, swatches, bitmaps)
    ColorsBlackOnWhite, // editable fields, slider
};

// Every member has a default, so that a kind names only what it has.
struct ItemBehaviour {
    const wchar_t* className = nullptr;
    DWORD style = 0; // besides WS_CHILD (and WS_VISIBLE, WS_TABSTOP as the flags below say)
    DWORD exStyle = 0;
    int tabStop = 0;    // takes part in Tab navigation and gets the first focus
    int recorded = 0;   // may appear in the recorded values of a dialog
    int takesWheel = 0; // mouse-wheel messages over the control are forwarded to it
    ItemLayoutRule layout = LayoutPlain;
    ItemColorRule colors = ColorsStatic;
    // variable -> control (DlgRefresh)
    void (*refresh)(DialogItem* item) = nullptr;
    // control -> variable (focus lost, Enter, Tab); returns 1 when the item changed (the caller notifies)
    int (*commit)(DialogItem* item) = nullptr;
    // variable -> saved value, at creation
    void (*save)(DialogItem* item) = nullptr;
    // saved value -> variable, on a cancelling exit
    void (*restore)(DialogItem* item) = nullptr;
    // WM_COMMAND from the control; returns 1 when the variable changed (the caller notifies)
    int (*command)(DialogItem* item, int notifyCode) = nullptr;
    // WM_NOTIFY / WM_HSCROLL from the control; the result goes back to the control
    LRESULT (*notify)(DialogItem* item, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
    int (*drawItem)(DialogItem* item, DRAWITEMSTRUCT* draw) = nullptr;
    int (*measureItem)(DialogItem* item, MEASUREITEMSTRUCT* measure) = nullptr;
    // messages of the toolkit's own control classes ("NimboCustomCtrl", "NimboRowBoxCtrl",
    // "NimboTableCtrl"); null leaves them to DefWindowProc
    LRESULT(*controlProc)
    (DialogItem* item, HWND window, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
    // the dialog was just shown (rich text moves its caret to the end so that its formatting shows)
    void (*shown)(DialogItem* item) = nullptr;
    // frees what the kind made for the item (bitmaps, icons, ...) when the dialog is released; the
    // control is gone by then
    void (*destroy)(DialogItem* item) = nullptr;
};

extern const ItemBehaviour ItemTextBehaviour;     // 0
extern const ItemBehaviour ItemLineBehaviour;     // 1
extern const ItemBehaviour ItemVLineBehaviour;    // 2
extern const ItemBehaviour ItemToggleBehaviour;   // 4
extern const ItemBehaviour ItemButtonBehaviour;   // 5
extern const ItemBehaviour ItemColorBehaviour;    // 6
extern const ItemBehaviour ItemStringBehaviour;   // 7
extern const ItemBehaviour ItemIntBehaviour;      // 8
extern const ItemBehaviour ItemUIntBehaviour;     // 9
extern const ItemBehaviour ItemInt64Behaviour;    // 10
extern const ItemBehaviour ItemDoubleBehaviour;   // 11
extern const ItemBehaviour ItemChoiceBehaviour;   // 12
extern const ItemBehaviour ItemListBehaviour;     // 13
extern const ItemBehaviour ItemSliderBehaviour;   // 15
extern const ItemBehaviour ItemSwatchBehaviour;   // 16
extern const ItemBehaviour ItemCustomBehaviour;   // 17
extern const ItemBehaviour ItemRichTextBehaviour; // 18
extern const ItemBehaviour ItemBitmapBehaviour;   // 19
extern const ItemBehaviour ItemToolbarBehaviour;  // 20
extern const ItemBehaviour ItemRowBoxBehaviour;   // 21
extern const ItemBehaviour ItemTableBehaviour;    // 22
extern const ItemBehaviour ItemTextBoxBehaviour;  // 23

// The behaviour of a kind, or null for unused kinds and kinds this build does not offer.
const ItemBehaviour* ItemBehaviourOf(int kind);

// The common creation path of every kind: converts position and size with the kind's layout rule,
// takes the next item index (the control's identifier), creates the control visible (it shows with its
// dialog), subclasses it, sets the regular font, saves the variable's value, writes it into edit fields,
// then creates label and unit texts. className null takes the kind's class and styles, adding style and
// exStyle to them; a caller that names its own class gives the whole style (the kind's styles belong
// to the kind's class), and its control is no tab stop unless that style says so. Null when the dialog is
// null, the table cannot grow or the control fails.
DialogItem* ItemCreate(Dialog* dialog, int kind, double x, double y, double w, double h,
                       const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* text,
                       void* variable, int flags, const wchar_t* label, const wchar_t* unit,
                       const wchar_t* name);

// The control's pixel rectangle (client coordinates) for the given character-unit position and size.
RECT ItemLayoutRect(const Dialog* dialog, int kind, int flags, double x, double y, double w, double h);
// Moves the control to the rectangle, its label to end 4 pixels left of it, its unit one column right.
void ItemPlace(DialogItem* item, const RECT* rect);

// Calls the dialog's change hook for the item when the item has the notify flag.
void ItemNotify(DialogItem* item);
// The item whose control is the given window (or whose label or unit text it is), or null.
DialogItem* ItemFromControl(HWND control);
// Copies at most capacity - 1 characters and terminates; null source gives an empty text.
void ItemCopyText(wchar_t* target, int capacity, const wchar_t* source);
