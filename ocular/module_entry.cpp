// The module's face towards the host: its one export and the three names the compiled icon collection
// (rcc's C++ output) calls at static initialisation and at process detach.
#include "plugin.h"

#include "orbisa_cface.h"
#include "platform_export.h"

bool qRegisterResourceData(int version, const unsigned char* tree, const unsigned char* names,
                           const unsigned char* data) {
    return RegisterResourceData(version, tree, names, data) == 1;
}

bool qUnregisterResourceData(int version, const unsigned char* tree, const unsigned char* names,
                             const unsigned char* data) {
    return UnregisterResourceData(version, tree, names, data) == 1;
}

// rcc's clean-up adds this to the format version it unregisters with, only to make sure a reader of
// compressed entries is linked: it must be 0, or the host would be asked to drop a version 2 collection.
unsigned char qResourceFeatureZlib() {
    return 0;
}

extern "C" PLATFORM_EXPORT int MiniAppMain(void) {
    return PluginStart();
}
