// The resource collections mini apps register (RegisterResourceData), searched for tool-bar icons.
#pragma once

#include "cface/host.h"

#include <string>
#include <vector>

// The bytes of a path in the registered collections, the latest registered first. False when no
// collection has it; why then tells what was wrong when a collection was malformed.
bool FindResource(const char* path, std::vector<unsigned char>* bytes, std::string* why);
// Drops the collections the app registered or that lie inside its module image.
void RemoveAppResources(OrbisaMiniApp* app);
