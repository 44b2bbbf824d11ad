#include "render/point_colours.h"

#include <array>
#include <cmath>

namespace {

struct ClassColour {
    uint8_t classNumber;
    uint8_t red, green, blue;
};

// The ASPRS LAS classes; the reserved and user classes above them get colours of their own below.
constexpr ClassColour kClassColours[] = {
    {0, 160, 160, 160},  // created, never classified
    {1, 200, 200, 200},  // unclassified
    {2, 170, 120, 60},   // ground
    {3, 150, 210, 90},   // low vegetation
    {4, 70, 180, 60},    // medium vegetation
    {5, 20, 120, 30},    // high vegetation
    {6, 220, 60, 50},    // building
    {7, 255, 0, 255},    // low point (noise)
    {8, 255, 255, 0},    // model key-point
    {9, 40, 100, 230},   // water
    {10, 130, 70, 150},  // rail
    {11, 90, 90, 90},    // road surface
    {12, 255, 200, 120}, // overlap
    {13, 255, 255, 150}, // wire guard
    {14, 255, 210, 0},   // wire conductor
    {15, 190, 100, 255}, // transmission tower
    {16, 255, 150, 200}, // wire-structure connector
    {17, 150, 150, 220}, // bridge deck
    {18, 255, 0, 120},   // high noise
};

struct ReturnColour {
    uint8_t returnNumber;
    uint8_t red, green, blue;
};

// First returns warm, later ones cooler; 0 (no return number) grey, 8 and above white.
constexpr ReturnColour kReturnColours[] = {
    {0, 128, 128, 128}, {1, 255, 230, 0}, {2, 255, 140, 0}, {3, 230, 40, 40},
    {4, 170, 40, 200},  {5, 60, 80, 230}, {6, 0, 180, 200}, {7, 0, 200, 90},
};

struct RampStop {
    double at;
    uint8_t red, green, blue;
};

// Low ground blue, through green and yellow, to red at the top.
constexpr RampStop kRampStops[] = {
    {0.0, 30, 60, 200}, {0.25, 0, 190, 220}, {0.5, 40, 200, 60}, {0.75, 250, 220, 30}, {1.0, 220, 40, 30},
};

struct ChannelUse {
    uint32_t channel;
    int width; // bytes per point, as the engine's channel table gives them
    ColourKind kind;
    ByteChannel byteChannel;
    uint64_t carriedBit; // the block must carry this channel
};

constexpr ChannelUse kChannelUses[] = {
    {PcvChannelElevation, 4, ColourKind::Ramp, ByteChannel::Classification, 0}, // the fallback of every other
    {PcvChannelIntensity, 2, ColourKind::Grey16, ByteChannel::Classification, 1ull << PcvChannelIntensity},
    {PcvChannelClassification, 1, ColourKind::Lut8, ByteChannel::Classification,
     1ull << PcvChannelClassification},
    {PcvChannelRgb, 3, ColourKind::Rgb, ByteChannel::Classification, 1ull << PcvChannelRgb},
    {PcvChannelReturnNumber, 1, ColourKind::Lut8, ByteChannel::ReturnNumber, 1ull << PcvChannelReturnNumber},
};

const ChannelUse* FindChannelUse(uint32_t channel) {
    for (const ChannelUse& use : kChannelUses)
        if (use.channel == channel) return &use;
    return nullptr;
}

uint32_t HueColour(double hue, double saturation, double value) {
    double h = (hue - std::floor(hue)) * 6.0;
    int sector = static_cast<int>(h) % 6;
    double f = h - std::floor(h);
    double p = value * (1.0 - saturation), q = value * (1.0 - saturation * f),
           t = value * (1.0 - saturation * (1.0 - f));
    double rgb[6][3] = {{value, t, p}, {q, value, p}, {p, value, t},
                        {p, q, value}, {t, p, value}, {value, p, q}};
    return PackColour(static_cast<uint32_t>(rgb[sector][0] * 255.0 + 0.5),
                      static_cast<uint32_t>(rgb[sector][1] * 255.0 + 0.5),
                      static_cast<uint32_t>(rgb[sector][2] * 255.0 + 0.5));
}

std::array<uint32_t, 256> MakeClassificationPalette() {
    std::array<uint32_t, 256> palette;
    // Golden-ratio steps around the hue circle keep neighbouring class numbers apart.
    for (int c = 0; c < 256; ++c) palette[c] = HueColour(c * 0.6180339887, 0.65, 0.95);
    for (const ClassColour& colour : kClassColours)
        palette[colour.classNumber] = PackColour(colour.red, colour.green, colour.blue);
    return palette;
}

std::array<uint32_t, 256> MakeReturnNumberPalette() {
    std::array<uint32_t, 256> palette;
    palette.fill(PackColour(255, 255, 255));
    for (const ReturnColour& colour : kReturnColours)
        palette[colour.returnNumber] = PackColour(colour.red, colour.green, colour.blue);
    return palette;
}

std::array<uint32_t, 256> MakeElevationRamp() {
    std::array<uint32_t, 256> ramp;
    for (int i = 0; i < 256; ++i) {
        double at = i / 255.0;
        int stop = 0;
        while (stop + 2 < static_cast<int>(std::size(kRampStops)) && at > kRampStops[stop + 1].at) ++stop;
        const RampStop& a = kRampStops[stop];
        const RampStop& b = kRampStops[stop + 1];
        double f = (at - a.at) / (b.at - a.at);
        auto mix = [f](uint8_t x, uint8_t y) { return static_cast<uint32_t>(x + (y - x) * f + 0.5); };
        ramp[i] = PackColour(mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue));
    }
    return ramp;
}

