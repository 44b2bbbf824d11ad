// Edit fields for strings and numbers. The field shows the variable formatted; when the user leaves
// it (focus lost, Enter, Tab) the text is parsed, checked against the limits and stored, and the field
// shows the variable again, so that invalid input is replaced by the value it would have overwritten.
#include "dialogs/app.h"
#include "dialogs/item_kinds.h"
#include "dialogs/items.h"

#include "runtime/memory.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cwchar>

namespace {

const int kTextCapacity = DlgEditReadLength + 1;
const int kMaximumDecimals = 30; // beyond this no double has digits left, only buffer to fill
// Longest bound string whose value a cancel restores whole.
const size_t kLongestSavedString = 1 << 20;

int Decimals(const DialogItem* item) {
    if (item->decimals < 0) return 0;
    return item->decimals > kMaximumDecimals ? kMaximumDecimals : item->decimals;
}

// The double's format template is built from "%c.%df", "%c+.%df" or "%c.%de" with the percent sign
// and the number of decimals.
void DoubleFormat(const DialogItem* item, wchar_t* format, int capacity) {
    const wchar_t* pattern = L"%c.%df";
    if (item->flags & DlgDoubleSign)
        pattern = L"%c+.%df";
    else if (item->flags & DlgDoubleExponent)
        pattern = L"%c.%de";
    swprintf(format, static_cast<size_t>(capacity), pattern, L'%', Decimals(item));
}

void FormatValue(const DialogItem* item, wchar_t* text, int capacity) {
    text[0] = 0;
    if (!item->variable) return;
    switch (item->kind) {
        case DlgKindString: {
            int limit = item->maxLength + 1 < capacity ? item->maxLength + 1 : capacity;
            ItemCopyText(text, limit, static_cast<const wchar_t*>(item->variable));
            break;
        }
        case DlgKindInt:
            swprintf(text, static_cast<size_t>(capacity), L"%d", *static_cast<const int*>(item->variable));
            break;
        case DlgKindUInt:
            swprintf(text, static_cast<size_t>(capacity), L"%u",
                     *static_cast<const unsigned int*>(item->variable));
            break;
        case DlgKindInt64:
            swprintf(text, static_cast<size_t>(capacity), L"%lld",
                     *static_cast<const long long*>(item->variable));
            break;
        case DlgKindDouble: {
            wchar_t format[16];
            DoubleFormat(item, format, 16);
            if (swprintf(text, static_cast<size_t>(capacity), format,
                         *static_cast<const double*>(item->variable)) < 0)
                text[0] = 0;
            break;
        }
        default:
            break;
    }
}

bool WithinLongLongLimits(const DialogItem* item, long long value) {
    long long lower = item->kind == DlgKindInt64 ? item->lower.i64 : item->lower.i;
    long long upper = item->kind == DlgKindInt64 ? item->upper.i64 : item->upper.i;
    return (!item->hasLower || lower <= value) && (!item->hasUpper || value <= upper);
}

// Reads the number a text starts with ("12abc" is 12, "" is 0). Out-of-range numbers and non-finite
// doubles are refused rather than stored clamped or wrapped: the field then shows its previous value.
bool ParseAndStore(DialogItem* item, const wchar_t* text, bool applyLimits) {
    errno = 0;
    wchar_t* end = nullptr;
    switch (item->kind) {
        case DlgKindInt: {
            long long value = wcstoll(text, &end, 10);
            if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return false;
            if (applyLimits && !WithinLongLongLimits(item, value)) return false;
            *static_cast<int*>(item->variable) = static_cast<int>(value);
            return true;
        }
        case DlgKindUInt: {
            long long parsed = wcstoll(text, &end, 10);
            if (errno == ERANGE) return false;
            unsigned int value =
                static_cast<unsigned int>(static_cast<unsigned long long>(parsed) & 0xFFFFFFFFull);
            if (applyLimits && !WithinLongLongLimits(item, static_cast<long long>(value))) return false;
            *static_cast<unsigned int*>(item->variable) = value;
            return true;
        }
        case DlgKindInt64: {
            long long value = wcstoll(text, &end, 10);
            if (errno == ERANGE) return false;
            if (applyLimits && !WithinLongLongLimits(item, value)) return false;
            *static_cast<long long*>(item->variable) = value;
            return true;
        }
        case DlgKindDouble: {
            double value = wcstod(text, &end);
            if (!std::isfinite(value)) return false;
            if (applyLimits && ((item->hasLower && !(item->lower.d <= value)) ||
                                (item->hasUpper && !(value <= item->upper.d))))
                return false;
            *static_cast<double*>(item->variable) = value;
            return true;
        }
        default:
            return false;
    }
}

// Copies the field's text into a string variable, cut at the field's maximum; true when it changed.
bool StoreString(DialogItem* item, const wchar_t* text) {
    auto* variable = static_cast<wchar_t*>(item->variable);
    int length = 0;
    while (length < item->maxLength && text[length]) ++length;
    if (wcsncmp(variable, text, static_cast<size_t>(length)) == 0 && variable[length] == 0) return false;
    ItemCopyText(variable, length + 1, text);
    return true;
}

void RefreshEdit(DialogItem* item) {
    if (!item->control) return;
    wchar_t text[kTextCapacity];
    FormatValue(item, text, kTextCapacity);
    item->inLiveUpdate = 1; // our own text change is no user input
    SetWindowTextW(item->control, text);
    item->inLiveUpdate = 0;
}

int CommitEdit(DialogItem* item) {
    if (!item->control || !item->variable || (item->flags & DlgItemDisplayOnly)) return 0;
    wchar_t text[kTextCapacity];
    wchar_t current[kTextCapacity];
    GetWindowTextW(item->control, text, kTextCapacity);
    FormatValue(item, current, kTextCapacity);
    if (wcscmp(text, current) == 0) return 0;
    if (item->kind == DlgKindString)
        StoreString(item, text);
    else
        ParseAndStore(item, text, true);
    RefreshEdit(item);
    return 1;
}

void LiveUpdate(DialogItem* item) {
    wchar_t text[kTextCapacity];
    GetWindowTextW(item->control, text, kTextCapacity);
    if (item->kind == DlgKindString)
        StoreString(item, text);
    else
        ParseAndStore(item, text, false);
}

int EditCommand(DialogItem* item, int notifyCode) {
    if (!item->variable || (item->flags & DlgItemDisplayOnly)) return 0;
    if (notifyCode == EN_KILLFOCUS) {
        // Once the run has a result (a cancel may just have restored the variables) nothing is written.
        if (item->dialog->result) return 0;
        return CommitEdit(item);
    }
    if (notifyCode == EN_CHANGE && (item->flags & DlgItemLive) && !item->inLiveUpdate &&
        !item->dialog->result) {
        LiveUpdate(item);
        return 1;
    }
    return 0;
}

void SaveEdit(DialogItem* item) {
    switch (item->kind) {
        case DlgKindString: {
            const auto* variable = static_cast<const wchar_t*>(item->variable);
            // The whole value, also past the field's maximum: a cancel gives back what the caller had,
            // not what the field could show. A variable without a terminator in reach keeps the maximum.
            size_t whole = wcsnlen(variable, kLongestSavedString);
            int length = whole < kLongestSavedString ? static_cast<int>(whole) : item->maxLength;
            MemFree(item->savedLong);
            item->savedLong = nullptr;
            // The saved value holds 799 characters; a longer text is kept whole elsewhere, so that a
            // cancelled dialog gives back exactly what the variable held.
            if (length >= DlgItemTextLength) {
                item->savedLong = static_cast<wchar_t*>(
                    MemAlloc(sizeof(wchar_t) * static_cast<size_t>(length + 1), "DlgSav"));
                if (item->savedLong) ItemCopyText(item->savedLong, length + 1, variable);
            }
            ItemCopyText(item->saved.s, length + 1 < DlgItemTextLength ? length + 1 : DlgItemTextLength,
                         variable);
            break;
        }
        case DlgKindInt:
        case DlgKindUInt:
            item->saved.i = *static_cast<const int*>(item->variable);
            break;
        case DlgKindInt64:
            item->saved.i64 = *static_cast<const long long*>(item->variable);
            break;
        case DlgKindDouble:
            item->saved.d = *static_cast<const double*>(item->variable);
            break;
        default:
            break;
    }
}

void RestoreEdit(DialogItem* item) {
    switch (item->kind) {
        case DlgKindString: {
            // The variable held the saved text when the item was made, so it has room for all of it.
            const wchar_t* saved = item->savedLong ? item->savedLong : item->saved.s;
            ItemCopyText(static_cast<wchar_t*>(item->variable), static_cast<int>(wcslen(saved)) + 1, saved);
            break;
        }
        case DlgKindInt:
        case DlgKindUInt:
            *static_cast<int*>(item->variable) = item->saved.i;
            break;
        case DlgKindInt64:
            *static_cast<long long*>(item->variable) = item->saved.i64;
            break;
        case DlgKindDouble:
            *static_cast<double*>(item->variable) = item->saved.d;
            break;
        default:
            break;
    }
}

void DestroyEdit(DialogItem* item) {
    MemFree(item->savedLong);
    item->savedLong = nullptr;
}

struct EditSetup {
    int kind;
    int maxLength;
    int decimals;
    int hasLower, hasUpper;
    DlgLimit lower, upper;
};

DialogItem* CreateEdit(Dialog* dialog, double x, double y, double w, void* variable, const EditSetup& setup,
                       int flags, const wchar_t* label, const wchar_t* unit, const wchar_t* name) {
    if (!dialog || !variable) return nullptr;
    bool displayOnly = (flags & DlgItemDisplayOnly) != 0;
    DialogItem* item =
        ItemCreate(dialog, setup.kind, x, y, w, 0, displayOnly ? L"STATIC" : nullptr,
                   displayOnly ? (SS_LEFT | SS_NOPREFIX) : 0, 0, L"", variable, flags, label, unit, name);
    if (!item) return nullptr;
    // The creation path saved and showed the value before these were known; do it again with them.
    item->maxLength = setup.maxLength;
    item->decimals = setup.decimals;
    item->hasLower = setup.hasLower;
    item->hasUpper = setup.hasUpper;
    item->lower = setup.lower;
    item->upper = setup.upper;
    SaveEdit(item);
    RefreshEdit(item);
    return item;
}

template <typename T> void SetLimits(EditSetup& setup, const T* lower, const T* upper, T DlgLimit::*member) {
    setup.hasLower = lower ? 1 : 0;
    setup.hasUpper = upper ? 1 : 0;
    if (lower) setup.lower.*member = *lower;
    if (upper) setup.upper.*member = *upper;
}

} // namespace

