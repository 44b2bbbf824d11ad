// Thin host operations that the commands share, so that each host call and its conversions are
// written once.
#include "view.h"

#include "runtime/text.h"

namespace {

// The host's status line takes names and prompts of these lengths, terminator excluded.
constexpr size_t kStateNameBytes = 255;
constexpr size_t kStatePromptBytes = 1024;

} // namespace

int ViewGetImageSize(int* width, int* height, int viewIndex) {
    VwParams params{};
    if (VwParamsByDocAndIndex(&params, DocGetActive(), viewIndex) < 0) return 0;
    if (width) *width = params.imageWidth;
    if (height) *height = params.imageHeight;
    return 1;
}

int ViewIsPerspective(DPoint3d* eye, DPoint3d* target, double* output3, double* output4, int viewIndex) {
    if (!VwIsPerspective(eye, target, output3, output4, viewIndex)) return 0;
    if (eye) CurrTransTransformPts(eye, 1, 1);
    if (target) CurrTransTransformPts(target, 1, 1);
    return 1;
}

void FileOriginAndUnits(DPoint3d* origin, double* units) {
    CadFileHandle file = CadFileGetActive();
    if (!file) return;
    if (origin) CadFileGetOrigin(file, origin);
    if (units) CadFileGetWorldsPerMainUnit(file, units);
}

// The host's colour table is blue, green, red; the plug-in's callers want red, green, blue.
void ColorFromIndex(unsigned char color[3], CadFileHandle file, int index) {
    CadColor entry{};
    if (CadFileColorFromIndex(file, &entry, index) < 0 || !color) return;
    color[0] = entry.bytes[2];
    color[1] = entry.bytes[1];
    color[2] = entry.bytes[0];
}

void StartStateCommand(StateFunc dataPoint, StateFunc reset, const wchar_t* name, const wchar_t* prompt) {
    char narrowName[kStateNameBytes + 1];
    char narrowPrompt[kStatePromptBytes + 1];
    WideToUtf8(narrowName, sizeof narrowName, name);
    WideToUtf8(narrowPrompt, sizeof narrowPrompt, prompt);
    StateCmd(dataPoint, reset, narrowName, narrowPrompt);
    // The command's points then arrive in master units, like everything else the plug-in handles.
    StateCmdUseCurrentTransform(1);
}

void SetStateMotionFunc(StateFunc function) {
    StateSetFunc(StateFuncMotion, function);
}

void StopStateCommand() {
    StateCmdStop();
}

bool IsViewVisible(int viewIndex) {
    return VwGetIsVisible(viewIndex) != 0;
}

void UpdateView(int viewIndex) {
    VwUpdate(viewIndex);
}
