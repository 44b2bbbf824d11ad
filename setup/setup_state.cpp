#include "setup_state.h"

#include <cstring>

SetupState g_setup;

void SetupStateReset() {
    memset(&g_setup, 0, sizeof g_setup);
}
