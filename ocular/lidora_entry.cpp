// Lidora is another mini app of the same host: it may be loaded after us, unloaded and loaded again,
// so its module is looked up anew for every entry point instead of once at start-up.
#include "projects.h"

#include "lidora.h"

#include <windows.h>

void* LidoraEntry(const char* name) {
    HMODULE lidora = GetModuleHandleA(LIDORA_MODULE_NAME);
    if (!lidora) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(lidora, name));
}
