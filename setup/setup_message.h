// The installer's own notices: platform message boxes captioned "Nimbo Setup".
#pragma once

#include <windows.h>

// Composes text with every "%s" replaced by argument (any other "%" stays as it is) and shows it.
int SetupMessage(HWND owner, const wchar_t* text, UINT style, const wchar_t* argument);

// The composition alone, bounded by capacity characters; an over-long message is cut, never overrun.
void SetupComposeMessage(wchar_t* target, size_t capacity, const wchar_t* text, const wchar_t* argument);

constexpr UINT kSetupStyleTaskModal = MB_OK | MB_ICONINFORMATION | MB_TASKMODAL; // 0x2040
constexpr UINT kSetupStyleNotice = MB_OK | MB_ICONINFORMATION;                   // 0x40
