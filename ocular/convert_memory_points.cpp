// PLACEHOLDER (H4): replaced by the feature's real code before it lands.
#include "projects.h"

void ConvertMemoryPoints() {}
