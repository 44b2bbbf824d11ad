// The host's design file: working units per master unit, the global origin and a 256-entry colour
// table, and the small text description that --design reads:
//
//   # comment; blank lines are ignored
//   units 1000          working units per master unit (a positive number)
//   origin 10 20 0      the global origin, working units
//   color 3 255 0 0     colour index 0..255 as red, green, blue (0..255 each)
//
// Every line not given keeps the default design's value. Lines are at most kDesignLineLimit bytes.
#pragma once

#include "orbisa_cadio.h"

#include <stddef.h>

#include <string>

constexpr size_t kDesignLineLimit = 1024;

struct DesignModel {
    double workingPerMaster;
    DPoint3d origin;
    CadColor colors[256];
};

// 1 working unit per master unit, origin 0, the standard colour table: 0 white, 1 blue, 2 green, 3 red,
// 4 yellow, 5 magenta, 6 orange, 7 cyan, 8 to 15 greys from dark to light, then a colour cube of
// 6 x 6 x 6 steps (16 to 231) and 24 greys (232 to 255).
void DesignDefault(DesignModel* model);

// Reads a description on top of the default design. On a bad line returns false with its number
// (from 1) and what is wrong with it; the model is then left as the default.
bool DesignParse(const char* text, size_t size, DesignModel* model, int* badLine, std::string* why);
