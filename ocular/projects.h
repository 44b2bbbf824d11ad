// Bringing points into the engine: projects, the reload, the conversion of Lidora's in-memory points,
// and the two steps other commands share (waiting for the engine, choosing the displayed channel).
#pragma once

#include "pcv.h"

#include "lidora.h"

#include <stddef.h>
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
// "LoadProject" with its argument (null or empty: ask; "RELOAD" or "reload": reload; else a path).
void LoadProject(const wchar_t* argument);

// VisibilityMask for the file, from the class file (GuiDlg; a missing class file shows every class).
void ClassMaskPrepare(const wchar_t* file, const wchar_t* classFile);

// Characters of the file path a load works with, terminator included.
constexpr size_t kProjectPathChars = 1024;

enum ProjectArgumentKind {
    kProjectArgumentAsk,     // the open dialog chooses
    kProjectArgumentReload,  // the last session, else the converted points
    kProjectArgumentPath,    // the argument is the file
    kProjectArgumentTooLong, // refused: it does not fit kProjectPathChars
};
ProjectArgumentKind ProjectArgumentKindOf(const wchar_t* argument);
// A session file: the text from its last "." on contains ".tss".
bool IsSessionFile(const wchar_t* file);

// The reload's file when no session has been loaded: the description ConvertMemoryPoints writes.
inline constexpr const wchar_t* kLoadedPointsName = L"LoadedPoints.prj";

// Old storage of the converted points, relative to the data folder, in the order they are deleted.
constexpr int kStaleStorageFileCount = 16;
extern const wchar_t* const kStaleStorageFiles[kStaleStorageFileCount];
// The channels the conversion of Lidora's points stores: intensity, class, colour, return number.
constexpr unsigned long long kMemoryPointsChannelMask =
    (1ull << 1) | (1ull << 5) | (1ull << 7) | (1ull << 28);
// The four lines of LoadedPoints.prj, line ends included.
extern const char kLoadedPointsDescription[];

// Fills the summary of Lidora's points (the count's low 32 bits, scales 1 / divisor, the offsets)
// and tells whether they can be converted: false for no points, a negative count, more points than
// the summary counts, or a divisor of 0 or less (scales that place no point).
bool MemoryPointsSummary(int64_t count, int32_t divisor, const LidoraCoordSetup& setup,
                         PointCloudSummary* summary);
