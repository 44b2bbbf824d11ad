// The four contrast commands. Their values are the engine's rendering flags (bit 0 always, bit 1 for
// high and medium contrast, bit 2 for medium and none); the next view update hands them over and the
// settings file keeps them, so no redraw is asked for and the engine need not be running.
#include "commands.h"

#include "settings.h"

namespace {

constexpr int32_t kRenderingPlain = 1;
constexpr int32_t kRenderingHighContrast = 3;
constexpr int32_t kRenderingMediumContrast = 7;
constexpr int32_t kRenderingNoContrast = 5;

} // namespace

void CmdPlainPoints(const wchar_t*) {
    OcularSettings.RenderingMode = kRenderingPlain;
}

void CmdHighContrast(const wchar_t*) {
    OcularSettings.RenderingMode = kRenderingHighContrast;
}

void CmdMediumContrast(const wchar_t*) {
    OcularSettings.RenderingMode = kRenderingMediumContrast;
}

void CmdNoContrast(const wchar_t*) {
    OcularSettings.RenderingMode = kRenderingNoContrast;
}
