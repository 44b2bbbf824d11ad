#include "parts/log_format.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string FormatNumber(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    if (value == 0) return "0";
    char text[48];
    // Plain decimals where they are short enough, else the shortest exponent form.
    if (std::fabs(value) < 1e15 && std::fabs(value) >= 1e-6) {
        for (int decimals = 0; decimals <= 20; ++decimals) {
            snprintf(text, sizeof text, "%.*f", decimals, value);
            if (strtod(text, nullptr) == value) return text;
        }
    }
    for (int precision = 1; precision <= 17; ++precision) {
        snprintf(text, sizeof text, "%.*g", precision, value);
        if (strtod(text, nullptr) == value) break;
    }
    return text;
}

size_t BoundedLength(const char* text, size_t limit) {
    if (!text) return 0;
    size_t length = 0;
    while (length < limit && text[length]) ++length;
    return length;
}

size_t BoundedWideLength(const wchar_t* text, size_t limit) {
    if (!text) return 0;
    size_t length = 0;
    while (length < limit && text[length]) ++length;
    return length;
}

std::string WideToUtf8Text(const wchar_t* text) {
    size_t length = BoundedWideLength(text, kLogTextLimit);
    if (length == 0) return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::wstring Utf8ToWideText(const std::string& utf8) {
    if (utf8.empty() || utf8.size() > 0x7FFFFFFF) return {};
    int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(size_t(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), units);
    return wide;
}

namespace {

std::string QuoteBytes(const char* text, size_t length, bool cut) {
    std::string quoted = "\"";
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escape[8];
                    snprintf(escape, sizeof escape, "\\x%02X", c);
                    quoted += escape;
                } else {
                    quoted += static_cast<char>(c);
                }
        }
    }
    if (cut) quoted += "...";
    quoted += "\"";
    return quoted;
}

void Append(LogLine& line, const char* name, const std::string& value) {
    line.text += ' ';
    line.text += name;
    line.text += '=';
    line.text += value;
}

} // namespace

std::string QuoteText(const char* utf8) {
    if (!utf8) return "null";
    size_t length = BoundedLength(utf8, kLogTextLimit);
    return QuoteBytes(utf8, length, length == kLogTextLimit);
}

std::string QuoteWide(const wchar_t* text) {
    if (!text) return "null";
    std::string utf8 = WideToUtf8Text(text);
    return QuoteBytes(utf8.data(), utf8.size(), BoundedWideLength(text, kLogTextLimit) == kLogTextLimit);
}

std::string FormatPointer(const void* pointer) {
    return pointer ? "non-null" : "null";
}

std::string FormatPoint(const DPoint3d* point) {
    if (!point) return "null";
    return "(" + FormatNumber(point->x) + "," + FormatNumber(point->y) + "," + FormatNumber(point->z) + ")";
}

void LogBegin(LogLine& line, const char* operation) {
    line.text = operation;
}

void LogInt(LogLine& line, const char* name, long long value) {
    Append(line, name, std::to_string(value));
}

void LogDouble(LogLine& line, const char* name, double value) {
    Append(line, name, FormatNumber(value));
}

void LogText(LogLine& line, const char* name, const char* utf8) {
    Append(line, name, QuoteText(utf8));
}

void LogWide(LogLine& line, const char* name, const wchar_t* text) {
    Append(line, name, QuoteWide(text));
}

void LogPointer(LogLine& line, const char* name, const void* pointer) {
    Append(line, name, FormatPointer(pointer));
}

void LogPoint(LogLine& line, const char* name, const DPoint3d* point) {
    Append(line, name, FormatPoint(point));
}

void LogRaw(LogLine& line, const char* name, const std::string& value) {
    Append(line, name, value);
}

void LogResult(LogLine& line, long long value) {
    line.text += " -> ";
    line.text += std::to_string(value);
}

void LogResultText(LogLine& line, const std::string& value) {
    line.text += " -> ";
    line.text += value;
}

void LogAfter(LogLine& line, const char* name, const std::string& value) {
    Append(line, name, value);
}
