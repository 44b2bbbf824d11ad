// Playback: name=value assignments applied to the named items of open dialogs, and the queue of
// assignments that waits for the next dialog to start.
#include "dialogs/dialog_recording.h"

#include "runtime/text.h"

#include <climits>
#include <cstdlib>
#include <cwchar>

namespace {

wchar_t queue[DlgQueueLength];
int queueLength = 0;

// A value text is at most as long as the longest string field can hold.
enum { ValueLength = DlgStringMaximum, NumberTextLength = 400 };

bool IsAssignmentBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

int ReadInt(const wchar_t* text) {
    return static_cast<int>(wcstol(text, nullptr, 10));
}

long long ReadInt64(const wchar_t* text) {
    return wcstoll(text, nullptr, 10);
}

// One colour component: a whole number from 0 to 255 with nothing but blanks around it.
bool ReadColorPart(const wchar_t* begin, const wchar_t* end, unsigned char* part) {
    while (begin < end && (*begin == L' ' || *begin == L'\t')) ++begin;
    while (end > begin && (end[-1] == L' ' || end[-1] == L'\t')) --end;
    if (begin == end || end - begin > 3) return false;
    int value = 0;
    for (const wchar_t* c = begin; c < end; ++c) {
        if (*c < L'0' || *c > L'9') return false;
        value = value * 10 + (*c - L'0');
    }
    if (value > 255) return false;
    *part = static_cast<unsigned char>(value);
    return true;
}

// "red,green,blue"; anything else leaves the colour as it was.
bool ReadColor(const wchar_t* text, unsigned char* rgb) {
    unsigned char parts[3];
    const wchar_t* begin = text;
    for (int i = 0; i < 3; ++i) {
        const wchar_t* end = begin;
        while (*end && *end != L',') ++end;
        if ((i < 2) != (*end == L',')) return false;
        if (!ReadColorPart(begin, end, &parts[i])) return false;
        begin = end + 1;
    }
    rgb[0] = parts[0];
    rgb[1] = parts[1];
    rgb[2] = parts[2];
    return true;
}

void CopyString(DialogItem* item, const wchar_t* value) {
    size_t maximum = item->maxLength > 0 ? static_cast<size_t>(item->maxLength) : 0;
    TextCopyMax(static_cast<wchar_t*>(item->variable), maximum, value);
}

int SetFromText(DialogItem* item, const wchar_t* value) {
    void* variable = item->variable;
    switch (item->kind) {
        case DlgKindToggle:
        case DlgKindInt:
        case DlgKindChoice:
        case DlgKindSlider:
            *static_cast<int*>(variable) = ReadInt(value);
            return 1;
        case DlgKindUInt:
            *static_cast<unsigned int*>(variable) =
                static_cast<unsigned int>(ReadInt64(value) & 0xFFFFFFFFLL);
            return 1;
        case DlgKindInt64:
            *static_cast<long long*>(variable) = ReadInt64(value);
            return 1;
        case DlgKindDouble:
            *static_cast<double*>(variable) = wcstod(value, nullptr);
            return 1;
        case DlgKindString:
            CopyString(item, value);
            return 1;
        case DlgKindColor:
            return ReadColor(value, static_cast<unsigned char*>(variable)) ? 1 : 0;
        default:
            return 0;
    }
}

// The kinds that take a typed value of each DlgValueType.
bool KindTakesType(int kind, int type) {
    switch (type) {
        case DlgValueInt:
            return kind == DlgKindToggle || kind == DlgKindInt || kind == DlgKindChoice ||
                   kind == DlgKindSlider;
        case DlgValueUInt:
            return kind == DlgKindUInt;
        case DlgValueDouble:
            return kind == DlgKindDouble;
        case DlgValueString:
            return kind == DlgKindString;
        default:
            return false;
    }
}

// The typed value as playback text (the form it is queued in after the name and "=").
void FormatTypedValue(const void* value, int type, wchar_t* text, int capacity) {
    switch (type) {
        case DlgValueInt:
            swprintf(text, static_cast<size_t>(capacity), L"%d", *static_cast<const int*>(value));
            break;
        case DlgValueUInt:
            swprintf(text, static_cast<size_t>(capacity), L"%u", *static_cast<const unsigned int*>(value));
            break;
        case DlgValueDouble:
            swprintf(text, static_cast<size_t>(capacity), L"%.15f", *static_cast<const double*>(value));
            break;
        default:
            TextCopyMax(text, static_cast<size_t>(capacity - 1), static_cast<const wchar_t*>(value));
            break;
    }
}

int SetFromTyped(DialogItem* item, const void* value, int type) {
    if (item->setter) {
        wchar_t text[ValueLength + 1];
        FormatTypedValue(value, type, text, ValueLength + 1);
        return item->setter(item, text) ? 1 : 0;
    }
    switch (type) {
        case DlgValueInt:
            *static_cast<int*>(item->variable) = *static_cast<const int*>(value);
            return 1;
        case DlgValueUInt:
            *static_cast<unsigned int*>(item->variable) = *static_cast<const unsigned int*>(value);
            return 1;
        case DlgValueDouble:
            *static_cast<double*>(item->variable) = *static_cast<const double*>(value);
            return 1;
        case DlgValueString:
            CopyString(item, static_cast<const wchar_t*>(value));
            return 1;
        default:
            return 0;
    }
}

// What an assignment carries to every candidate item.
struct Assignment {
    wchar_t name[DlgAssignNameLength + 1];
    const wchar_t* text; // value text (DlgAssign)
    const void* typed;   // typed value (DlgAssignValue), or null
    int type;
};

bool Matches(const DialogItem* item, const Assignment& assignment) {
    if (!item || !item->control || !item->variable) return false;
    if (assignment.typed && !KindTakesType(item->kind, assignment.type)) return false;
    return TextCompareNoCase(DlgRecordedName(item), assignment.name) == 0;
}

int SetItem(DialogItem* item, const Assignment& assignment) {
    if (assignment.typed) return SetFromTyped(item, assignment.typed, assignment.type);
    return DlgSetItemFromText(item, assignment.text);
}

// Sets every matching item of one dialog; returns the first one set. The change hook may change the
// dialog (even close it), so the table is read afresh after every call.
DialogItem* ApplyToDialog(Dialog* dialog, const Assignment& assignment) {
    DialogItem* first = nullptr;
    for (int i = 0; dialog->window && i < dialog->itemCount; ++i) {
        DialogItem* item = dialog->items[i];
        if (!Matches(item, assignment) || !SetItem(item, assignment)) continue;
        if (!first) first = item;
        DlgRefresh(item);
        if (dialog->changeHook) dialog->changeHook(dialog, item);
    }
    return first;
}

// Applies to the open dialogs in table order, then the spare records; a starting dialog built into
// the caller's own record is in neither, so it is named separately.
DialogItem* ApplyToOpenDialogs(const Assignment& assignment, Dialog* alsoThis) {
    DialogItem* first = nullptr;
    bool alsoThisSeen = !alsoThis;
    int cursor = 0;
    while (Dialog* dialog = DlgNextOpenDialog(&cursor)) {
        if (dialog == alsoThis) alsoThisSeen = true;
        DialogItem* set = ApplyToDialog(dialog, assignment);
        if (!first) first = set;
    }
    if (!alsoThisSeen && alsoThis->window) {
        DialogItem* set = ApplyToDialog(alsoThis, assignment);
        if (!first) first = set;
    }
    return first;
}

// Takes one line of assignment text apart; the value ends with its line.
bool ReadAssignment(const wchar_t* text, Assignment* assignment, wchar_t value[ValueLength + 1]) {
    const wchar_t* valueStart = nullptr;
    if (!DlgParseAssignment(text, assignment->name, &valueStart)) return false;
    int length = 0;
    while (length < ValueLength && valueStart[length] && valueStart[length] != L'\r' &&
           valueStart[length] != L'\n')
        ++length;
    wmemcpy(value, valueStart, static_cast<size_t>(length));
    value[length] = 0;
    assignment->text = value;
    assignment->typed = nullptr;
    assignment->type = 0;
    return true;
}

DialogItem* AssignLine(const wchar_t* line, Dialog* alsoThis) {
    Assignment assignment;
    wchar_t value[ValueLength + 1];
    if (!ReadAssignment(line, &assignment, value)) return nullptr;
    return ApplyToOpenDialogs(assignment, alsoThis);
}

void ApplyQueuedLines(Dialog* dialog) {
    // The queue is emptied before anything is applied: a change hook that queues or starts another
    // dialog must neither see these lines again nor lose its own.
    wchar_t lines[DlgQueueLength];
    wmemcpy(lines, queue, static_cast<size_t>(queueLength) + 1);
    DlgClearQueuedAssignments();

    wchar_t* line = lines;
    while (*line) {
        wchar_t* end = wcschr(line, L'\n');
        wchar_t* next = end ? end + 1 : line + wcslen(line);
        if (end) *end = 0;
        if (line[0] && !AssignLine(line, dialog)) DlgRecordFailedAssignment(line);
        line = next;
    }
}

} // namespace
int DlgParseAssignment(const wchar_t* text, wchar_t name[DlgAssignNameLength + 1], const wchar_t** value) {
    name[0] = 0;
    if (!text) return 0;
    const wchar_t* equals = wcschr(text, L'=');
    if (!equals) return 0;
    size_t length = static_cast<size_t>(equals - text);
    if (length > DlgAssignNameLength) length = DlgAssignNameLength;
    wmemcpy(name, text, length);
    name[length] = 0;
    const wchar_t* start = equals + 1;
    while (IsAssignmentBlank(*start)) ++start;
    if (value) *value = start;
    return 1;
}

