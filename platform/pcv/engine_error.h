// The engine's pending error: the text of the latest failure since the error was last reported. Any
// thread may set it; pcvGetError takes it (and so reports each failure once).
#pragma once

#include <stddef.h>

// Keeps text, replacing an error still waiting to be reported.
void EngineErrorSet(const wchar_t* text);
// Copies the waiting error into text (capacity characters) and forgets it; false when there is none.
bool EngineErrorTake(wchar_t* text, size_t capacity);
// Forgets a waiting error (a new piece of work starts).
void EngineErrorClear();
