// PLACEHOLDER (H3): replaced by the feature's real code before it lands.
#include "view.h"

ProjectionImageData SharedView;
HANDLE ViewMutex;
uint32_t CurrentChannel;

int ViewHookInstall() {
    return 1;
}
void ViewHookRemove() {}
void DrawView(ViewHandle) {}
void ViewUnlock() {}
void ViewCopy(ProjectionImageData* destination) {
    *destination = SharedView;
}
