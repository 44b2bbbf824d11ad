#include "las_writer.h"

#include "las_encode_points.h"
#include "las_error.h"
#include "las_file_io.h"
#include "las_format.h"
#include "las_header_build.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr uint32_t kWriteBufferBytes = 1u << 20;
const wchar_t* const kAxisNames[3] = {L"X", L"Y", L"Z"};

int CheckOptions(const LasWriteOptions& options, wchar_t* error, int errorChars) {
    if (options.versionMinor > kLasMaxVersionMinor)
        return LasFail(error, errorChars, L"Unknown LAS version 1.%u", options.versionMinor);
    if (options.pointFormat > kLasMaxPointFormat)
        return LasFail(error, errorChars, L"Unknown LAS point format %u", options.pointFormat);
    if (LasIsExtendedFormat(options.pointFormat) && options.versionMinor < 4)
        return LasFail(error, errorChars, L"Point format %u needs LAS version 1.4", options.pointFormat);
    if (options.evlrCount > 0 && options.versionMinor < 4)
        return LasFail(error, errorChars, L"Extended variable-length records need LAS version 1.4");
    for (int axis = 0; axis < 3; ++axis) {
        if (options.scale[axis] == 0.0 || !isfinite(options.scale[axis]) || !isfinite(options.offset[axis]))
            return LasFail(error, errorChars,
                           L"The %ls scale must be a finite number other than zero and the %ls "
                           L"offset a finite number",
                           kAxisNames[axis], kAxisNames[axis]);
    }
    uint32_t recordLength =
        kLasFormatLayouts[options.pointFormat].standardLength + uint32_t{options.extraBytes};
    if (recordLength > UINT16_MAX)
        return LasFail(error, errorChars, L"A record of %u bytes is longer than LAS allows (65535)",
                       recordLength);
    if (LasWriterPointDataOffset(options) > UINT32_MAX)
        return LasFail(error, errorChars, L"%u variable-length records do not fit before the points",
                       options.vlrCount);
    return 1;
}

bool WriteHeader(LasWriter* writer) {
    uint8_t bytes[las_header::kMaxSize];
    if (!LasBuildHeader(*writer, bytes)) return false;
    return LasWriteAll(writer->handle, bytes, LasHeaderSizeOfVersion(writer->options.versionMinor));
}

bool WriteVlrs(LasWriter* writer) {
    uint8_t bytes[kLasVlrHeaderBytes];
    for (uint32_t i = 0; i < writer->options.vlrCount; ++i) {
        LasBuildVlrHeader(i, bytes);
        if (!LasWriteAll(writer->handle, bytes, sizeof bytes)) return false;
    }
    if (writer->options.versionMinor == 0)
        return LasWriteAll(writer->handle, kLasPointDataSignature10, sizeof kLasPointDataSignature10);
    return true;
}

bool WriteEvlrs(LasWriter* writer) {
    uint8_t bytes[kLasEvlrHeaderBytes];
    for (uint32_t i = 0; i < writer->options.evlrCount; ++i) {
        LasBuildEvlrHeader(i, bytes);
        if (!LasWriteAll(writer->handle, bytes, sizeof bytes)) return false;
    }
    return true;
}

bool Flush(LasWriter* writer) {
    if (writer->buffered == 0) return true;
    bool written = LasWriteAll(writer->handle, writer->buffer, writer->buffered);
    writer->buffered = 0;
    if (!written) writer->failed = true;
    return written;
}

void Release(LasWriter* writer) {
    if (writer->handle && writer->handle != INVALID_HANDLE_VALUE) CloseHandle(writer->handle);
    writer->handle = nullptr;
    free(writer->buffer);
    writer->buffer = nullptr;
    writer->bufferBytes = 0;
    writer->buffered = 0;
}

} // namespace

int LasCreate(LasWriter* writer, const wchar_t* path, const LasWriteOptions& options, wchar_t* error,
              int errorChars) {
    if (!writer) return LasFail(error, errorChars, L"No writer record was given");
    memset(writer, 0, sizeof *writer);
    if (!path || !path[0]) return LasFail(error, errorChars, L"No file name was given");
    if (!CheckOptions(options, error, errorChars)) return 0;
    writer->options = options;
    writer->recordLength =
        static_cast<uint16_t>(kLasFormatLayouts[options.pointFormat].standardLength + options.extraBytes);
    // Zeroed once: extra bytes and waveform packets are never written into, so they stay 0.
    writer->buffer = static_cast<uint8_t*>(calloc(kWriteBufferBytes, 1));
    if (!writer->buffer) return LasFail(error, errorChars, L"Not enough memory for the write buffer");
    writer->bufferBytes = kWriteBufferBytes;
    writer->handle =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (writer->handle == INVALID_HANDLE_VALUE) {
        DWORD systemError = GetLastError();
        writer->handle = nullptr;
        Release(writer);
        return LasFail(error, errorChars, L"Cannot create the file (system error %lu)", systemError);
    }
    // The header is written now so that the records follow at their place, and again at the end.
    if (!WriteHeader(writer) || !WriteVlrs(writer)) {
        DWORD systemError = GetLastError();
        Release(writer);
        return LasFail(error, errorChars, L"Cannot write the file (system error %lu)", systemError);
    }
    return 1;
}

int LasWritePoints(LasWriter* writer, const LasPoint* points, uint32_t count) {
    if (!writer || !writer->handle || writer->failed) return 0;
    if (count > 0 && !points) return 0;
    const uint32_t perBuffer = writer->bufferBytes / writer->recordLength;
    uint32_t done = 0;
    while (done < count) {
        uint32_t room = perBuffer - writer->buffered / writer->recordLength;
        if (room == 0) {
            if (!Flush(writer)) return 0;
            continue;
        }
        uint32_t batch = count - done < room ? count - done : room;
        LasEncodePoints(writer, points + done, batch, writer->buffer + writer->buffered);
        writer->buffered += batch * writer->recordLength;
        done += batch;
    }
    return 1;
}

int LasFinish(LasWriter* writer) {
    if (!writer || !writer->handle) return 0;
    bool ok = !writer->failed && Flush(writer);
    ok = ok && WriteEvlrs(writer);
    ok = ok && LasSetPosition(writer->handle, 0) && WriteHeader(writer);
    Release(writer);
    writer->failed = !ok;
    return ok ? 1 : 0;
}
