#include "parts/design_description.h"

#include "parts/script_words.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

void SetColor(CadColor* color, int red, int green, int blue) {
    color->bytes[0] = static_cast<unsigned char>(blue);
    color->bytes[1] = static_cast<unsigned char>(green);
    color->bytes[2] = static_cast<unsigned char>(red);
}

bool ParseColorLevel(const std::string& word, int* level) {
    return ParseInt(word, level) && *level >= 0 && *level <= 255;
}

bool ParseLine(const std::vector<std::string>& words, DesignModel* model, std::string* why) {
    const std::string& key = words[0];
    if (key == "units") {
        double units = 0;
        if (words.size() != 2 || !ParseNumber(words[1], &units) || !(units > 0)) {
            *why = "units needs one positive number";
            return false;
        }
        model->workingPerMaster = units;
        return true;
    }
    if (key == "origin") {
        double v[3];
        if (words.size() != 4 || !ParseNumber(words[1], &v[0]) || !ParseNumber(words[2], &v[1]) ||
            !ParseNumber(words[3], &v[2])) {
            *why = "origin needs three numbers";
            return false;
        }
        model->origin = {v[0], v[1], v[2]};
        return true;
    }
    if (key == "color") {
        int index = 0, r = 0, g = 0, b = 0;
        if (words.size() != 5 || !ParseInt(words[1], &index) || index < 0 || index > 255) {
            *why = "color needs an index 0..255 and red, green and blue";
            return false;
        }
        if (!ParseColorLevel(words[2], &r) || !ParseColorLevel(words[3], &g) ||
            !ParseColorLevel(words[4], &b)) {
            *why = "color levels must be 0..255";
            return false;
        }
        SetColor(&model->colors[index], r, g, b);
        return true;
    }
    *why = "unknown keyword \"" + key + "\"";
    return false;
}

} // namespace

void DesignDefault(DesignModel* model) {
    model->workingPerMaster = 1;
    model->origin = {0, 0, 0};
    static const unsigned char kFirst[16][3] = {
        {255, 255, 255}, {0, 0, 255},     {0, 255, 0},     {255, 0, 0},    {255, 255, 0},   {255, 0, 255},
        {255, 127, 0},   {0, 255, 255},   {64, 64, 64},    {96, 96, 96},   {128, 128, 128}, {150, 150, 150},
        {172, 172, 172}, {192, 192, 192}, {212, 212, 212}, {232, 232, 232}};
    for (int i = 0; i < 16; ++i) SetColor(&model->colors[i], kFirst[i][0], kFirst[i][1], kFirst[i][2]);
    static const int kSteps[6] = {0, 51, 102, 153, 204, 255};
    for (int i = 0; i < 216; ++i)
        SetColor(&model->colors[16 + i], kSteps[i / 36], kSteps[(i / 6) % 6], kSteps[i % 6]);
    for (int i = 0; i < 24; ++i) {
        int level = 8 + i * 10;
        SetColor(&model->colors[232 + i], level, level, level);
    }
}

bool DesignParse(const char* text, size_t size, DesignModel* model, int* badLine, std::string* why) {
    DesignModel parsed;
    DesignDefault(&parsed);
    DesignDefault(model);
    size_t at = 0;
    int number = 0;
    while (at < size) {
        size_t end = at;
        while (end < size && text[end] != '\n') ++end;
        ++number;
        std::string line(text + at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kDesignLineLimit) {
            *badLine = number;
            *why = "line longer than " + std::to_string(kDesignLineLimit) + " characters";
            return false;
        }
        if (memchr(line.data(), '\0', line.size())) {
            *badLine = number;
            *why = "line holds a zero byte";
            return false;
        }
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::vector<std::string> words = SplitWords(line);
        if (words.empty()) continue;
        if (!ParseLine(words, &parsed, why)) {
            *badLine = number;
            return false;
        }
    }
    *model = parsed;
    return true;
}
