// Bounded error texts for the reader and the writer.
#pragma once

// Formats the text into error (errorChars characters, terminator included), cutting it when it is too
// long; a null error or a non-positive size writes nothing. Always returns 0, so that a failing
// function can end with `return LasFail(...)`.
int LasFail(wchar_t* error, int errorChars, const wchar_t* format, ...);
