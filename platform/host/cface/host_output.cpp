#include "cface/host_output.h"

#include <windows.h>

#include <cstdio>

namespace {

HANDLE g_copy = INVALID_HANDLE_VALUE;

void WriteCopy(const std::string& text) {
    if (g_copy == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (!WriteFile(g_copy, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        CloseHandle(g_copy);
        g_copy = INVALID_HANDLE_VALUE;
    }
}

} // namespace

bool OutputOpenCopy(const wchar_t* path) {
    OutputClose();
    g_copy = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    return g_copy != INVALID_HANDLE_VALUE;
}

void OutputClose() {
    if (g_copy != INVALID_HANDLE_VALUE) CloseHandle(g_copy);
    g_copy = INVALID_HANDLE_VALUE;
}

void PrintLine(const std::string& line) {
    fflush(stdout);
    fputs(line.c_str(), stdout);
    fputs("\n", stdout);
    fflush(stdout);
    WriteCopy(line + "\r\n");
}

void PrintProblem(const std::string& line) {
    PrintLine(line);
    fputs(line.c_str(), stderr);
    fputs("\n", stderr);
    fflush(stderr);
}

void FlushOutput() {
    fflush(stdout);
    fflush(stderr);
}
