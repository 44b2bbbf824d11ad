// View synchronisation and stereo drawing: the engine's one view record, its lock, the update hook
// that renders every host view through the engine, and the thin host operations the commands share.
#pragma once

#include "orbisa_cadio.h"
#include "orbisa_cface.h"
#include "pcv.h"

#include <windows.h>

#include <stdint.h>

// The engine's view record, shared by the whole plug-in and guarded by ViewMutex.
extern ProjectionImageData SharedView;
extern HANDLE ViewMutex;
// The engine channel shown; chosen after a load and by the visibility dialog.
extern uint32_t CurrentChannel;

// Creates ViewMutex and connects the update hook; returns 1.
int ViewHookInstall();
// Disconnects the hook and closes the mutex; harmless when nothing was installed.
void ViewHookRemove();
// Renders the view through the engine and paints the image (a stereo pair for a camera view with the
// host's stereo switch on) under ViewMutex. Views the host does not index 0 to 7 are left alone, and a
// view whose size the host cannot give is not painted.
void DrawView(ViewHandle view);
// Camera, projection, point size and distances of a record from the host view. The record is left as
// it stands when the host cannot describe the view. The caller holds ViewMutex for SharedView.
void FillViewRecord(ProjectionImageData* record, ViewHandle view);
void ViewUnlock();
// SharedView as a whole, taken under ViewMutex, so that the copy is never half updated.
void ViewCopy(ProjectionImageData* destination);
// 1 with the view's image size in pixels; 0, outputs untouched, when the host cannot give it.
int ViewGetImageSize(int* width, int* height, int viewIndex);
int ViewIsPerspective(DPoint3d* eye, DPoint3d* target, double* output3, double* output4, int viewIndex);

// Shared host operations.
void FileOriginAndUnits(DPoint3d* origin, double* units);
void ColorFromIndex(unsigned char color[3], CadFileHandle file, int index);
void StartStateCommand(StateFunc dataPoint, StateFunc reset, const wchar_t* name, const wchar_t* prompt);
void SetStateMotionFunc(StateFunc function);
void StopStateCommand();
bool IsViewVisible(int viewIndex);
void UpdateView(int viewIndex);
