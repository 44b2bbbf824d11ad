// The key-in line: an edit field above the status line. Enter runs what was typed (as RunKeyin) and
// empties the field; Up and Down walk through the key-ins typed before.
#pragma once

#include <windows.h>

#include <string>

HWND CreateKeyinLine(HWND parent);
// Runs a key-in as if it had been typed into the field and entered.
void EnterKeyin(const std::wstring& text);
