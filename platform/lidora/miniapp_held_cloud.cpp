#include "miniapp_held_cloud.h"

namespace {

// The host calls commands and entry points on its one thread.
LidoraCloud g_held;

} // namespace

const LidoraCloud& HeldCloud() {
    return g_held;
}

void HoldCloud(LidoraCloud* cloud) {
    CloudFree(&g_held);
    g_held = *cloud;
    *cloud = LidoraCloud{};
}

void ReleaseHeldCloud() {
    CloudFree(&g_held);
}
