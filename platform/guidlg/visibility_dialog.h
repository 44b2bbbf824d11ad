// The channel and class visibility dialog: the channels a project carries as radio buttons and its
// classes as a check list with colour swatches, names and point counts.
#pragma once

#include "class_listing.h"

#include "pcv.h"

#include <windows.h>

extern const wchar_t kVisibilityTitle[];
// Bit of the option word: list all 256 classes, not only those with points.
constexpr unsigned int kVisibilityListAll = 1u;

struct VisibilityRequest {
    unsigned long long channelMask; // channels of the project (bit n: channel n)
    const ClassListing* classes;
    unsigned int channel; // checked when the project carries it, else the first channel listed
    ClassificationMask256 mask;
    unsigned int option;
};

struct VisibilityChoice {
    unsigned int channel;
    ClassificationMask256 mask; // active 1; classes not listed keep their bits
    unsigned int option;
};

// Control ids, for the dialog's own code and for tests that drive it.
enum VisibilityControl {
    kVisibilityChannelFirst = 1100, // + index in kChannels
    kVisibilityClassList = 1200,
    kVisibilityShowAll = 1201,
    kVisibilityHideAll = 1202,
    kVisibilityListAllBox = 1203,
};

// 1 on OK with choice filled, 0 on Cancel (choice untouched), -1 when the dialog could not be shown.
int VisibilityDialogRun(HWND owner, const VisibilityRequest& request, VisibilityChoice* choice);
