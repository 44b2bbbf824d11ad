// Matching a typed key-in against the registered phrases. A phrase matches when the typed text, without
// its leading blanks, begins with it (letter case ignored, every other character as it is, so a phrase
// with two blanks needs two typed blanks) and the phrase ends a word: the next typed character is a
// blank or the end. The longest matching phrase wins; the rest of the text without surrounding blanks
// is the argument.
#pragma once

#include <string>
#include <vector>

struct KeyinMatchResult {
    int phrase = -1;       // index into the phrases, -1 when none matched
    std::wstring argument; // empty when nothing follows the phrase
};

KeyinMatchResult KeyinMatch(const std::wstring& typed, const std::vector<std::wstring>& phrases);

// The text without leading and trailing blanks and tabs.
std::wstring TrimBlanks(const std::wstring& text);
