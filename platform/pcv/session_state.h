// What a saved session keeps of the engine and what a loaded one gives back. The views: the
// perspective record (View1) and the parallel one (View2) last drawn, or those of the session last
// loaded, or the default view. Their channel is kept as a channel mask (1 << channel); View1's point
// size is the size at projection scale 1 (the record's size over the square root of its projection
// scale 1), which is the caller's own point-size setting, so that saving and loading do not change it;
// the CPU mark (8) is left out of the rendering mode, which describes the look of the view.
#pragma once

#include "engine_state.h"

// The session the engine would save now, with the caller's values.
bool SessionFromEngine(SessionData* session, int engineValue, int cameraMask, const wchar_t* classFile,
                       const wchar_t* imageList, const wchar_t* imageListAux, wchar_t* error,
                       size_t errorChars);
// Makes a read session the engine's: class masks and the views a later save keeps.
void SessionIntoEngine(const SessionData& session);
