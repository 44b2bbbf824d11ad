// PLACEHOLDER (H3): replaced by the feature's real code before it lands.
#include "view.h"

int ViewGetImageSize(int*, int*, int) {
    return 0;
}
int ViewIsPerspective(DPoint3d*, DPoint3d*, double*, double*, int) {
    return 0;
}
void FileOriginAndUnits(DPoint3d*, double*) {}
void ColorFromIndex(unsigned char*, CadFileHandle, int) {}
void StartStateCommand(StateFunc, StateFunc, const wchar_t*, const wchar_t*) {}
void SetStateMotionFunc(StateFunc) {}
void StopStateCommand() {}
bool IsViewVisible(int) {
    return false;
}
void UpdateView(int) {}
