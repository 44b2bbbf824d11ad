#include "render/point_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

inline uint32_t KeyOf(float depth) {
    uint32_t bits;
    std::memcpy(&bits, &depth, sizeof bits);
    return bits;
}

// The difference of two offsets as a float; modular, so that malformed offsets cannot overflow.
inline float Relative(int32_t value, int32_t reference) {
    return static_cast<float>(
        static_cast<int32_t>(static_cast<uint32_t>(value) - static_cast<uint32_t>(reference)));
}

// The nearest of 0 to 255.
inline int Clamp255(float value) {
    return static_cast<int>(std::min(std::max(value + 0.5f, 0.0f), 255.0f));
}

template <ColourKind Kind> inline uint32_t ColourOf(const PointColouring& c, uint32_t i, float relativeZ) {
    if constexpr (Kind == ColourKind::Constant) {
        return c.constant;
    } else if constexpr (Kind == ColourKind::Grey16) {
        uint32_t g = static_cast<uint32_t>(Clamp255(c.grey[i] * c.scale + c.offset));
        return g * 0x010101u;
    } else if constexpr (Kind == ColourKind::Ramp) {
        return c.table[Clamp255(relativeZ * c.scale + c.offset)];
    } else if constexpr (Kind == ColourKind::Lut8) {
        return c.table[c.bytes[i]];
    } else {
        const uint8_t* rgb = c.rgb + 3 * static_cast<size_t>(i);
        return PackColour(rgb[0], rgb[1], rgb[2]);
    }
}

// One instance per colour kind, projection, class filter and footprint: every test that does not
// change within a node is decided before its loop.
template <ColourKind Kind, bool Perspective, bool Filter, bool Wide>
uint32_t DrawPoints(const EyeTarget& target, const NodeTransform& x, const NodeDraw& draw) {
    const int32_t* offsets = draw.points->offsets;
    const uint8_t* classes = draw.points->classification;
    const uint8_t* visible = draw.visibleClasses;
    const PointColouring colouring = draw.colouring;
    const float a00 = x.axis[0][0], a01 = x.axis[0][1], a02 = x.axis[0][2], c0 = x.constant[0];
    const float a10 = x.axis[1][0], a11 = x.axis[1][1], a12 = x.axis[1][2], c1 = x.constant[1];
    const float a20 = x.axis[2][0], a21 = x.axis[2][1], a22 = x.axis[2][2], c2 = x.constant[2];
    const int32_t r0 = x.reference[0], r1 = x.reference[1], r2 = x.reference[2];
    const float keyLow = x.keyLow, keyHigh = x.keyHigh;
    const float columnCentre = x.columnCentre, rowCentre = x.rowCentre;
    const int width = target.width;
    const int splat = draw.splat;
    const int half = (splat - 1) / 2;
    // Positions outside these bounds put no pixel into the target.
    const float columnLow = Wide ? static_cast<float>(-splat) : 0.0f;
    const float columnHigh = static_cast<float>(width + (Wide ? splat : 0));
    const float rowLow = static_cast<float>(target.rowBegin - (Wide ? splat : 0));
    const float rowHigh = static_cast<float>(target.rowEnd + (Wide ? splat : 0));
    uint32_t* const colour = target.colour;
    uint32_t* const depth = target.depth;
    const uint32_t count = draw.count, step = draw.step;
    uint32_t looked = 0;
    for (uint32_t i = 0; i < count; i += step) {
        ++looked;
        if constexpr (Filter) {
            if (!visible[classes[i]]) continue;
        }
        const int32_t* o = offsets + 3 * static_cast<size_t>(i);
        const float fx = Relative(o[0], r0), fy = Relative(o[1], r1), fz = Relative(o[2], r2);
        const float key = a20 * fx + a21 * fy + a22 * fz + c2;
        if (!(key >= keyLow && key <= keyHigh)) continue;
        float u = a00 * fx + a01 * fy + a02 * fz + c0;
        float v = a10 * fx + a11 * fy + a12 * fz + c1;
        if constexpr (Perspective) {
            const float inverse = 1.0f / key;
            u *= inverse;
            v *= inverse;
        }
        const float column = columnCentre + u;
        const float row = rowCentre + v;
        if (!(column >= columnLow && column < columnHigh && row >= rowLow && row < rowHigh)) continue;
        const uint32_t depthKey = KeyOf(key);
        if constexpr (!Wide) {
            const size_t at = static_cast<size_t>(static_cast<int>(row)) * width + static_cast<int>(column);
            if (depthKey < depth[at]) {
                depth[at] = depthKey;
                colour[at] = ColourOf<Kind>(colouring, i, fz);
            }
        } else {
            // Shifted by the footprint so that truncation is the floor.
            const int columnFirst = static_cast<int>(column + splat) - splat - half;
            const int rowFirst = static_cast<int>(row + splat) - splat - half;
            const int c0i = std::max(columnFirst, 0), c1i = std::min(columnFirst + splat, width);
            const int r0i = std::max(rowFirst, target.rowBegin),
                      r1i = std::min(rowFirst + splat, target.rowEnd);
            if (c0i >= c1i || r0i >= r1i) continue;
            const uint32_t pixel = ColourOf<Kind>(colouring, i, fz);
            for (int rr = r0i; rr < r1i; ++rr) {
                uint32_t* depthRow = depth + static_cast<size_t>(rr) * width;
                uint32_t* colourRow = colour + static_cast<size_t>(rr) * width;
                for (int cc = c0i; cc < c1i; ++cc) {
                    if (depthKey < depthRow[cc]) {
                        depthRow[cc] = depthKey;
                        colourRow[cc] = pixel;
                    }
                }
            }
        }
    }
    return looked;
}

