#include "class_defaults.h"

#include <stdio.h>

namespace {

struct StandardClass {
    int number;
    const wchar_t* name;
    uint8_t rgb[3];
};

// The classes LAS 1.4 defines, with the colours viewers commonly give them.
const StandardClass kStandardClasses[] = {
    {0, L"Created, never classified", {160, 160, 160}},
    {1, L"Unclassified", {200, 200, 200}},
    {2, L"Ground", {170, 110, 50}},
    {3, L"Low vegetation", {150, 210, 90}},
    {4, L"Medium vegetation", {70, 170, 50}},
    {5, L"High vegetation", {20, 110, 30}},
    {6, L"Building", {210, 60, 50}},
    {7, L"Low point (noise)", {250, 0, 250}},
    {8, L"Model key-point", {250, 250, 0}},
    {9, L"Water", {40, 90, 220}},
    {10, L"Rail", {120, 80, 60}},
    {11, L"Road surface", {90, 90, 100}},
    {12, L"Overlap", {240, 170, 40}},
    {13, L"Wire - guard (shield)", {230, 230, 120}},
    {14, L"Wire - conductor (phase)", {250, 200, 0}},
    {15, L"Transmission tower", {170, 40, 170}},
    {16, L"Wire-structure connector", {200, 120, 220}},
    {17, L"Bridge deck", {130, 130, 200}},
    {18, L"High noise", {255, 0, 120}},
};

const StandardClass* Standard(int classNumber) {
    for (const StandardClass& c : kStandardClasses)
        if (c.number == classNumber) return &c;
    return nullptr;
}

} // namespace

void ClassDefaultName(int classNumber, wchar_t* name, size_t capacity) {
    if (!name || capacity == 0) return;
    const StandardClass* standard = Standard(classNumber);
    if (standard)
        swprintf(name, capacity, L"%ls", standard->name);
    else
        swprintf(name, capacity, L"Class %d", classNumber);
}

void ClassDefaultColour(int classNumber, uint8_t rgb[3]) {
    const StandardClass* standard = Standard(classNumber);
    if (standard) {
        for (int i = 0; i < 3; ++i) rgb[i] = standard->rgb[i];
        return;
    }
    // Other classes walk round the colour wheel in steps of the golden angle, so neighbours differ.
    unsigned hue = (static_cast<unsigned>(classNumber) * 137u) % 360u;
    unsigned sector = hue / 60u, within = (hue % 60u) * 255u / 60u;
    uint8_t high = 230, low = 60;
    uint8_t rising = static_cast<uint8_t>(low + (high - low) * within / 255u);
    uint8_t falling = static_cast<uint8_t>(high - (high - low) * within / 255u);
    const uint8_t table[6][3] = {{high, rising, low},  {falling, high, low}, {low, high, rising},
                                 {low, falling, high}, {rising, low, high},  {high, low, falling}};
    for (int i = 0; i < 3; ++i) rgb[i] = table[sector][i];
}
