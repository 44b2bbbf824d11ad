#include "parts/script_words.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && IsBlank(line[at])) ++at;
        size_t end = at;
        while (end < line.size() && !IsBlank(line[end])) ++end;
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

std::string TextAfterWords(const std::string& line, int count) {
    size_t at = 0;
    for (int i = 0; i < count; ++i) {
        while (at < line.size() && IsBlank(line[at])) ++at;
        while (at < line.size() && !IsBlank(line[at])) ++at;
    }
    if (at < line.size() && IsBlank(line[at])) ++at;
    return line.substr(at);
}

bool ParseNumber(const std::string& word, double* value) {
    if (word.empty() || word.size() > 64) return false;
    char* end = nullptr;
    errno = 0;
    double parsed = strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size() || errno == ERANGE || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

bool ParseInt(const std::string& word, int* value) {
    if (word.empty() || word.size() > 16) return false;
    char* end = nullptr;
    errno = 0;
    long parsed = strtol(word.c_str(), &end, 10);
    if (end != word.c_str() + word.size() || errno == ERANGE || parsed < -2147483647L - 1 ||
        parsed > 2147483647L)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}
