// PLACEHOLDER (H2): replaced by the feature's real code before it lands.
#include "engine_start.h"

bool IniRead() {
    return false;
}