int DlgSetItemFromText(DialogItem* item, const wchar_t* value) {
    if (!item || !item->variable || !value) return 0;
    if (item->setter) return item->setter(item, value) ? 1 : 0;
    return SetFromText(item, value);
}

DialogItem* DlgAssign(const wchar_t* text, int queueIfUnmatched) {
    Assignment assignment;
    wchar_t value[ValueLength + 1];
    if (!ReadAssignment(text, &assignment, value)) return nullptr;
    DialogItem* first = ApplyToOpenDialogs(assignment, nullptr);
    if (!first && queueIfUnmatched) DlgQueueAssignment(text);
    return first;
}

int DlgAssignValue(const wchar_t* name, const void* value, int type) {
    if (!name || !name[0] || wcschr(name, L'=') || !value) return 0;
    if (type < DlgValueInt || type > DlgValueString) return 0;
    Assignment assignment;
    TextCopyMax(assignment.name, DlgAssignNameLength, name);
    assignment.text = nullptr;
    assignment.typed = value;
    assignment.type = type;
    if (ApplyToOpenDialogs(assignment, nullptr)) return 1;

    wchar_t number[NumberTextLength];
    FormatTypedValue(value, type, number, NumberTextLength);
    wchar_t line[DlgAssignTextLength];
    TextCopyMax(line, DlgAssignTextLength - 1, name);
    size_t length = wcslen(line);
    TextCopyMax(line + length, DlgAssignTextLength - 1 - length, L"=");
    length = wcslen(line);
    if (type == DlgValueString)
        TextCopyMax(line + length, DlgAssignTextLength - 1 - length, static_cast<const wchar_t*>(value));
    else
        TextCopyMax(line + length, DlgAssignTextLength - 1 - length, number);
    return DlgQueueAssignment(line) ? 2 : 0;
}

int DlgQueueAssignment(const wchar_t* text) {
    if (!text || !wcschr(text, L'=')) return 0;
    size_t length = wcsnlen(text, DlgQueueLength);
    if (static_cast<size_t>(queueLength) + length + 1 >= DlgQueueLength) return 0;
    wmemcpy(queue + queueLength, text, length);
    queueLength += static_cast<int>(length);
    queue[queueLength++] = L'\n';
    queue[queueLength] = 0;
    return 1;
}

void DlgClearQueuedAssignments() {
    queueLength = 0;
    queue[0] = 0;
}

const wchar_t* DlgQueuedAssignments() {
    return queue;
}

void DlgDrainQueuedAssignments(Dialog* dialog) {
    if (queueLength > 0) ApplyQueuedLines(dialog);
    // A run that never shows its dialog has no user to end it: it ends with 1 as soon as the
    // assignments are in, and is recorded like any dialog that ended with OK.
    if (dialog && dialog->window && !dialog->shown) DlgEnd(dialog, 1);
}