#define EDIT_BEHAVIOUR(NAME)                                                                                 \
    const ItemBehaviour NAME = {                                                                             \
        .className = L"EDIT",                                                                                \
        .style = ES_AUTOHSCROLL | WS_BORDER,                                                                 \
        .tabStop = 1,                                                                                        \
        .recorded = 1,                                                                                       \
        .layout = LayoutEdit,                                                                                \
        .colors = ColorsBlackOnWhite,                                                                        \
        .refresh = RefreshEdit,                                                                              \
        .commit = CommitEdit,                                                                                \
        .save = SaveEdit,                                                                                    \
        .restore = RestoreEdit,                                                                              \
        .command = EditCommand,                                                                              \
        .destroy = DestroyEdit,                                                                              \
    }

EDIT_BEHAVIOUR(ItemStringBehaviour);

DialogItem* DlgStringNamed(Dialog* dialog, double x, double y, double w, wchar_t* variable, int maximum,
                           int flags, const wchar_t* label, const wchar_t* unit, const wchar_t* name) {
    EditSetup setup{};
    setup.kind = DlgKindString;
    setup.maxLength = maximum < 0 ? 0 : (maximum > DlgStringMaximum ? DlgStringMaximum : maximum);
    return CreateEdit(dialog, x, y, w, variable, setup, flags, label, unit, name);
}

