// Channels and class masks as the engine document states them: which numbers are channels, their
// widths, which use groups, how a mask names its channel, and how two class masks combine.
#include "channels.h"
#include "class_mask.h"

#include <gtest/gtest.h>

namespace {

struct ChannelRow {
    uint32_t number;
    int width;
    bool groups;
};

// The table of the engine document.
const ChannelRow kChannels[] = {{0, 4, false}, {1, 2, false}, {5, 1, true}, {7, 3, false}, {28, 1, false}};

TEST(Channels, TheDocumentedChannelsAndNoOthers) {
    for (uint32_t number = 0; number < 64; ++number) {
        SCOPED_TRACE(number);
        const ChannelRow* row = nullptr;
        for (const ChannelRow& r : kChannels)
            if (r.number == number) row = &r;
        const ChannelInfo* info = ChannelFind(number);
        ASSERT_EQ(info != nullptr, row != nullptr);
        EXPECT_EQ(ChannelWidthOfMask(1ull << number), row ? row->width : 0);
        if (!row) continue;
        EXPECT_EQ(info->width, row->width);
        EXPECT_EQ(info->usesGroups, row->groups);
    }
}

TEST(Channels, AMaskNamesItsLowestChannel) {
    const struct {
        uint64_t mask;
        bool found;
        uint32_t count, lowest;
    } cases[] = {
        {1, true, 1, 0},          // a fresh project: the elevation ramp
        {1u << 5, true, 1, 5},    // a session's classification view
        {1u << 28, true, 1, 28},  // return numbers
        {0x100000A2, true, 4, 1}, // the plug-in's conversion mask: 1, 5, 7, 28
        {0, false, 0, 0},         // nothing
        {1u << 8, false, 0, 0},   // 8 names the statistics files, no channel
        {0x6, true, 1, 1},        // 1 and 2: only 1 is a channel
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        uint32_t count = 99, lowest = 99;
        EXPECT_EQ(ChannelsOfMask(c.mask, &count, &lowest), c.found);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(lowest, c.lowest);
    }
}

ClassificationMask256 Mask(uint32_t active, std::initializer_list<int> hidden) {
    ClassificationMask256 mask = ClassMaskAll();
    mask.active = active;
    for (int c : hidden) mask.classes[c / 32] &= ~(1u << (c % 32));
    return mask;
}

TEST(ClassMask, BothMasksMustShowAClass) {
    ClassificationMask256 noGround = Mask(1, {2});
    ClassificationMask256 noBuildings = Mask(1, {6, 255});
    ClassificationMask256 inactiveHidingAll = Mask(0, {0, 1, 2, 3, 4, 5, 6});
    ClassificationMask256 both = ClassMaskCombine(&noGround, &noBuildings);
    EXPECT_EQ(both.active, 1u);
    for (int c : {2, 6, 255}) EXPECT_FALSE(ClassMaskShows(both, c)) << c;
    for (int c : {0, 1, 3, 5, 7, 254}) EXPECT_TRUE(ClassMaskShows(both, c)) << c;
    EXPECT_EQ(ClassMaskCount(both), 253);
    // An inactive mask shows every class whatever its bits say; nothing hidden gives an inactive mask.
    ClassificationMask256 all = ClassMaskCombine(&inactiveHidingAll, nullptr);
    EXPECT_EQ(all.active, 0u);
    EXPECT_EQ(ClassMaskCount(all), 256);
    ClassificationMask256 pluginReset = Mask(1, {});
    EXPECT_EQ(ClassMaskCombine(&pluginReset, &inactiveHidingAll).active, 0u);
    EXPECT_FALSE(ClassMaskShows(both, 256));
    EXPECT_FALSE(ClassMaskShows(both, -1));
}

} // namespace
