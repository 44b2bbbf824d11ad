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

int ViewHookInstall();
void ViewHookRemove();
void DrawView(ViewHandle view);
void FillViewRecord(ProjectionImageData* record, ViewHandle view);
void ViewUnlock();
void ViewCopy(ProjectionImageData* destination);
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
