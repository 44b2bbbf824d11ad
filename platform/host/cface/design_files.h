// Reading a design description file (see parts/design_description.h) for --design and the script.
#pragma once

#include "parts/design_description.h"

#include <string>

// At most 1 MiB. False with why ("FILE line N: ...") for a file that cannot be read or has a bad line.
bool ReadDesignDescription(const std::wstring& path, DesignModel* model, std::string* why);
