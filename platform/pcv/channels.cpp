#include "channels.h"

#include "cloud_source.h"

namespace {

constexpr ChannelInfo kChannels[] = {
    {PcvChannelElevation, L"Elevation", 4, false}, // a colour ramp over the height: every cloud has it
    {PcvChannelIntensity, L"Intensity", 2, false}, {PcvChannelClassification, L"Classification", 1, true},
    {PcvChannelRgb, L"RGB colour", 3, false},      {PcvChannelReturnNumber, L"Return number", 1, false},
};

} // namespace

const ChannelInfo* ChannelFind(uint32_t number) {
    for (const ChannelInfo& channel : kChannels)
        if (channel.number == number) return &channel;
    return nullptr;
}

bool ChannelsOfMask(uint64_t mask, uint32_t* count, uint32_t* lowest) {
    *count = 0;
    *lowest = 0;
    bool found = false;
    for (const ChannelInfo& channel : kChannels) {
        if (channel.number >= 64 || !(mask >> channel.number & 1)) continue;
        if (!found || channel.number < *lowest) *lowest = channel.number;
        ++*count;
        found = true;
    }
    return found;
}

int ChannelWidthOfMask(uint64_t mask) {
    uint32_t count, lowest;
    if (!ChannelsOfMask(mask, &count, &lowest)) return 0;
    return ChannelFind(lowest)->width;
}
