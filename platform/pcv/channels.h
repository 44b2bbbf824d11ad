// The channels a view can be coloured by, and the conventions of channel masks (bit n: channel n).
#pragma once

#include <stdint.h>

struct ChannelInfo {
    uint32_t number;
    const wchar_t* name;
    int width;       // bytes per point the channel's values take
    bool usesGroups; // its values are groups (classes) that can be shown or hidden one by one
};

// The channel of that number; null for numbers that are no channel.
const ChannelInfo* ChannelFind(uint32_t number);
// The channels of a mask: how many known channels it names and the lowest of them. False (0 and 0,
// the elevation channel) when it names none.
bool ChannelsOfMask(uint64_t mask, uint32_t* count, uint32_t* lowest);
// The width of the lowest known channel of mask; 0 when it names none.
int ChannelWidthOfMask(uint64_t mask);
