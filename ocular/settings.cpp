// The user settings record and ocular.upf. Reading and writing go through one key table, so that
// every key, its field and its format are stated once.
#include "settings.h"

#include "folders.h"
#include "runtime/pref_table.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

OcularSettingsRecord OcularSettings;
OcularSettingsRecord SavedSettings;

namespace {

constexpr const wchar_t* kSettingsFolderSuffix = L"\\ocular";
constexpr const wchar_t* kSettingsFileSuffix = L"\\ocular.upf";
// A colour is fetched as a short string; anything longer is not a colour.
constexpr int kColourTextChars = 100;
// "255;255;255;255" and its terminator fit with room to spare.
constexpr size_t kColourFormatChars = 20;

enum class SettingKind { Integer, Colour, Real, Text };

struct SettingKey {
    const wchar_t* key;
    SettingKind kind;
    size_t offset;         // of the field in OcularSettingsRecord
    const wchar_t* format; // reals only
};

// The field names are the keys, so each entry names its field once.
#define SETTING_WIDE_TEXT(text) L##text
#define SETTING_KEY(field) SETTING_WIDE_TEXT(#field)
#define SETTING_INT(field)                                                                                   \
    { SETTING_KEY(field), SettingKind::Integer, offsetof(OcularSettingsRecord, field), nullptr }
#define SETTING_COLOUR(field)                                                                                \
    { SETTING_KEY(field), SettingKind::Colour, offsetof(OcularSettingsRecord, field), nullptr }
#define SETTING_REAL(field, format)                                                                          \
    { SETTING_KEY(field), SettingKind::Real, offsetof(OcularSettingsRecord, field), format }
#define SETTING_TEXT(field)                                                                                  \
    { SETTING_KEY(field), SettingKind::Text, offsetof(OcularSettingsRecord, field), nullptr }

// In the order of the lines of a written ocular.upf, which readers of the file by eye expect. The
// lookups of a load are independent of each other, so they go through the same list.
constexpr SettingKey kSettingKeys[] = {
    SETTING_INT(DepthIncrement_mm),
    SETTING_INT(SnappingMask),
    SETTING_COLOUR(CrossColor),
    SETTING_COLOUR(CrossInvColor),
    SETTING_INT(CrossHairRadius_100),
    SETTING_INT(RotationSpeedZ_100),
    SETTING_INT(RotationSpeedX_100),
    SETTING_REAL(PointSize, L"%.2lf"),
    SETTING_REAL(PointSizeCross, L"%.2lf"),
    SETTING_REAL(PointSizeParallel, L"%.2lf"),
    SETTING_INT(RenderingMode),
    SETTING_INT(CrossSectionThicknessAdjust),
    SETTING_INT(SnapType),
    SETTING_REAL(SnapRadius_m, L"%.3lf"),
    SETTING_TEXT(DefaultPtcFile),
    SETTING_INT(wheelSpeed_100),
    SETTING_INT(CursorMask),
    SETTING_INT(FollowMask),
    SETTING_COLOUR(PassiveCrossColor),
    SETTING_COLOUR(PassiveCrossInvColor),
    SETTING_REAL(SynchCameraDistance_m, L"%.3lf"),
    SETTING_INT(MaxChannelWidth),
    SETTING_REAL(StaticStereoLimit_m, L"%.3lf"),
    SETTING_INT(PredictNextPoint),
    SETTING_INT(RgbInputBitWidth_bits),
    SETTING_REAL(ScreenHeight_cm, L"%.1lf"),
    SETTING_REAL(ImageMem_Gb, L"%.2lf"),
    SETTING_REAL(lastActiveZx_m, L"%.3lf"),
    SETTING_REAL(lastActiveZy_m, L"%.3lf"),
    SETTING_REAL(lastActiveZz_m, L"%.3lf"),
    SETTING_TEXT(LastSessionFile),
};

#undef SETTING_INT
#undef SETTING_COLOUR
#undef SETTING_REAL
#undef SETTING_TEXT
#undef SETTING_KEY
#undef SETTING_WIDE_TEXT

void* FieldOf(OcularSettingsRecord* record, const SettingKey& key) {
    return reinterpret_cast<char*>(record) + key.offset;
}

bool ComposeSettingsFilePath(wchar_t* path, size_t pathChars) {
    return ComposeSettingsPath(path, pathChars, kSettingsFolderSuffix, kSettingsFileSuffix);
}

// Four numbers, most significant byte first, combined without masking each to a byte: that is how the
// file has always been read, and "0;256;0;0" must keep meaning 0x01000000. With fewer than four
// numbers the colour stays as it was, as a non-number leaves a number alone.
void ReadColour(uint32_t* colour, const PrefTable* table, const wchar_t* key) {
    wchar_t text[kColourTextChars + 1];
    if (!PrefGetString(text, table, key, kColourTextChars)) return;
    int parts[4] = {};
    if (swscanf(text, L"%d;%d;%d;%d", &parts[0], &parts[1], &parts[2], &parts[3]) != 4) return;
    *colour = static_cast<uint32_t>(parts[0]) << 24 | static_cast<uint32_t>(parts[1]) << 16 |
              static_cast<uint32_t>(parts[2]) << 8 | static_cast<uint32_t>(parts[3]);
}

void ReadSetting(OcularSettingsRecord* record, const PrefTable* table, const SettingKey& key) {
    void* field = FieldOf(record, key);
    switch (key.kind) {
        case SettingKind::Integer:
            PrefGetInt(static_cast<int*>(field), table, key.key);
            break;
        case SettingKind::Colour:
            ReadColour(static_cast<uint32_t*>(field), table, key.key);
            break;
        case SettingKind::Real:
            PrefGetDouble(static_cast<double*>(field), table, key.key);
            break;
        case SettingKind::Text:
            PrefGetString(static_cast<wchar_t*>(field), table, key.key,
                          static_cast<int>(kSettingStringChars - 1));
            break;
    }
}

void WriteColour(PrefTable* table, const wchar_t* key, uint32_t colour) {
    wchar_t text[kColourFormatChars];
    swprintf(text, kColourFormatChars, L"%d;%d;%d;%d", static_cast<int>(colour >> 24 & 0xFF),
             static_cast<int>(colour >> 16 & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
             static_cast<int>(colour & 0xFF));
    PrefSetString(table, key, text);
}

void WriteSetting(PrefTable* table, OcularSettingsRecord* record, const SettingKey& key) {
    void* field = FieldOf(record, key);
    switch (key.kind) {
        case SettingKind::Integer:
            PrefSetInt(table, key.key, *static_cast<int*>(field));
            break;
        case SettingKind::Colour:
            WriteColour(table, key.key, *static_cast<uint32_t*>(field));
            break;
        case SettingKind::Real:
            PrefSetDouble(table, key.key, *static_cast<double*>(field), key.format);
            break;
        case SettingKind::Text:
            PrefSetString(table, key.key, static_cast<wchar_t*>(field));
            break;
    }
}

} // namespace

void SettingsDefaults() {
    // Cleared whole, padding included, so that the byte comparison with the snapshot sees only fields.
    // ImageMem_Gb keeps whatever it held: its default is the zero the record starts with.
    double imageMemory = OcularSettings.ImageMem_Gb;
    memset(&OcularSettings, 0, sizeof OcularSettings);
    OcularSettingsRecord& s = OcularSettings;
    s.ImageMem_Gb = imageMemory;
    s.DepthIncrement_mm = 20;
    s.CrossInvColor = 0xFF000000u;
    s.CrossColor = 0xFFFFFFFFu;
    s.SnappingMask = 127;
    s.CrossHairRadius_100 = 30;
    s.RotationSpeedZ_100 = 50;
    s.RotationSpeedX_100 = 50;
    s.PointSize = 0.0;
    s.PointSizeCross = 3000.0;
    s.PointSizeParallel = 3000.0;
    s.RenderingMode = 5;
    s.CrossSectionThicknessAdjust = 100;
    s.SnapType = 0;
    s.SnapRadius_m = 0.1;
    s.wheelSpeed_100 = 50;
    s.CursorMask = 127;
    s.FollowMask = 255;
    s.PassiveCrossInvColor = 0xFF000000u;
    s.PassiveCrossColor = 0xFF808080u;
    s.SynchCameraDistance_m = 20.0;
    s.MaxChannelWidth = 4;
    s.StaticStereoLimit_m = 0.0;
    s.PredictNextPoint = 0;
    s.RgbInputBitWidth_bits = 16;
    s.ScreenHeight_cm = 40.0;
    s.CpuMemoryLimit_Gb = 20.0;
    s.GpuMemoryAllocation_Gb = 0.0;
    s.CpuMode = 0;
    s.lastActiveZx_m = 0.0;
    s.lastActiveZy_m = 0.0;
    s.lastActiveZz_m = 0.0;
}

void SettingsLoad() {
    wchar_t path[kComposedPathChars];
    bool havePath = ComposeSettingsFilePath(path, kComposedPathChars);
    PrefTable table;
    PrefInit(&table);
    SettingsDefaults();
    if (havePath && PrefRead(&table, path, nullptr) == 1)
        for (const SettingKey& key : kSettingKeys) ReadSetting(&OcularSettings, &table, key);
    memcpy(&SavedSettings, &OcularSettings, sizeof SavedSettings);
    PrefFree(&table);
}

int SettingsSave() {
    if (memcmp(&OcularSettings, &SavedSettings, sizeof OcularSettings) == 0) return 1;
    wchar_t path[kComposedPathChars];
    if (!ComposeSettingsFilePath(path, kComposedPathChars)) return 0;
    PrefTable table;
    PrefInit(&table);
    for (const SettingKey& key : kSettingKeys) WriteSetting(&table, &OcularSettings, key);
    int written = PrefWrite(&table, path, nullptr);
    PrefFree(&table);
    return written;
}

double PointSizeForView(int viewIndex) {
    if (viewIndex >= 6) return OcularSettings.PointSize;
    if (viewIndex >= 4) return OcularSettings.PointSizeCross;
    return OcularSettings.PointSizeParallel;
}

void SetPointSizeForView(double size, int viewIndex) {
    if (viewIndex >= 6)
        OcularSettings.PointSize = size;
    else if (viewIndex >= 4)
        OcularSettings.PointSizeCross = size;
    else
        OcularSettings.PointSizeParallel = size;
}
