#include "parts/keyin_match.h"

#include <cwctype>

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool SameLetter(wchar_t a, wchar_t b) {
    return a == b || std::towupper(static_cast<wint_t>(a)) == std::towupper(static_cast<wint_t>(b));
}

// Length of the phrase when it matches at the start of text, else 0.
size_t MatchLength(const std::wstring& text, const std::wstring& phrase) {
    if (phrase.empty() || phrase.size() > text.size()) return 0;
    for (size_t i = 0; i < phrase.size(); ++i) {
        if (!SameLetter(text[i], phrase[i])) return 0;
    }
    if (phrase.size() < text.size() && !IsBlank(text[phrase.size()])) return 0;
    return phrase.size();
}

} // namespace

std::wstring TrimBlanks(const std::wstring& text) {
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    size_t last = text.size();
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

KeyinMatchResult KeyinMatch(const std::wstring& typed, const std::vector<std::wstring>& phrases) {
    size_t start = 0;
    while (start < typed.size() && IsBlank(typed[start])) ++start;
    std::wstring text = typed.substr(start);
    KeyinMatchResult result;
    size_t best = 0;
    for (size_t i = 0; i < phrases.size(); ++i) {
        size_t length = MatchLength(text, phrases[i]);
        if (length > best) {
            best = length;
            result.phrase = static_cast<int>(i);
        }
    }
    if (result.phrase >= 0) result.argument = TrimBlanks(text.substr(best));
    return result;
}
