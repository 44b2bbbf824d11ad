#include "class_colours.h"

namespace {

struct ClassColour {
    uint8_t number;
    uint8_t red, green, blue;
};

// The classes LAS gives a meaning to (ASPRS), in the colours viewers commonly use for them.
constexpr ClassColour kKnownClasses[] = {
    {0, 160, 160, 160},  // created, never classified
    {1, 200, 200, 200},  // unclassified
    {2, 170, 120, 60},   // ground
    {3, 140, 210, 100},  // low vegetation
    {4, 60, 170, 60},    // medium vegetation
    {5, 20, 110, 20},    // high vegetation
    {6, 220, 60, 40},    // building
    {7, 255, 0, 255},    // low point (noise)
    {8, 255, 200, 0},    // model key point
    {9, 40, 100, 230},   // water
    {10, 120, 70, 160},  // rail
    {11, 90, 90, 90},    // road surface
    {12, 255, 150, 200}, // overlap
    {13, 250, 230, 70},  // wire guard
    {14, 250, 200, 40},  // wire conductor
    {15, 180, 140, 240}, // transmission tower
    {16, 250, 170, 70},  // wire connector
    {17, 120, 120, 200}, // bridge deck
    {18, 255, 40, 120},  // high noise
};

struct ColourTable {
    uint8_t bytes[256 * 3];
    ColourTable() {
        // Classes without a common colour: hues spread by the golden angle, so neighbours differ.
        for (int c = 0; c < 256; ++c) {
            double hue = (c * 137.508) / 60.0;
            while (hue >= 6.0) hue -= 6.0;
            int sector = static_cast<int>(hue);
            double f = hue - sector;
            uint8_t high = 230, low = 60;
            uint8_t rising = static_cast<uint8_t>(low + (high - low) * f);
            uint8_t falling = static_cast<uint8_t>(high - (high - low) * f);
            const uint8_t rgb[6][3] = {{high, rising, low},  {falling, high, low}, {low, high, rising},
                                       {low, falling, high}, {rising, low, high},  {high, low, falling}};
            for (int k = 0; k < 3; ++k) bytes[3 * c + k] = rgb[sector][k];
        }
        for (const ClassColour& known : kKnownClasses) {
            bytes[3 * known.number] = known.red;
            bytes[3 * known.number + 1] = known.green;
            bytes[3 * known.number + 2] = known.blue;
        }
    }
};

} // namespace

const uint8_t* DefaultClassColours() {
    static const ColourTable table;
    return table.bytes;
}
