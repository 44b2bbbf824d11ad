#include "cface/host.h"

HostState& Host() {
    static HostState state{};
    return state;
}

OrbisaMiniApp* ActiveApp() {
    HostState& host = Host();
    return host.activeStack.empty() ? nullptr : host.activeStack.back();
}

ActiveScope::ActiveScope(OrbisaMiniApp* app) : depth_(Host().activeStack.size()) {
    Host().activeStack.push_back(app);
}

ActiveScope::~ActiveScope() {
    Host().activeStack.resize(depth_);
}

OrbisaView* ViewOfHandle(ViewHandle view) {
    for (OrbisaView& candidate : Host().views)
        if (view == &candidate) return &candidate;
    return nullptr;
}

OrbisaView* ViewOfIndex(int index) {
    return (index >= 0 && index < kMaxViews) ? &Host().views[index] : nullptr;
}

OrbisaMiniApp* AppOfHandle(MAppHandle app) {
    for (int i = 0; i < Host().appCount; ++i)
        if (app == &Host().apps[i]) return Host().apps[i].loaded ? &Host().apps[i] : nullptr;
    return nullptr;
}
