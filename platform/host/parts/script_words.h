// Words and numbers of the host's text inputs (script lines, design descriptions, command lines).
#pragma once

#include <string>
#include <vector>

// The words of a line, split at blanks and tabs.
std::vector<std::string> SplitWords(const std::string& line);
// The text after the first count words and the one blank behind them, as it stands (blanks inside kept).
std::string TextAfterWords(const std::string& line, int count);
// A whole word as a finite decimal number or an int; false for anything else (trailing text too).
bool ParseNumber(const std::string& word, double* value);
bool ParseInt(const std::string& word, int* value);
