// Modal message dialogs built from the toolkit's own dialogs (not the platform's message box), so that
// they share the toolkit's fonts, colours and keyboard rules, and the text they show.
#pragma once

#include <windows.h>

// Longest message a dialog shows, without the terminator.
constexpr int kMsgTextLength = 800;

// The button rows of the message dialogs.
enum MsgType {
    MsgTypeInfo = 1,            // OK
    MsgTypeOkCancel = 2,        // OK, Cancel
    MsgTypeYesNo = 3,           // Yes, No
    MsgTypeYesNoCancel = 4,     // Yes, No, Cancel
    MsgTypeRetrySkipCancel = 5, // Retry, Skip, Cancel
};

// Each blocks until the user answers. The message is format with argument substituted when both are
// given, else whichever is given (neither: an empty message). Escape and the close box count as Cancel
// (as No for MsgYesNo). A dialog that cannot be created answers as if nothing was chosen (false, 0).
void MsgInfo(HWND parent, const wchar_t* format, const wchar_t* argument);
bool MsgOkCancel(HWND parent, const wchar_t* format, const wchar_t* argument);
bool MsgYesNo(HWND parent, const wchar_t* format, const wchar_t* argument);
// 1 Yes, -1 Cancel, 0 No.
int MsgYesNoCancel(HWND parent, const wchar_t* format, const wchar_t* argument);
// 1 Retry, -1 Cancel, 0 Skip.
int MsgRetrySkipCancel(HWND parent, const wchar_t* format, const wchar_t* argument);

// Runs a message dialog of the given type and returns the raw push-button result (1 OK, -1 Cancel,
// 2 Yes or Retry, -2 No or Skip), 0 when the dialog could not be created.
int MsgRun(int type, HWND parent, const wchar_t* format, const wchar_t* argument);

// Builds the text of a message into target (capacity characters including the terminator): format with
// every string conversion ("%s", "%ls", "%-20s", "%.40s", ...) replaced by argument, "%%" as "%", and
// every other conversion left as written, since there is no argument of another type to take. A null
// format gives the argument alone; a text that does not fit is cut. Returns the characters written.
int MsgFormat(wchar_t* target, int capacity, const wchar_t* format, const wchar_t* argument);

// Where a message dialog puts things, in character units.
struct MsgButtonPlace {
    const wchar_t* label;
    double x, width;
    int result;
};

struct MsgLayout {
    double width, height; // client size in columns and lines
    int textLines;        // height of the text box in lines
    double buttonY;       // top line of the button row
    int buttonCount;
    MsgButtonPlace buttons[3];
};

// The layout for a message of length characters in a dialog of the given type (1..5; anything else is
// treated as type 1).
MsgLayout MsgLayoutFor(int type, int length);