BlockColouring RampColouring(double rampLow, double rampHigh) {
    BlockColouring colouring = {};
    colouring.kind = ColourKind::Ramp;
    colouring.rampLow = rampLow;
    double range = rampHigh - rampLow;
    colouring.rampPerUnit = (range > 0.0 && std::isfinite(range)) ? 255.0 / range : 0.0;
    return colouring;
}

BlockColouring GreyColouring(const CloudBlock& block) {
    BlockColouring colouring = {};
    if (!(block.channelMask & (1ull << PcvChannelIntensity))) {
        colouring.kind = ColourKind::Constant;
        return colouring;
    }
    colouring.kind = ColourKind::Grey16;
    double low = block.intensityLow, high = block.intensityHigh;
    // An empty range still separates black (at or below low) from white (above it).
    double scale = high > low ? 255.0 / (high - low) : 1e30;
    colouring.greyScale = static_cast<float>(scale);
    colouring.greyOffset = static_cast<float>(-low * scale);
    return colouring;
}

} // namespace

const uint32_t* ClassificationPalette() {
    static const std::array<uint32_t, 256> palette = MakeClassificationPalette();
    return palette.data();
}

const uint32_t* ReturnNumberPalette() {
    static const std::array<uint32_t, 256> palette = MakeReturnNumberPalette();
    return palette.data();
}

const uint32_t* ElevationRamp() {
    static const std::array<uint32_t, 256> ramp = MakeElevationRamp();
    return ramp.data();
}

BlockColouring ColouringForBlock(const ProjectionImageData& view, const CloudBlock& block, double rampLow,
                                 double rampHigh, int maxChannelWidth) {
    if (!(view.renderingMode & PcvRenderChannel)) return GreyColouring(block);
    const ChannelUse* use = FindChannelUse(view.channel);
    bool usable = use && (use->carriedBit == 0 || (block.channelMask & use->carriedBit)) &&
                  (maxChannelWidth <= 0 || use->width <= maxChannelWidth);
    if (!usable || use->kind == ColourKind::Ramp) return RampColouring(rampLow, rampHigh);
    if (use->kind == ColourKind::Grey16) return GreyColouring(block);
    BlockColouring colouring = {};
    colouring.kind = use->kind;
    colouring.byteChannel = use->byteChannel;
    colouring.palette =
        use->byteChannel == ByteChannel::Classification ? ClassificationPalette() : ReturnNumberPalette();
    colouring.rampLow = rampLow;
    colouring.rampPerUnit = RampColouring(rampLow, rampHigh).rampPerUnit;
    return colouring;
}

PointColouring ColouringForNode(const BlockColouring& colouring, const CloudBlock& block,
                                const NodePoints& points, int32_t referenceZ) {
    PointColouring node = {};
    node.kind = colouring.kind;
    node.constant = kPlainGrey;
    switch (colouring.kind) {
        case ColourKind::Grey16:
            node.grey = points.intensity;
            node.scale = colouring.greyScale;
            node.offset = colouring.greyOffset;
            if (!node.grey) node.kind = ColourKind::Constant;
            return node;
        case ColourKind::Lut8:
            node.table = colouring.palette;
            node.bytes = colouring.byteChannel == ByteChannel::Classification ? points.classification
                                                                              : points.returnNumber;
            if (node.bytes) return node;
            break;
        case ColourKind::Rgb:
            node.rgb = points.rgb;
            if (node.rgb) return node;
            break;
        case ColourKind::Constant:
            return node;
        case ColourKind::Ramp:
            break;
    }
    // The height ramp, also for a node that lacks the attribute its block announced.
    node.kind = ColourKind::Ramp;
    node.table = ElevationRamp();
    double referenceHeight = block.origin[2] + referenceZ * block.scale[2];
    node.scale = static_cast<float>(block.scale[2] * colouring.rampPerUnit);
    node.offset = static_cast<float>((referenceHeight - colouring.rampLow) * colouring.rampPerUnit);
    if (colouring.rampPerUnit == 0.0) node.offset = 127.5f;
    return node;
}
