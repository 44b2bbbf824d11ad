#include "dialogs/message_box.h"

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/items.h"

namespace {

struct MsgTypeButtons {
    int count;
    double width;
    MsgButtonPlace buttons[3]; // x is filled in by the layout
};

// The button rows, indexed by type - 1.
const MsgTypeButtons kMsgButtons[] = {
    {1, 16, {{L"OK", 0, 16, 1}}},
    {2, 16, {{L"OK", 0, 16, 1}, {L"Cancel", 0, 16, -1}}},
    {2, 16, {{L"Yes", 0, 16, 2}, {L"No", 0, 16, -2}}},
    {3, 12, {{L"Yes", 0, 12, 2}, {L"No", 0, 12, -2}, {L"Cancel", 0, 12, -1}}},
    {3, 12, {{L"Retry", 0, 12, 2}, {L"Skip", 0, 12, -2}, {L"Cancel", 0, 12, -1}}},
};

DlgCallback CallbackForResult(int result) {
    switch (result) {
        case 1:
            return DlgStandardOk; // also makes it the default button, so Enter answers OK
        case 2:
            return DlgStandardYes;
        case -2:
            return DlgStandardNo;
        default:
            return DlgStandardCancel;
    }
}

void Append(wchar_t* target, int capacity, int* used, wchar_t character) {
    if (*used + 1 < capacity) target[(*used)++] = character;
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Reads a run of digits, saturating so that an absurd width cannot overflow.
int ReadNumber(const wchar_t** p) {
    int value = 0;
    while (IsDigit(**p)) {
        if (value < 100000) value = value * 10 + (**p - L'0');
        ++*p;
    }
    return value;
}

int Length(const wchar_t* text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}

// Substitutes one string conversion: pads to width (left or right) and cuts at precision.
void AppendString(wchar_t* target, int capacity, int* used, const wchar_t* text, bool leftAlign, int width,
                  int precision) {
    int length = Length(text);
    if (precision >= 0 && length > precision) length = precision;
    int padding = width > length ? width - length : 0;
    if (!leftAlign)
        for (int i = 0; i < padding; ++i) Append(target, capacity, used, L' ');
    for (int i = 0; i < length; ++i) Append(target, capacity, used, text[i]);
    if (leftAlign)
        for (int i = 0; i < padding; ++i) Append(target, capacity, used, L' ');
}

// What a message run did to the other open dialogs, so that it can undo exactly that.
struct DisabledDialogs {
    Dialog* byThisRun[DlgTableSize];
    HWND byThisRunWindow[DlgTableSize];
    int byThisRunCount;
    HWND alreadyDisabled[DlgTableSize];
    int alreadyDisabledCount;
};

// Disables every open toolkit dialog except the message itself. A dialog that is disabled already
// (by an enclosing message or by its owner) is only remembered, so that it stays disabled afterwards.
void DisableOpenDialogs(const Dialog* message, DisabledDialogs* state) {
    state->byThisRunCount = 0;
    state->alreadyDisabledCount = 0;
    for (int i = 0; i < DlgTableSize; ++i) {
        Dialog* dialog = DlgTableAt(i);
        if (!dialog || !dialog->window || dialog == message) continue;
        if (dialog->disabledByMessage || !IsWindowEnabled(dialog->window)) {
            state->alreadyDisabled[state->alreadyDisabledCount++] = dialog->window;
            continue;
        }
        EnableWindow(dialog->window, FALSE);
        dialog->disabledByMessage = 1;
        state->byThisRun[state->byThisRunCount] = dialog;
        state->byThisRunWindow[state->byThisRunCount++] = dialog->window;
    }
}

// The modal run re-enables its parent unconditionally; a parent that was disabled before the message
// is disabled again here. Records whose window changed meanwhile belong to another dialog now.
void RestoreOpenDialogs(const DisabledDialogs* state) {
    for (int i = 0; i < state->byThisRunCount; ++i) {
        Dialog* dialog = state->byThisRun[i];
        if (dialog->window != state->byThisRunWindow[i]) continue;
        dialog->disabledByMessage = 0;
        EnableWindow(dialog->window, TRUE);
    }
    for (int i = 0; i < state->alreadyDisabledCount; ++i) {
        HWND window = state->alreadyDisabled[i];
        if (IsWindow(window) && IsWindowEnabled(window)) EnableWindow(window, FALSE);
    }
}

// A message asked for without a parent while a modal dialog runs belongs to that dialog: the modal
// run refuses any other parent, and the message would be lost without a word.
HWND OwnerFor(HWND parent) {
    if (parent) return parent;
    Dialog* top = DlgTopModal();
    return top ? top->window : nullptr;
}

// The item keeps only 799 characters of its text, a message may have 800; and six lines of a 60-column
// box hold about half of that, so a longer message gets a scroll bar instead of losing its end.
void ShowWholeMessage(DialogItem* box, const wchar_t* text) {
    SetWindowTextW(box->control, text);
    LRESULT lines = SendMessageW(box->control, EM_GETLINECOUNT, 0, 0);
    int lineHeight = AppGetMetrics()->H;
    if (lineHeight <= 0 || lines * lineHeight <= box->ph) return;
    LONG_PTR style = GetWindowLongPtrW(box->control, GWL_STYLE);
    SetWindowLongPtrW(box->control, GWL_STYLE, style | WS_VSCROLL);
    SetWindowPos(box->control, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

Dialog* BuildMessageDialog(int type, HWND parent, const wchar_t* text) {
    MsgLayout layout = MsgLayoutFor(type, Length(text));
    Dialog* dialog = DlgCreate(AppName(), layout.width, layout.height, DlgWindowPopup, 0, parent);
    if (!dialog) return nullptr;
    DialogItem* box = DlgTextBox(dialog, 1, 0.4, layout.width - 2, layout.textLines, text);
    if (box) ShowWholeMessage(box, text);
    for (int i = 0; i < layout.buttonCount; ++i) {
        const MsgButtonPlace& button = layout.buttons[i];
        DlgButton(dialog, button.x, layout.buttonY, button.width, 0, CallbackForResult(button.result),
                  button.label, nullptr, 0);
    }
    return dialog;
}

} // namespace

int MsgFormat(wchar_t* target, int capacity, const wchar_t* format, const wchar_t* argument) {
    if (!target || capacity <= 0) return 0;
    int used = 0;
    if (!format) {
        AppendString(target, capacity, &used, argument ? argument : L"", false, 0, -1);
        target[used] = 0;
        return used;
    }
    if (!argument) {
        // The format is the message itself; it is shown as written.
        AppendString(target, capacity, &used, format, false, 0, -1);
        target[used] = 0;
        return used;
    }
    const wchar_t* p = format;
    while (*p) {
        if (*p != L'%') {
            Append(target, capacity, &used, *p++);
            continue;
        }
        if (p[1] == L'%') {
            Append(target, capacity, &used, L'%');
            p += 2;
            continue;
        }
        const wchar_t* start = p++;
        bool leftAlign = false;
        while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0') leftAlign |= *p++ == L'-';
        int width = ReadNumber(&p);
        int precision = -1;
        if (*p == L'.') {
            ++p;
            precision = ReadNumber(&p);
        }
        while (*p == L'l' || *p == L'h' || *p == L'w') ++p;
        if (*p == L's' || *p == L'S') {
            ++p;
            // There is one argument; a second string conversion repeats it rather than reading garbage.
            AppendString(target, capacity, &used, argument, leftAlign, width, precision);
            continue;
        }
        // Any other conversion would read an argument that was never passed: keep it as text.
        for (const wchar_t* q = start; q < p; ++q) Append(target, capacity, &used, *q);
    }
    target[used] = 0;
    return used;
}

MsgLayout MsgLayoutFor(int type, int length) {
    if (type < MsgTypeInfo || type > MsgTypeRetrySkipCancel) type = MsgTypeInfo;
    MsgLayout layout = {};
    layout.width = length < 55 ? 40 : 60;
    int lines = length < 60 ? 1 : 2;
    for (int threshold = 120; threshold <= 300; threshold += 60) lines += length >= threshold ? 1 : 0;
    layout.textLines = lines;
    layout.height = 2.6 + lines;
    layout.buttonY = layout.height - 1.6;

    const MsgTypeButtons& row = kMsgButtons[type - 1];
    layout.buttonCount = row.count;
    for (int i = 0; i < row.count; ++i) layout.buttons[i] = row.buttons[i];
    if (row.count == 1) {
        layout.buttons[0].x = (layout.width - 16) / 2;
    } else if (row.count == 2) {
        layout.buttons[0].x = 1;
        layout.buttons[1].x = layout.width - 17;
    } else {
        layout.buttons[0].x = 1;
        layout.buttons[1].x = layout.width / 2 - 6;
        layout.buttons[2].x = layout.width - 13;
    }
    return layout;
}

int MsgRun(int type, HWND parent, const wchar_t* format, const wchar_t* argument) {
    wchar_t text[kMsgTextLength + 1];
    MsgFormat(text, kMsgTextLength + 1, format, argument);
    Dialog* dialog = BuildMessageDialog(type, OwnerFor(parent), text);
    if (!dialog) return 0;

    DisabledDialogs state;
    DisableOpenDialogs(dialog, &state);
    int result = DlgRun(dialog);
    RestoreOpenDialogs(&state);
    return result;
}

void MsgInfo(HWND parent, const wchar_t* format, const wchar_t* argument) {
    MsgRun(MsgTypeInfo, parent, format, argument);
}

bool MsgOkCancel(HWND parent, const wchar_t* format, const wchar_t* argument) {
    return MsgRun(MsgTypeOkCancel, parent, format, argument) == 1;
}

bool MsgYesNo(HWND parent, const wchar_t* format, const wchar_t* argument) {
    return MsgRun(MsgTypeYesNo, parent, format, argument) == 2;
}

namespace {
int ThreeWayAnswer(int result) {
    return result == 2 ? 1 : result == -1 ? -1 : 0;
}
} // namespace

int MsgYesNoCancel(HWND parent, const wchar_t* format, const wchar_t* argument) {
    return ThreeWayAnswer(MsgRun(MsgTypeYesNoCancel, parent, format, argument));
}

int MsgRetrySkipCancel(HWND parent, const wchar_t* format, const wchar_t* argument) {
    return ThreeWayAnswer(MsgRun(MsgTypeRetrySkipCancel, parent, format, argument));
}