DialogItem* DlgString(Dialog* dialog, double x, double y, double w, wchar_t* variable, int maximum, int flags,
                      const wchar_t* label, const wchar_t* unit) {
    return DlgStringNamed(dialog, x, y, w, variable, maximum, flags, label, unit, nullptr);
}

#ifndef NIMBO_PLUGIN
EDIT_BEHAVIOUR(ItemIntBehaviour);
EDIT_BEHAVIOUR(ItemUIntBehaviour);
EDIT_BEHAVIOUR(ItemInt64Behaviour);
EDIT_BEHAVIOUR(ItemDoubleBehaviour);

DialogItem* DlgIntNamed(Dialog* dialog, double x, double y, double w, int* variable, const int* lower,
                        const int* upper, int flags, const wchar_t* label, const wchar_t* unit,
                        const wchar_t* name) {
    EditSetup setup{};
    setup.kind = DlgKindInt;
    SetLimits(setup, lower, upper, &DlgLimit::i);
    return CreateEdit(dialog, x, y, w, variable, setup, flags, label, unit, name);
}

DialogItem* DlgInt(Dialog* dialog, double x, double y, double w, int* variable, const int* lower,
                   const int* upper, int flags, const wchar_t* label, const wchar_t* unit) {
    return DlgIntNamed(dialog, x, y, w, variable, lower, upper, flags, label, unit, nullptr);
}

