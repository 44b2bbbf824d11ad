#include "engine_error.h"

#include "engine_text.h"

#include <mutex>

namespace {

std::mutex errorLock;
wchar_t pending[kPathChars + 512];
bool waiting = false;

} // namespace

void EngineErrorSet(const wchar_t* text) {
    std::lock_guard<std::mutex> hold(errorLock);
    TextCopy(pending, kPathChars + 512, text && *text ? text : L"The engine failed without saying why.");
    waiting = true;
}

bool EngineErrorTake(wchar_t* text, size_t capacity) {
    std::lock_guard<std::mutex> hold(errorLock);
    if (!waiting) return false;
    if (text) TextCopy(text, capacity, pending);
    waiting = false;
    return true;
}

void EngineErrorClear() {
    std::lock_guard<std::mutex> hold(errorLock);
    waiting = false;
}
