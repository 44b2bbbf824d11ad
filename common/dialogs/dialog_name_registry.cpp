#include "dialogs/dialog_name_registry.h"

#ifdef NIMBO_PLUGIN

#include "runtime/text.h"

#include <cwchar>

namespace {

DlgNamedVariable variables[DlgNamedVariableCapacity];
int variableCount = 0;
DlgNamedAction actions[DlgNamedActionCapacity];
int actionCount = 0;

// A name that would have to be cut is refused: a cut name could stand for another entry.
bool UsableName(const wchar_t* name) {
    return name && name[0] && wcsnlen(name, DlgNameLength) < DlgNameLength;
}

DlgNamedVariable* VariableSlot(const void* variable) {
    for (int i = 0; i < variableCount; ++i)
        if (variables[i].variable == variable) return &variables[i];
    return variableCount < DlgNamedVariableCapacity ? &variables[variableCount++] : nullptr;
}

DlgNamedAction* ActionSlot(DlgCallback callback) {
    for (int i = 0; i < actionCount; ++i)
        if (actions[i].callback == callback) return &actions[i];
    return actionCount < DlgNamedActionCapacity ? &actions[actionCount++] : nullptr;
}

} // namespace

int DlgRegisterVariable(const wchar_t* name, int type, void* variable, int decimals,
                        DlgVariableFormatter formatter) {
    if (!UsableName(name) || !variable || type < DlgVariableInt || type > DlgVariableCustom) return 0;
    DlgNamedVariable* entry = VariableSlot(variable);
    if (!entry) return 0;
    TextCopyMax(entry->name, DlgNameLength - 1, name);
    entry->type = type;
    entry->variable = variable;
    entry->decimals = decimals;
    entry->formatter = formatter;
    return 1;
}

int DlgRegisterAction(const wchar_t* name, DlgCallback callback) {
    if (!UsableName(name) || !callback) return 0;
    DlgNamedAction* entry = ActionSlot(callback);
    if (!entry) return 0;
    TextCopyMax(entry->name, DlgNameLength - 1, name);
    entry->callback = callback;
    return 1;
}

void DlgClearNameRegistries() {
    variableCount = 0;
    actionCount = 0;
}

const DlgNamedVariable* DlgNamedVariableOf(const void* variable) {
    if (!variable) return nullptr;
    for (int i = 0; i < variableCount; ++i)
        if (variables[i].variable == variable) return &variables[i];
    return nullptr;
}

const DlgNamedVariable* DlgNamedVariableByName(const wchar_t* name) {
    if (!name || !name[0]) return nullptr;
    for (int i = 0; i < variableCount; ++i)
        if (TextCompareNoCase(variables[i].name, name) == 0) return &variables[i];
    return nullptr;
}

const DlgNamedAction* DlgNamedActionOf(DlgCallback callback) {
    if (!callback) return nullptr;
    for (int i = 0; i < actionCount; ++i)
        if (actions[i].callback == callback) return &actions[i];
    return nullptr;
}

const DlgNamedAction* DlgNamedActionByName(const wchar_t* name) {
    if (!name || !name[0]) return nullptr;
    for (int i = 0; i < actionCount; ++i)
        if (TextCompareNoCase(actions[i].name, name) == 0) return &actions[i];
    return nullptr;
}

#endif
