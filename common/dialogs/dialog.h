// Dialogs built from code in character units, their items bound to the caller's variables, the
// modal run with its exits, hooks, menus and the operations common to every item.
#pragma once

#include <windows.h>

struct Dialog;
struct DialogItem;
struct RichTextBuffer;

// ---- Item kinds (the number is stored in DialogItem::kind) ----
enum DlgItemKind {
    DlgKindText = 0,
    DlgKindLine = 1,
    DlgKindVLine = 2,
    DlgKindUnused3 = 3,
    DlgKindToggle = 4,
    DlgKindButton = 5,
    DlgKindColor = 6,
    DlgKindString = 7,
    DlgKindInt = 8,
    DlgKindUInt = 9,
    DlgKindInt64 = 10,
    DlgKindDouble = 11,
    DlgKindChoice = 12,
    DlgKindList = 13,
    DlgKindUnused14 = 14,
    DlgKindSlider = 15,
    DlgKindSwatch = 16,
    DlgKindCustom = 17,
    DlgKindRichText = 18,
    DlgKindBitmap = 19,
    DlgKindToolbar = 20,
    DlgKindRowBox = 21,
    DlgKindTable = 22,
    DlgKindTextBox = 23,
    DlgKindCount = 24,
};

// ---- Item flags ----
enum DlgItemFlags {
    DlgItemNotify = 0x1000,      // call the change hook after the item changed its variable
    DlgItemDisplayOnly = 0x2000, // edit kinds: plain text showing the value, never recorded
    DlgItemLive = 0x8000,        // edit kinds: write the variable on every change of the text
    // per kind
    DlgTextRight = 0x1,
    DlgTextCentre = 0x2,
    DlgTextBold = 0x4,
    DlgTogglePushLike = 0x1,
    DlgButtonBitmap = 0x4,
    DlgButtonIcon = 0x8,
    DlgButtonRadio = 0x10,
    DlgButtonRadioGroup = 0x20,
    DlgDoubleSign = 0x1,
    DlgDoubleExponent = 0x2,
    DlgChoiceWeights = 0x1,
    DlgChoiceStyles = 0x2,
    DlgChoiceColors = 0x4,
    DlgListNoSelection = 0x1,
    DlgListMultiple = 0x2,
};

// ---- Dialog kinds and style flags of DlgCreate ----
enum DlgWindowKind {
    DlgWindowTool = 0,         // free-standing tool window ("NimboClassify")
    DlgWindowChild = 1,        // embedded in a host window ("NimboChildDlg")
    DlgWindowPopup = 2,        // the modal case
    DlgWindowToolDisabled = 3, // tool window disabled while a modal dialog runs
};

enum DlgStyleFlags {
    DlgStyleMenuBar = 0x2,
    DlgStyleResizable = 0x4,
    DlgStyleMinMax = 0x8,
    DlgStyleCentred = 0x10, // DlgCreateTool only
    DlgStyleNoSysMenu = 0x20,
    DlgStyleBorderless = 0x80,
};

enum { DlgTableSize = 50, DlgSpareCount = 2, DlgModalStackSize = 20 };
enum { DlgLabelIdOffset = 10000, DlgUnitIdOffset = 20000, DlgMenuIdBase = 20000 };
enum { DlgNameLength = 80, DlgItemTextLength = 800, DlgStringMaximum = 3999, DlgEditReadLength = 4000 };

// ---- Callbacks and hooks ----
typedef int (*DlgCallback)(Dialog* dialog); // push buttons and menu commands: non-zero ends a run
typedef void (*DlgDestroyHook)(Dialog* dialog);
typedef void (*DlgSizeEndHook)(Dialog* dialog);
typedef void (*DlgChangeHook)(Dialog* dialog, DialogItem* item); // item null once when a dialog starts

// One rectangle filled by a layout hook, in character units.
struct DlgLayoutRect {
    DialogItem* item;
    double x, y, w, h;
};
typedef int (*DlgLayoutHook)(DlgLayoutRect* rects, int itemCount, Dialog* dialog, double clientColumns,
                             double clientLines);
typedef void (*DlgAfterLayoutHook)(Dialog* dialog);

