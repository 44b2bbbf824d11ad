#include "channel_table.h"

const ChannelInfo kChannels[] = {
    {0, L"Elevation"}, {1, L"Intensity"}, {5, L"Classification"}, {7, L"RGB colour"}, {28, L"Return number"},
};
const int kChannelCount = sizeof kChannels / sizeof kChannels[0];

const ChannelInfo* ChannelFind(unsigned int number) {
    for (const ChannelInfo& channel : kChannels)
        if (channel.number == number) return &channel;
    return nullptr;
}

bool ChannelInMask(unsigned int number, unsigned long long channelMask) {
    return number < 64 && ((channelMask >> number) & 1ull);
}

unsigned int ChannelAvailable(unsigned int channel, unsigned long long channelMask) {
    if (ChannelFind(channel) && ChannelInMask(channel, channelMask)) return channel;
    for (const ChannelInfo& info : kChannels)
        if (ChannelInMask(info.number, channelMask)) return info.number;
    return channel;
}
