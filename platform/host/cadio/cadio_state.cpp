#include "cadio/cadio_state.h"

CadIoState& CadIo() {
    static CadIoState state = [] {
        CadIoState initial{};
        initial.hasFile = true;
        DesignDefault(&initial.file.model);
        return initial;
    }();
    return state;
}

bool CadIoLogging() {
    return CadIo().sink != nullptr;
}

void CadIoLog(const LogLine& line) {
    if (CadIo().sink) CadIo().sink(line.text.c_str());
}

extern "C" {

void CadHostSetLogSink(CadHostLogSink sink) {
    CadIo().sink = sink;
}

void CadHostSetDesign(const DesignModel* model) {
    CadIo().hasFile = model != nullptr;
    if (model) CadIo().file.model = *model;
}

int CadHostGetDesign(DesignModel* model) {
    if (!CadIo().hasFile) return 0;
    if (model) *model = CadIo().file.model;
    return 1;
}

double CadHostWorkingPerMaster(void) {
    return CadIo().hasFile ? CadIo().file.model.workingPerMaster : 1.0;
}

} // extern "C"
