// ocular.ini, the engine's tuning file: keys in square brackets, each followed by its value line. The
// file is shared with older viewers that wrote many more keys; those are stepped over, not used.
//
// The reading loop tests every line against every key in table order, and a key reads its value line
// into the same buffer, so a value line that begins like a later key counts as that key. Existing
// files were written against exactly this reading, so it is kept.
#include "engine_start.h"

#include "folders.h"
#include "settings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// fgets reads at most this many characters a time; a longer line arrives in pieces.
constexpr int kIniLineChars = 1024;

enum class IniValue {
    OwnBuffer, // a path read aside: the line buffer keeps the key line
    Ignored,   // the value line replaces the key line
    GpuMemoryAllocation,
    GpuImageMemory,
    CpuMemoryLimit, // its value line is followed by one more line, consumed too
};

struct IniKey {
    const char* key;
    IniValue value;
};

constexpr IniKey kIniKeys[] = {
    {"[SurvalisPath]", IniValue::OwnBuffer},
    {"[RecordingDir]", IniValue::OwnBuffer},
    {"[GPUMemoryAllocation]", IniValue::GpuMemoryAllocation},
    {"[GPUImageMemory]", IniValue::GpuImageMemory},
    {"[CPUMemoryLimit]", IniValue::CpuMemoryLimit},
    {"[Invert Pan]", IniValue::Ignored},
    {"[CPU Mode]", IniValue::Ignored},
    {"[Image Width]", IniValue::Ignored},
    {"[Image Height]", IniValue::Ignored},
    {"[Stereo]", IniValue::Ignored},
    {"[Invert Shift]", IniValue::Ignored},
    {"[Gray Level]", IniValue::Ignored},
    {"[Default Lidora Project Directory]", IniValue::Ignored},
    {"[Default Shape File Directory]", IniValue::Ignored},
    {"[Default Session File]", IniValue::Ignored},
    {"[Pupillary Distance mm]", IniValue::Ignored},
    {"[Screen Distance cm]", IniValue::Ignored},
    {"[Screen Height cm]", IniValue::Ignored},
    {"[RGB Bit Width]", IniValue::Ignored},
    {"[Label Scaling]", IniValue::Ignored},
    {"[Label Units]", IniValue::Ignored},
    {"[Angle Units]", IniValue::Ignored},
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Length of the decimal number at text: sign, digits with an optional fraction, an optional exponent.
// 0 when there is none. Hexadecimal forms and "inf"/"nan", which some C runtimes' strtod take, are
// not numbers here: the file holds gigabytes written by people.
size_t DecimalNumberLength(const char* text) {
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-') ++i;
    size_t digits = 0;
    while (IsDigit(text[i])) ++i, ++digits;
    if (text[i] == '.') {
        ++i;
        while (IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (text[i] == 'e' || text[i] == 'E') {
        size_t exponent = i + 1;
        if (text[exponent] == '+' || text[exponent] == '-') ++exponent;
        if (IsDigit(text[exponent])) {
            while (IsDigit(text[exponent])) ++exponent;
            i = exponent;
        }
    }
    return i;
}

// Whether a line read into a buffer of kIniLineChars means the key: its complete text at the start,
// letter case as written, anything after it ignored.
bool LineIsKey(const char* line, const char* key) {
    return strncmp(line, key, strlen(key)) == 0;
}

// A missing value line counts as an empty one, so no later key can match what is left in the buffer.
void ReadValueLine(char* line, FILE* file) {
    if (!fgets(line, kIniLineChars, file)) line[0] = 0;
}

void ApplyKey(const IniKey& key, char* line, FILE* file) {
    char aside[kIniLineChars];
    switch (key.value) {
        case IniValue::OwnBuffer:
            ReadValueLine(aside, file);
            return;
        case IniValue::Ignored:
            ReadValueLine(line, file);
            return;
        case IniValue::GpuMemoryAllocation:
            ReadValueLine(line, file);
            OcularSettings.GpuMemoryAllocation_Gb = IniNumber(line);
            return;
        case IniValue::GpuImageMemory:
            ReadValueLine(line, file);
            OcularSettings.ImageMem_Gb = IniNumber(line);
            return;
        case IniValue::CpuMemoryLimit:
            ReadValueLine(line, file);
            OcularSettings.CpuMemoryLimit_Gb = IniNumber(line);
            ReadValueLine(line, file);
            return;
    }
}

} // namespace

double IniNumber(const char* text) {
    while (IsBlank(*text)) ++text;
    size_t length = DecimalNumberLength(text);
    if (length == 0) return 0;
    char number[kIniLineChars];
    if (length >= sizeof number) length = sizeof number - 1;
    memcpy(number, text, length);
    number[length] = 0;
    return strtod(number, nullptr);
}

bool IniRead() {
    wchar_t path[kComposedPathChars];
    if (!ComposeSettingsPath(path, kComposedPathChars, kIniSuffix)) return false;
    FILE* file = _wfopen(path, L"r");
    if (!file) return false;
    char line[kIniLineChars];
    while (fgets(line, kIniLineChars, file))
        for (const IniKey& key : kIniKeys)
            if (LineIsKey(line, key.key)) ApplyKey(key, line, file);
    fclose(file);
    return true;
}
