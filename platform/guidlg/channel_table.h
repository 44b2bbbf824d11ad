// The channels a project can carry and how the dialogs name them.
#pragma once

#include <stdint.h>

struct ChannelInfo {
    unsigned int number; // the engine's channel number; bit number of a channel mask
    const wchar_t* name;
};

// In the order the dialog lists them; elevation comes first because every project has it.
extern const ChannelInfo kChannels[];
extern const int kChannelCount;

// The table's entry for a channel number, or null.
const ChannelInfo* ChannelFind(unsigned int number);
bool ChannelInMask(unsigned int number, unsigned long long channelMask);
// channel when the mask carries it and the table knows it; otherwise the first channel of the table
// the mask carries; otherwise channel unchanged (an empty mask).
unsigned int ChannelAvailable(unsigned int channel, unsigned long long channelMask);
