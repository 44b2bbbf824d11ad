// The viewer's user settings: one record for the plug-in's life, loaded from ocular.upf when the
// engine starts and written back at unload only when something in it changed.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr size_t kSettingStringChars = 1024;

// Fields in the order of the file's key table; the field names are the keys. The record is compared
// byte for byte with its snapshot, so it is always cleared whole before it is filled.
struct OcularSettingsRecord {
    int32_t DepthIncrement_mm;
    uint32_t CrossInvColor;
    uint32_t CrossColor;
    int32_t SnappingMask; // bit n: view n snaps to the cloud
    int32_t CrossHairRadius_100;
    int32_t RotationSpeedZ_100;
    int32_t RotationSpeedX_100;
    double PointSize;         // perspective views
    double PointSizeCross;    // views 4 and 5 by index
    double PointSizeParallel; // parallel views
    int32_t RenderingMode;    // the engine's rendering flags
    int32_t CrossSectionThicknessAdjust;
    int32_t SnapType;
    double SnapRadius_m;
    wchar_t DefaultPtcFile[kSettingStringChars];
    int32_t wheelSpeed_100;
    int32_t CursorMask;
    int32_t FollowMask;
    uint32_t PassiveCrossInvColor;
    uint32_t PassiveCrossColor;
    double SynchCameraDistance_m;
    int32_t MaxChannelWidth;
    double StaticStereoLimit_m;
    int32_t PredictNextPoint;
    int32_t RgbInputBitWidth_bits;
    double ScreenHeight_cm;
    double CpuMemoryLimit_Gb;       // from ocular.ini, not written
    double GpuMemoryAllocation_Gb;  // from ocular.ini, not written
    double ImageMem_Gb;             // ocular.upf, then ocular.ini
    int32_t CpuMode;                // not written; nothing but the defaults sets it
    double lastActiveZx_m;
    double lastActiveZy_m;
    double lastActiveZz_m;
    wchar_t LastSessionFile[kSettingStringChars]; // set by a session load, used by Reload
};

extern OcularSettingsRecord OcularSettings;
// The record as SettingsLoad left it; SettingsSave writes only when OcularSettings differs from it.
extern OcularSettingsRecord SavedSettings;

void SettingsDefaults();
void SettingsLoad();
// 1 when nothing changed (nothing written), else the result of writing the file.
int SettingsSave();

// "PointSize" for index 6 and up, "PointSizeCross" for 4 and 5, "PointSizeParallel" for the rest.
double PointSizeForView(int viewIndex);
void SetPointSizeForView(double size, int viewIndex);