using DrawFunction = uint32_t (*)(const EyeTarget&, const NodeTransform&, const NodeDraw&);

template <ColourKind Kind>
constexpr DrawFunction kKindFunctions[8] = {
    DrawPoints<Kind, false, false, false>, DrawPoints<Kind, false, false, true>,
    DrawPoints<Kind, false, true, false>,  DrawPoints<Kind, false, true, true>,
    DrawPoints<Kind, true, false, false>,  DrawPoints<Kind, true, false, true>,
    DrawPoints<Kind, true, true, false>,   DrawPoints<Kind, true, true, true>,
};

// Indexed by colour kind, then perspective * 4 + filter * 2 + wide.
constexpr const DrawFunction* kDrawFunctions[kColourKindCount] = {
    kKindFunctions<ColourKind::Constant>, kKindFunctions<ColourKind::Grey16>,
    kKindFunctions<ColourKind::Ramp>,     kKindFunctions<ColourKind::Lut8>,
    kKindFunctions<ColourKind::Rgb>,
};

int32_t OffsetOf(double coordinate, double origin, double scale) {
    double offset = std::round((coordinate - origin) / scale);
    if (!(offset > -2147483648.0)) return INT32_MIN;
    if (!(offset < 2147483647.0)) return INT32_MAX;
    return static_cast<int32_t>(offset);
}

} // namespace

void NodeReference(const CloudBlock& block, const CloudNode& node, int32_t reference[3]) {
    for (int axis = 0; axis < 3; ++axis) {
        double scale = block.scale[axis];
        double centre = 0.5 * (node.minimum[axis] + node.maximum[axis]);
        reference[axis] =
            (scale != 0.0 && std::isfinite(scale)) ? OffsetOf(centre, block.origin[axis], scale) : 0;
    }
}

NodeTransform MakeNodeTransform(const ViewProjection& projection, const EyeProjection& eye,
                                const CloudBlock& block, const CloudNode& node, double depthBias) {
    NodeTransform x = {};
    NodeReference(block, node, x.reference);
    double fromCamera[3];
    for (int axis = 0; axis < 3; ++axis)
        fromCamera[axis] =
            block.origin[axis] + x.reference[axis] * block.scale[axis] - projection.camera[axis];
    const double* rows[3] = {eye.uAxis, eye.vAxis, eye.depthAxis};
    const double constants[3] = {eye.uConstant, 0.0, -depthBias};
    for (int row = 0; row < 3; ++row) {
        double constant = constants[row];
        for (int axis = 0; axis < 3; ++axis) {
            x.axis[row][axis] = static_cast<float>(rows[row][axis] * block.scale[axis]);
            constant += rows[row][axis] * fromCamera[axis];
        }
        x.constant[row] = static_cast<float>(constant);
    }
    x.columnCentre = static_cast<float>(eye.columnCentre);
    x.rowCentre = static_cast<float>(eye.rowCentre);
    double keyLow = projection.nearClip - depthBias;
    x.keyLow = static_cast<float>(keyLow > 0.0 ? keyLow : 0.0);
    x.keyHigh = static_cast<float>(std::min(projection.farClip - depthBias, 3.0e38));
    return x;
}

uint32_t DrawNodePoints(const EyeTarget& target, const NodeTransform& transform, const NodeDraw& draw,
                        bool perspective) {
    if (!draw.points || !draw.points->offsets || draw.count == 0 || draw.step == 0) return 0;
    bool filter = draw.visibleClasses && draw.points->classification;
    int index = (perspective ? 4 : 0) + (filter ? 2 : 0) + (draw.splat > 1 ? 1 : 0);
    return kDrawFunctions[static_cast<int>(draw.colouring.kind)][index](target, transform, draw);
}
