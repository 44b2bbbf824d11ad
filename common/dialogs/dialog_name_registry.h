// The plug-in's names for recording and playback. Its dialogs are built by code that does not name
// items itself, so the host registers each variable and each command callback under a name once, and
// the toolkit records and replays an item under the name registered for its variable pointer (a push
// button under the name registered for its callback). The installer names its items directly.
#pragma once

#include "dialogs/dialog.h"

#ifdef NIMBO_PLUGIN

enum DlgVariableType {
    DlgVariableInt = 0,
    DlgVariableUInt = 1,
    DlgVariableInt64 = 2,
    DlgVariableDouble = 3,
    DlgVariableString = 4,
    DlgVariableCustom = 5,
};

// Writes a registered variable's value as text (at most capacity - 1 characters and a terminator);
// returns the characters written.
typedef int (*DlgVariableFormatter)(const void* variable, wchar_t* text, int capacity);

struct DlgNamedVariable {
    wchar_t name[DlgNameLength];
    int type; // DlgVariableType
    void* variable;
    int decimals; // doubles
    DlgVariableFormatter formatter;
};

struct DlgNamedAction {
    wchar_t name[DlgNameLength];
    DlgCallback callback;
};

enum { DlgNamedVariableCapacity = 512, DlgNamedActionCapacity = 256 };

// Registers (or renames) a variable. 0 when the name is empty or longer than 79 characters, the
// pointer is null, the type unknown, or the registry full.
int DlgRegisterVariable(const wchar_t* name, int type, void* variable, int decimals,
                        DlgVariableFormatter formatter);
// Registers (or renames) a command callback; 0 for the same reasons.
int DlgRegisterAction(const wchar_t* name, DlgCallback callback);
void DlgClearNameRegistries();

// Lookups; null when nothing is registered. Names are compared without regard to letter case.
const DlgNamedVariable* DlgNamedVariableOf(const void* variable);
const DlgNamedVariable* DlgNamedVariableByName(const wchar_t* name);
const DlgNamedAction* DlgNamedActionOf(DlgCallback callback);
const DlgNamedAction* DlgNamedActionByName(const wchar_t* name);

#endif
