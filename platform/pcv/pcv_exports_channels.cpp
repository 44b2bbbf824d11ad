// pcv.dll's channels and class visibility.
#include "channels.h"
#include "class_mask.h"
#include "engine_state.h"

#include "pcv.h"

extern "C" {

PCV_API int pcvGetChannelWidth(unsigned int channelMask) {
    return ChannelWidthOfMask(channelMask);
}

PCV_API bool pcvGetChannelFromChannelMask(unsigned int* first, unsigned int* second,
                                          unsigned int channelMask) {
    uint32_t count = 0, lowest = 0;
    bool found = ChannelsOfMask(channelMask, &count, &lowest);
    if (first) *first = count;
    if (second) *second = lowest;
    return found;
}

PCV_API bool pcvChannelUsesGroups(unsigned int channel) {
    const ChannelInfo* info = ChannelFind(channel);
    return info && info->usesGroups;
}

PCV_API int pcvSetFlagsWithClassification(const ClassificationMask256* visibleClasses,
                                          const ClassificationMask256* sessionClasses, bool) {
    EngineState& engine = Engine();
    engine.visibleClasses = visibleClasses ? *visibleClasses : ClassMaskAll();
    engine.sessionClasses = sessionClasses ? *sessionClasses : ClassMaskAll();
    engine.shownClasses = ClassMaskCombine(&engine.visibleClasses, &engine.sessionClasses);
    return ClassMaskCount(engine.shownClasses);
}

} // extern "C"