struct DlgMenuEntry;
typedef void (*DlgMenuPopupHook)(Dialog* dialog, DlgMenuEntry* entry);
typedef void (*DlgMessageSpy)(Dialog* dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Called for every message of the dialog (item null) and of every item control; non-zero swallows it.
typedef int (*DlgMessageFilter)(Dialog* dialog, DialogItem* item, UINT message, WPARAM wParam, LPARAM lParam);

// Lists: the draw callback paints one line; the click callback (no-selection lists) answers non-zero
// when the list must be repainted.
typedef void (*DlgListDrawCallback)(DialogItem* item, long long line, HDC dc, const RECT* rect, int selected);
typedef int (*DlgListClickCallback)(DialogItem* item, long long line);
// Push buttons may see their keys first; non-zero means the key was used.
typedef int (*DlgButtonKeyHandler)(DialogItem* item, int key, int isKeyDown);
// Custom controls ("NimboCustomCtrl"): every message of the control; non-zero with *result set handles it.
typedef int (*DlgCustomHandler)(DialogItem* item, UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result);
// An item's own value text for recording and playback (either may be null).
typedef int (*DlgValueFormatter)(DialogItem* item, wchar_t* text, int capacity);
typedef int (*DlgValueSetter)(DialogItem* item, const wchar_t* text);

// ---- Records ----
union DlgSavedValue {
    int i;
    long long i64;
    double d;
    unsigned char rgb[3];
    wchar_t s[DlgItemTextLength];
};

union DlgLimit {
    int i;
    long long i64;
    double d;
};

struct DialogItem {
    HWND control;
    HWND label; // text left of the control, or null
    HWND unit;  // text right of the control, or null
    Dialog* dialog;
    int index; // position in the item table; also the control's identifier
    int kind;
    int flags;
    int decimals;
    int visible; // 0 after DlgShowItem hid it; showing a dialog shows only visible items
    int textColor;
    int backColor;
    DlgCallback callback;
    DlgListDrawCallback listDraw;
    DlgListClickCallback listClick;
    DlgButtonKeyHandler keyHandler;
    DlgCustomHandler customHandler;
    DlgValueFormatter formatter;
    DlgValueSetter setter;
    double x, y, w, h;  // character units as given
    int px, py, pw, ph; // pixels, client coordinates of the control
    void* variable;
    DlgSavedValue saved;
    wchar_t* savedLong; // the saved text of a string longer than the saved value holds (tag "DlgSav")
    wchar_t text[DlgItemTextLength];
    wchar_t name[DlgNameLength]; // empty: not recorded
    wchar_t tooltip[DlgItemTextLength];
    HBITMAP bitmap;
    HICON icon;
    int maxLength; // string fields, at most 3999
    int hasLower, hasUpper;
    DlgLimit lower, upper;
    int pressed;          // push-like buttons
    long long lineCount;  // lists
    void* model;          // row box, grid, rich-text buffer, ...
    void* userData;       // free for the caller (custom controls)
    WNDPROC previousProc; // the control's own procedure, behind the toolkit's subclass
    int inLiveUpdate;     // set while the toolkit itself writes a live field's text
};

struct DlgMenuEntry {
    int kind; // 0 popup on the bar, 1 command or separator, 3 popup inside a popup
    int id;
    HMENU popup; // the popup it belongs to, or its own popup
    wchar_t text[DlgNameLength];
    wchar_t name[DlgNameLength];
    DlgCallback callback;
};

struct Dialog {
    HWND window; // null when the record is free
    HMENU menu;
    HWND tooltip;
    int shown;
    int kind;
    int result;
    int style;
    int minWidth, minHeight; // pixels, 0 = none
    DlgDestroyHook destroyHook;
    DlgSizeEndHook sizeEndHook;
    DlgChangeHook changeHook;
    DlgLayoutHook layoutHook;
    DlgAfterLayoutHook afterLayoutHook;
    DlgMenuPopupHook menuPopupHook;
    DlgMessageSpy messageSpy;
    DlgMessageFilter messageFilter;
    DialogItem** items; // tag "DlgItb"; each item is a block of its own so that pointers stay valid
    int itemCount;
    int itemCapacity;
    DlgMenuEntry* menuEntries; // tag "DlgMtb"
    int menuCount;
    int menuCapacity;
    int commandCounter;
    int disabledByMessage;
    int disabledByRun; // a kind-3 dialog that the current modal run disabled
    HWND parent;
    int clientWidth, clientHeight; // pixels at creation or last re-layout
    wchar_t name[DlgNameLength];   // used instead of the title when values are recorded
    int ownRecord;                 // 1: built into a caller's record, not the table
};

// ---- Standard push-button callbacks ----
int DlgStandardOk(Dialog* dialog);     // 1
int DlgStandardCancel(Dialog* dialog); // -1
int DlgStandardYes(Dialog* dialog);    // 2 (also Retry)
int DlgStandardNo(Dialog* dialog);     // -2 (also Skip)

// ---- Creation and running ----
Dialog* DlgCreate(const wchar_t* title, double columns, double lines, int kind, int style, HWND parent);
Dialog* DlgCreateNamed(const wchar_t* title, double columns, double lines, int kind, int style, HWND parent,
                       const wchar_t* name);
// Builds into a record the caller owns (it must outlive the window).
Dialog* DlgCreateInto(Dialog* record, const wchar_t* title, double columns, double lines, int kind, int style,
                      HWND parent);
Dialog* DlgCreateTool(const wchar_t* title, double columns, double lines, int reserved, int style);
Dialog* DlgCreateChild(HWND host);

int DlgShow(Dialog* dialog); // modeless; refused for kind 2
int DlgRun(Dialog* dialog);  // modal; the dialog is destroyed on return
void DlgClose(Dialog** dialog);
// Destroys items, tables, menu, tooltips and window and frees the record (no hooks, no recording).
void DlgDestroy(Dialog* dialog);
// Ends a running dialog as its push buttons do: records the values, restores them when result < 0.
void DlgEnd(Dialog* dialog, int result);
// Restores every bound variable to the value saved when its item was created.
void DlgRestoreVariables(Dialog* dialog);

// The dialog of a toolkit window or of one of its item controls; null when there is none.
Dialog* DlgFromWindow(HWND window);
// Table access for code that walks every open dialog (records whose window is null are free).
Dialog* DlgTableAt(int index);
Dialog* DlgSpareAt(int index);
// Attaches a spare record to a window the toolkit did not create, so that items can live on it.
Dialog* DlgAttachSpare(HWND window);
void DlgDetachSpare(Dialog* dialog);
// The dialog on top of the modal stack, or null.
Dialog* DlgTopModal();

// ---- Hooks ----
void DlgSetDestroyHook(Dialog* dialog, DlgDestroyHook hook);
void DlgSetSizeEndHook(Dialog* dialog, DlgSizeEndHook hook);
void DlgSetChangeHook(Dialog* dialog, DlgChangeHook hook);
void DlgSetLayoutHook(Dialog* dialog, DlgLayoutHook hook);
void DlgSetAfterLayoutHook(Dialog* dialog, DlgAfterLayoutHook hook);
void DlgSetMenuPopupHook(Dialog* dialog, DlgMenuPopupHook hook);
void DlgSetMessageSpy(Dialog* dialog, DlgMessageSpy spy);
void DlgSetMessageFilter(Dialog* dialog, DlgMessageFilter filter);
void DlgSetMinimumSize(Dialog* dialog, double columns, double lines);

// ---- Item lookup and operations (the By forms return 0 and change nothing when nothing matches) ----
DialogItem* DlgItemByVariable(Dialog* dialog, const void* variable);
DialogItem* DlgItemByCallback(Dialog* dialog, DlgCallback callback);
DialogItem* DlgItemAt(Dialog* dialog, int index);

int DlgEnable(DialogItem* item, int enable);
int DlgEnableVariable(Dialog* dialog, const void* variable, int enable);
int DlgEnableButton(Dialog* dialog, DlgCallback callback, int enable);
int DlgShowItem(DialogItem* item, int show);
int DlgShowItemVariable(Dialog* dialog, const void* variable, int show);
int DlgShowButton(Dialog* dialog, DlgCallback callback, int show);
int DlgRefresh(DialogItem* item);
int DlgRefreshVariable(Dialog* dialog, const void* variable);
int DlgFocus(DialogItem* item);
int DlgFocusVariable(Dialog* dialog, const void* variable);
int DlgFocusButton(Dialog* dialog, DlgCallback callback);
int DlgSetLabel(DialogItem* item, const wchar_t* text);
int DlgSetLabelVariable(Dialog* dialog, const void* variable, const wchar_t* text);
int DlgSetLabelButton(Dialog* dialog, DlgCallback callback, const wchar_t* text);
// Pressed state of a push-like button (radio tool buttons).
int DlgSetButtonPressed(Dialog* dialog, DlgCallback callback, int pressed);
// Writes an edit field's text to its variable now (as losing the focus does); 1 when the text differed.
int DlgCommit(DialogItem* item);

// ---- Menus ----
int DlgMenuBar(Dialog* dialog);
HMENU DlgMenuPopup(Dialog* dialog, const wchar_t* title);
HMENU DlgMenuSubPopup(Dialog* dialog, HMENU popup, const wchar_t* title);
// Returns the command identifier, 0 on failure.
int DlgMenuCommand(Dialog* dialog, HMENU popup, DlgCallback callback, const wchar_t* text,
                   const wchar_t* name);
int DlgMenuSeparator(Dialog* dialog, HMENU popup);
int DlgMenuEnable(Dialog* dialog, DlgCallback callback, int enable);
int DlgMenuCheck(Dialog* dialog, DlgCallback callback, int check);
DlgMenuEntry* DlgMenuEntryById(Dialog* dialog, int id);

// ---- Window operations ----
void DlgToTop(Dialog* dialog);
void DlgMoveTo(Dialog* dialog, int x, int y); // screen pixels of the outer top-left corner
// Places the dialog's top-left corner at the other dialog's top-left corner plus the offset in pixels.
void DlgMoveRelative(Dialog* dialog, const Dialog* other, int dx, int dy);
void DlgResize(Dialog* dialog, double columns, double lines);
void DlgResizePixels(Dialog* dialog, int width, int height);
void DlgClientSize(Dialog* dialog, double* columns, double* lines);
void DlgHide(Dialog* dialog);
void DlgSetResizable(Dialog* dialog, int resizable);
void DlgRedrawItems(Dialog* dialog);
