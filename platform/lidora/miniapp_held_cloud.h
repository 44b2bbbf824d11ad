// The one cloud the mini app holds between its commands, and what the entry points hand out.
#pragma once

#include "lidora_cloud.h"

const LidoraCloud& HeldCloud();
// Takes over cloud (left empty) and frees what was held before.
void HoldCloud(LidoraCloud* cloud);
// Frees the held points.
void ReleaseHeldCloud();