// The unsigned field has no named form: it is never recorded.
DialogItem* DlgUInt(Dialog* dialog, double x, double y, double w, unsigned int* variable, const int* lower,
                    const int* upper, int flags, const wchar_t* label, const wchar_t* unit) {
    EditSetup setup{};
    setup.kind = DlgKindUInt;
    SetLimits(setup, lower, upper, &DlgLimit::i);
    return CreateEdit(dialog, x, y, w, variable, setup, flags, label, unit, nullptr);
}

DialogItem* DlgInt64Named(Dialog* dialog, double x, double y, double w, long long* variable,
                          const long long* lower, const long long* upper, int flags, const wchar_t* label,
                          const wchar_t* unit, const wchar_t* name) {
    EditSetup setup{};
    setup.kind = DlgKindInt64;
    SetLimits(setup, lower, upper, &DlgLimit::i64);
    return CreateEdit(dialog, x, y, w, variable, setup, flags, label, unit, name);
}

DialogItem* DlgInt64(Dialog* dialog, double x, double y, double w, long long* variable,
                     const long long* lower, const long long* upper, int flags, const wchar_t* label,
                     const wchar_t* unit) {
    return DlgInt64Named(dialog, x, y, w, variable, lower, upper, flags, label, unit, nullptr);
}

DialogItem* DlgDoubleNamed(Dialog* dialog, double x, double y, double w, double* variable, int decimals,
                           const double* lower, const double* upper, int flags, const wchar_t* label,
                           const wchar_t* unit, const wchar_t* name) {
    EditSetup setup{};
    setup.kind = DlgKindDouble;
    setup.decimals = decimals;
    SetLimits(setup, lower, upper, &DlgLimit::d);
    return CreateEdit(dialog, x, y, w, variable, setup, flags, label, unit, name);
}

DialogItem* DlgDouble(Dialog* dialog, double x, double y, double w, double* variable, int decimals,
                      const double* lower, const double* upper, int flags, const wchar_t* label,
                      const wchar_t* unit) {
    return DlgDoubleNamed(dialog, x, y, w, variable, decimals, lower, upper, flags, label, unit, nullptr);
}
#endif
