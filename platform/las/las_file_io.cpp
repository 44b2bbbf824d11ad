#include "las_file_io.h"

namespace {

// The system takes at most a DWORD per call; stay well below it.
constexpr uint64_t kLargestPiece = 1u << 30;

DWORD PieceOf(uint64_t remaining) {
    return static_cast<DWORD>(remaining < kLargestPiece ? remaining : kLargestPiece);
}

} // namespace

bool LasSetPosition(HANDLE handle, uint64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN) != 0;
}

uint64_t LasReadAt(HANDLE handle, uint64_t offset, void* dest, uint64_t bytes, DWORD* systemError) {
    if (systemError) *systemError = 0;
    if (!LasSetPosition(handle, offset)) {
        if (systemError) *systemError = GetLastError();
        return 0;
    }
    uint8_t* out = static_cast<uint8_t*>(dest);
    uint64_t done = 0;
    while (done < bytes) {
        DWORD got = 0;
        if (!ReadFile(handle, out + done, PieceOf(bytes - done), &got, nullptr)) {
            if (systemError) *systemError = GetLastError();
            return 0;
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

bool LasWriteAll(HANDLE handle, const void* source, uint64_t bytes) {
    const uint8_t* in = static_cast<const uint8_t*>(source);
    uint64_t done = 0;
    while (done < bytes) {
        DWORD put = 0;
        if (!WriteFile(handle, in + done, PieceOf(bytes - done), &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}
