// Reading a LAS file into a Lidora cloud: every point with its class, intensity and colour, its
// coordinates converted to one common scale exactly.
#pragma once

#include "lidora_cloud.h"

// Reads the file into a new cloud. 0 with the reason in error (kLidoraErrorChars) and the cloud
// empty when the file cannot be read, holds no points or more than Lidora holds, or its coordinates
// have no exact common scale in 32 bits.
int LasImport(const wchar_t* path, LidoraCloud* cloud, wchar_t* error);
