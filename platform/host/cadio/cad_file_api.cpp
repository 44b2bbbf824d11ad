// The active design file as mini apps see it.
#include "cadio/cadio_state.h"

namespace {

bool IsActiveFile(CadFileHandle file) {
    return file && CadIo().hasFile && file == &CadIo().file;
}

} // namespace

extern "C" {

CadFileHandle CadFileGetActive(void) {
    CadFileHandle file = CadIo().hasFile ? &CadIo().file : nullptr;
    if (CadIoLogging()) {
        LogLine line;
        LogBegin(line, "CadFileGetActive");
        LogResultText(line, FormatPointer(file));
        CadIoLog(line);
    }
    return file;
}

int CadFileGetOrigin(CadFileHandle file, DPoint3d* origin) {
    int result = -1;
    if (IsActiveFile(file) && origin) {
        *origin = file->model.origin;
        result = 0;
    }
    if (CadIoLogging()) {
        LogLine line;
        LogBegin(line, "CadFileGetOrigin");
        LogPointer(line, "file", file);
        LogPointer(line, "origin", origin);
        LogResult(line, result);
        if (result == 0) LogAfter(line, "out", FormatPoint(origin));
        CadIoLog(line);
    }
    return result;
}

int CadFileGetWorldsPerMainUnit(CadFileHandle file, double* workingPerMaster) {
    int result = -1;
    if (IsActiveFile(file) && workingPerMaster) {
        *workingPerMaster = file->model.workingPerMaster;
        result = 0;
    }
    if (CadIoLogging()) {
        LogLine line;
        LogBegin(line, "CadFileGetWorldsPerMainUnit");
        LogPointer(line, "file", file);
        LogPointer(line, "workingPerMaster", workingPerMaster);
        LogResult(line, result);
        if (result == 0) LogAfter(line, "out", FormatNumber(*workingPerMaster));
        CadIoLog(line);
    }
    return result;
}

int CadFileColorFromIndex(CadFileHandle file, CadColor* color, int index) {
    int result = -1;
    if (IsActiveFile(file) && color && index >= 0 && index <= 255) {
        *color = file->model.colors[index];
        result = 0;
    }
    if (CadIoLogging()) {
        LogLine line;
        LogBegin(line, "CadFileColorFromIndex");
        LogPointer(line, "file", file);
        LogPointer(line, "color", color);
        LogInt(line, "index", index);
        LogResult(line, result);
        if (result == 0) {
            LogAfter(line, "out",
                     "{b=" + std::to_string(color->bytes[0]) + " g=" + std::to_string(color->bytes[1]) +
                         " r=" + std::to_string(color->bytes[2]) + "}");
        }
        CadIoLog(line);
    }
    return result;
}

} // extern "C"
