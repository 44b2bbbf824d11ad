// How an item appears in a recording: under which name, with which value text and type word; and the
// walk over open dialogs that recording and playback share.
#include "dialogs/dialog_recording.h"

#include "dialogs/dialog_name_registry.h"
#include "runtime/text.h"

#include <cwchar>

namespace {

// Numbers are formatted into a buffer this size first: a double in fixed notation with the largest
// exponent and 30 decimals (as many as a field shows) still fits.
enum { NumberTextLength = 400, MaxDecimals = 30 };

void FormatInt(const DialogItem* item, wchar_t* text, int capacity) {
    swprintf(text, static_cast<size_t>(capacity), L"%d", *static_cast<const int*>(item->variable));
}

// Unsigned fields print as unsigned: read as int, values above 2147483647 would come out negative and
// could not be replayed into the field.
void FormatUInt(const DialogItem* item, wchar_t* text, int capacity) {
    swprintf(text, static_cast<size_t>(capacity), L"%u", *static_cast<const unsigned int*>(item->variable));
}

void FormatInt64(const DialogItem* item, wchar_t* text, int capacity) {
    swprintf(text, static_cast<size_t>(capacity), L"%lld", *static_cast<const long long*>(item->variable));
}

void FormatDouble(const DialogItem* item, wchar_t* text, int capacity) {
    int decimals = item->decimals < 0 ? 0 : (item->decimals > MaxDecimals ? MaxDecimals : item->decimals);
    wchar_t number[NumberTextLength];
    swprintf(number, NumberTextLength, L"%.*f", decimals, *static_cast<const double*>(item->variable));
    TextCopyMax(text, static_cast<size_t>(capacity - 1), number);
}

// A string variable holds at most the field's maximum; a missing terminator must not run the copy
// beyond it.
void FormatString(const DialogItem* item, wchar_t* text, int capacity) {
    const wchar_t* value = static_cast<const wchar_t*>(item->variable);
    size_t maximum = item->maxLength > 0 ? static_cast<size_t>(item->maxLength) : 0;
    size_t length = wcsnlen(value, maximum);
    if (length > static_cast<size_t>(capacity - 1)) length = static_cast<size_t>(capacity - 1);
    wmemcpy(text, value, length);
    text[length] = 0;
}

void FormatColor(const DialogItem* item, wchar_t* text, int capacity) {
    const unsigned char* rgb = static_cast<const unsigned char*>(item->variable);
    swprintf(text, static_cast<size_t>(capacity), L"%d,%d,%d", rgb[0], rgb[1], rgb[2]);
}

struct RecordedKind {
    int kind;
    const wchar_t* typeWord;
    void (*format)(const DialogItem* item, wchar_t* text, int capacity);
};

// Every kind whose value is recorded; all others (texts, lines, lists, swatches, rich text, bitmaps,
// tool bars, row boxes, tables, text boxes, buttons) are not.
const RecordedKind recordedKinds[] = {
    {DlgKindToggle, L" int", FormatInt},
    {DlgKindColor, L" color", FormatColor},
    {DlgKindString, L" string", FormatString},
    {DlgKindInt, L" int", FormatInt},
    {DlgKindUInt, L" unsigned int", FormatUInt},
    {DlgKindInt64, L" _int64", FormatInt64},
    {DlgKindDouble, L" double", FormatDouble},
    {DlgKindChoice, L" int", FormatInt},
    {DlgKindSlider, L"", FormatInt},
};

const RecordedKind* RecordedKindOf(int kind) {
    for (const RecordedKind& entry : recordedKinds)
        if (entry.kind == kind) return &entry;
    return nullptr;
}

// Appends at most what still fits; returns the new length.
int Append(wchar_t* line, int length, int capacity, const wchar_t* text) {
    while (text && *text && length < capacity - 1) line[length++] = *text++;
    line[length] = 0;
    return length;
}

// The label as a reader knows the item: without the mnemonic "&" and the trailing ":". A toggle's
// label is the check box's own text.
void CleanLabelOf(const DialogItem* item, wchar_t* label, int capacity) {
    label[0] = 0;
    HWND window = item->label;
    if (!window && item->kind == DlgKindToggle) window = item->control;
    if (window) GetWindowTextW(window, label, capacity);
    TextRemoveAll(label, L'&');
    TextStripTrailing(label, L':');
}

#ifdef NIMBO_PLUGIN
// The plug-in's registry may give a variable its own formatter.
DlgVariableFormatter RegisteredFormatterOf(const DialogItem* item) {
    if (item->name[0]) return nullptr;
    const DlgNamedVariable* entry = DlgNamedVariableOf(item->variable);
    return entry ? entry->formatter : nullptr;
}
#endif

// Writes the value text and returns the type word.
const wchar_t* FormatValue(const DialogItem* item, const RecordedKind* kind, wchar_t* text, int capacity) {
    text[0] = 0;
#ifdef NIMBO_PLUGIN
    if (DlgVariableFormatter registered = RegisteredFormatterOf(item)) {
        registered(item->variable, text, capacity);
        text[capacity - 1] = 0;
        return L" custom";
    }
#endif
    if (item->formatter) {
        item->formatter(const_cast<DialogItem*>(item), text, capacity);
        text[capacity - 1] = 0;
        return L" custom";
    }
    kind->format(item, text, capacity);
    return kind->typeWord;
}

} // namespace

Dialog* DlgNextOpenDialog(int* cursor) {
    while (*cursor < DlgTableSize + DlgSpareCount) {
        int index = (*cursor)++;
        Dialog* dialog = index < DlgTableSize ? DlgTableAt(index) : DlgSpareAt(index - DlgTableSize);
        if (dialog && dialog->window) return dialog;
    }
    return nullptr;
}

const wchar_t* DlgRecordedName(const DialogItem* item) {
    if (!item) return L"";
    if (item->name[0]) return item->name;
#ifdef NIMBO_PLUGIN
    if (item->kind == DlgKindButton) {
        const DlgNamedAction* action = DlgNamedActionOf(item->callback);
        if (action) return action->name;
    } else {
        const DlgNamedVariable* entry = DlgNamedVariableOf(item->variable);
        if (entry) return entry->name;
    }
#endif
    return L"";
}

int DlgFormatRecordedItem(const DialogItem* item, wchar_t* line, int capacity) {
    if (!line || capacity < 1) return 0;
    line[0] = 0;
    if (!item || !item->variable || !item->visible || (item->flags & DlgItemDisplayOnly)) return 0;
    const RecordedKind* kind = RecordedKindOf(item->kind);
    const wchar_t* name = DlgRecordedName(item);
    if (!kind || !name[0]) return 0;

    wchar_t value[DlgStringMaximum + 1];
    const wchar_t* typeWord = FormatValue(item, kind, value, DlgStringMaximum + 1);
    wchar_t label[DlgItemTextLength];
    CleanLabelOf(item, label, DlgItemTextLength);

    int length = Append(line, 0, capacity, name);
    length = Append(line, length, capacity, L"=");
    length = Append(line, length, capacity, value);
    if (label[0]) {
        length = Append(line, length, capacity, L" (");
        length = Append(line, length, capacity, label);
        length = Append(line, length, capacity, L")");
    }
    Append(line, length, capacity, typeWord);
    return 1;
}
