// PLACEHOLDER (H1): replaced by the feature's real code before it lands.
#include "plugin.h"

HWND TopWindow;
PrefTable HostPreferences;
wchar_t HostPreferencesPath[kHostPreferencesPathChars];
MAppHandle ThisMiniApp;
unsigned int* EngineHandle;

int PluginUnload(void) {
    return 0;
}

bool EngineRequired() {
    return EngineHandle != nullptr;
}
