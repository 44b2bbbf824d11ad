// Bringing points into the engine: projects, the reload, the conversion of Lidora's in-memory points,
// and the two steps other commands share (waiting for the engine, choosing the displayed channel).
#pragma once

#include "pcv.h"

#include <stdint.h>

// Classes shown; reset to all classes by every load, then adjusted for the file.
extern ClassificationMask256 VisibilityMask;
// Filled by a session load; handed with VisibilityMask to the engine.
extern ClassificationMask256 SessionClassMask;
// The visibility dialog's own remembered choice; starts at 2.
extern uint32_t VisibilityOption;

// Waits, showing a busy window with the engine's step texts, until the engine reports 100.
void EngineWait();
// Chooses the displayed channel from the channel mask, applies the class visibility, redraws the views.
void ApplyChannel(uint32_t channelMask);
// The address of an entry point of the loaded Lidora mini app, or null.
void* LidoraEntry(const char* name);
// "UpdateLoaded".
void ConvertMemoryPoints();
