#include "render/point_drawing.h"

#include <emmintrin.h>

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

constexpr int kBatch = 64;

// Points go in batches: the first pass projects them and asks for their pixels' cache lines, the
// second keeps the nearer samples, by then mostly in cache. The misses of a batch overlap instead of
// following one another.
struct Batch {
    uint64_t* pixel[kBatch];
    uint64_t sample[kBatch];
    int firstColumn[kBatch]; // footprints wider than a pixel: their top left pixel
    int firstRow[kBatch];
    int size;
};

// The projection of one node's points into one eye, with every constant of the loop at hand. Point
// i's offsets less the reference are (fx, fy, fz); the results are exactly the same whether a point
// goes through the single or the four-at-a-time path.
template <ColourKind Kind, bool Perspective, bool Filter, bool Wide> struct NodeProjector {
    const int32_t* offsets;
    const uint8_t* classes;
    const uint8_t* visible;
    PointColouring colouring;
    float a[3][3];
    float c[3];
    int32_t reference[3];
    float keyLow, keyHigh;
    float columnCentre, rowCentre;
    float columnLow, columnHigh, rowLow, rowHigh; // positions that put a pixel into the target
    uint64_t* samples;
    int width;
    int splat;
    int half;
    // The same constants four times over, for Four.
    __m128i reference4[3]; // the references in the order of the three loads' lanes
    __m128 a4[3][3], c4[3];
    __m128 keyLow4, keyHigh4, columnCentre4, rowCentre4, columnLow4, columnHigh4, rowLow4, rowHigh4;

    NodeProjector(const EyeTarget& target, const NodeTransform& x, const NodeDraw& draw) {
        offsets = draw.points->offsets;
        classes = draw.points->classification;
        visible = draw.visibleClasses;
        colouring = draw.colouring;
        std::memcpy(a, x.axis, sizeof a);
        std::memcpy(c, x.constant, sizeof c);
        std::memcpy(reference, x.reference, sizeof reference);
        keyLow = x.keyLow;
        keyHigh = x.keyHigh;
        columnCentre = x.columnCentre;
        rowCentre = x.rowCentre;
        width = target.width;
        splat = draw.splat;
        half = (splat - 1) / 2;
        columnLow = Wide ? static_cast<float>(-splat) : 0.0f;
        columnHigh = static_cast<float>(width + (Wide ? splat : 0));
        rowLow = static_cast<float>(target.rowBegin - (Wide ? splat : 0));
        rowHigh = static_cast<float>(target.rowEnd + (Wide ? splat : 0));
        samples = target.samples;
        reference4[0] = _mm_setr_epi32(reference[0], reference[1], reference[2], reference[0]);
        reference4[1] = _mm_setr_epi32(reference[1], reference[2], reference[0], reference[1]);
        reference4[2] = _mm_setr_epi32(reference[2], reference[0], reference[1], reference[2]);
        for (int k = 0; k < 3; ++k) {
            for (int axis = 0; axis < 3; ++axis) a4[k][axis] = _mm_set1_ps(a[k][axis]);
            c4[k] = _mm_set1_ps(c[k]);
        }
        keyLow4 = _mm_set1_ps(keyLow);
        keyHigh4 = _mm_set1_ps(keyHigh);
        columnCentre4 = _mm_set1_ps(columnCentre);
        rowCentre4 = _mm_set1_ps(rowCentre);
        columnLow4 = _mm_set1_ps(columnLow);
        columnHigh4 = _mm_set1_ps(columnHigh);
        rowLow4 = _mm_set1_ps(rowLow);
        rowHigh4 = _mm_set1_ps(rowHigh);
    }

    // Adds a projected point to the batch.
    void Keep(Batch& batch, uint32_t i, float column, float row, float key, float fz) const {
        int n = batch.size++;
        batch.sample[n] = MakeSample(KeyOf(key), ColourOf<Kind>(colouring, i, fz));
        if constexpr (!Wide) {
            batch.pixel[n] =
                samples + static_cast<size_t>(static_cast<int>(row)) * width + static_cast<int>(column);
            _mm_prefetch(reinterpret_cast<const char*>(batch.pixel[n]), _MM_HINT_T0);
        } else {
            // Shifted by the footprint so that truncation is the floor.
            batch.firstColumn[n] = static_cast<int>(column + splat) - splat - half;
            batch.firstRow[n] = static_cast<int>(row + splat) - splat - half;
        }
    }

    void One(Batch& batch, uint32_t i) const {
        if constexpr (Filter) {
            if (!visible[classes[i]]) return;
        }
        const int32_t* o = offsets + 3 * static_cast<size_t>(i);
        const float fx = Relative(o[0], reference[0]), fy = Relative(o[1], reference[1]),
                    fz = Relative(o[2], reference[2]);
        const float key = a[2][0] * fx + a[2][1] * fy + a[2][2] * fz + c[2];
        if (!(key >= keyLow && key <= keyHigh)) return;
        float u = a[0][0] * fx + a[0][1] * fy + a[0][2] * fz + c[0];
        float v = a[1][0] * fx + a[1][1] * fy + a[1][2] * fz + c[1];
        if constexpr (Perspective) {
            const float inverse = 1.0f / key;
            u *= inverse;
            v *= inverse;
        }
        const float column = columnCentre + u;
        const float row = rowCentre + v;
        if (!(column >= columnLow && column < columnHigh && row >= rowLow && row < rowHigh)) return;
        Keep(batch, i, column, row, key, fz);
    }

    // Points i to i + 3, whose twelve offsets are read as three vectors and sorted into x, y and z.
    void Four(Batch& batch, uint32_t i) const {
        const __m128i* o = reinterpret_cast<const __m128i*>(offsets + 3 * static_cast<size_t>(i));
        const __m128 p = _mm_cvtepi32_ps(_mm_sub_epi32(_mm_loadu_si128(o), reference4[0]));     // x0 y0 z0 x1
        const __m128 q = _mm_cvtepi32_ps(_mm_sub_epi32(_mm_loadu_si128(o + 1), reference4[1])); // y1 z1 x2 y2
        const __m128 r = _mm_cvtepi32_ps(_mm_sub_epi32(_mm_loadu_si128(o + 2), reference4[2])); // z2 x3 y3 z3
        const __m128 fx =
            _mm_shuffle_ps(_mm_shuffle_ps(p, p, _MM_SHUFFLE(0, 0, 3, 0)),
                           _mm_shuffle_ps(q, r, _MM_SHUFFLE(0, 1, 0, 2)), _MM_SHUFFLE(2, 0, 1, 0));
        const __m128 fy =
            _mm_shuffle_ps(_mm_shuffle_ps(p, q, _MM_SHUFFLE(0, 0, 0, 1)),
                           _mm_shuffle_ps(q, r, _MM_SHUFFLE(0, 2, 0, 3)), _MM_SHUFFLE(2, 0, 2, 0));
        const __m128 fz =
            _mm_shuffle_ps(_mm_shuffle_ps(p, q, _MM_SHUFFLE(1, 1, 2, 2)),
                           _mm_shuffle_ps(r, r, _MM_SHUFFLE(3, 3, 0, 0)), _MM_SHUFFLE(2, 0, 2, 0));
        auto row3 = [&](int k) {
            return _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(a4[k][0], fx), _mm_mul_ps(a4[k][1], fy)),
                                         _mm_mul_ps(a4[k][2], fz)),
                              c4[k]);
        };
        const __m128 key = row3(2);
        __m128 u = row3(0), v = row3(1);
        if constexpr (Perspective) {
            const __m128 inverse = _mm_div_ps(_mm_set1_ps(1.0f), key);
            u = _mm_mul_ps(u, inverse);
            v = _mm_mul_ps(v, inverse);
        }
        const __m128 column = _mm_add_ps(columnCentre4, u);
        const __m128 row = _mm_add_ps(rowCentre4, v);
        __m128 inside = _mm_and_ps(_mm_cmpge_ps(key, keyLow4), _mm_cmple_ps(key, keyHigh4));
        inside = _mm_and_ps(inside,
                            _mm_and_ps(_mm_cmpge_ps(column, columnLow4), _mm_cmplt_ps(column, columnHigh4)));
        inside = _mm_and_ps(inside, _mm_and_ps(_mm_cmpge_ps(row, rowLow4), _mm_cmplt_ps(row, rowHigh4)));
        int lanes = _mm_movemask_ps(inside);
        if (lanes == 0) return;
        alignas(16) float columns[4], rows[4], keys[4], zs[4];
        _mm_store_ps(columns, column);
        _mm_store_ps(rows, row);
        _mm_store_ps(keys, key);
        _mm_store_ps(zs, fz);
        for (int lane = 0; lane < 4; ++lane) {
            if (!(lanes & (1 << lane))) continue;
            if constexpr (Filter) {
                if (!visible[classes[i + lane]]) continue;
            }
            Keep(batch, i + lane, columns[lane], rows[lane], keys[lane], zs[lane]);
        }
    }

    // The nearer sample wins: its key is in the high half. No branch on the outcome.
    void Flush(Batch& batch, int rowBegin, int rowEnd) const {
        for (int j = 0; j < batch.size; ++j) {
            const uint64_t sample = batch.sample[j];
            if constexpr (!Wide) {
                const uint64_t old = *batch.pixel[j];
                *batch.pixel[j] = sample < old ? sample : old;
            } else {
                const int c0 = std::max(batch.firstColumn[j], 0),
                          c1 = std::min(batch.firstColumn[j] + splat, width);
                const int r0 = std::max(batch.firstRow[j], rowBegin),
                          r1 = std::min(batch.firstRow[j] + splat, rowEnd);
                for (int rr = r0; rr < r1; ++rr) {
                    uint64_t* line = samples + static_cast<size_t>(rr) * width;
                    for (int cc = c0; cc < c1; ++cc) {
                        const uint64_t old = line[cc];
                        line[cc] = sample < old ? sample : old;
                    }
                }
            }
        }
        batch.size = 0;
    }
};

// One instance per colour kind, projection, class filter and footprint: every test that does not
// change within a node is decided before its loop.
template <ColourKind Kind, bool Perspective, bool Filter, bool Wide>
uint32_t DrawPoints(const EyeTarget& target, const NodeTransform& x, const NodeDraw& draw) {
    const NodeProjector<Kind, Perspective, Filter, Wide> projector(target, x, draw);
    Batch batch;
    batch.size = 0;
    const uint32_t count = draw.count, step = draw.step;
    uint32_t i = 0;
    if (step == 1) {
        while (i + 4 <= count) {
            uint32_t end = std::min(count & ~3u, i + kBatch);
            for (; i < end; i += 4) projector.Four(batch, i);
            projector.Flush(batch, target.rowBegin, target.rowEnd);
        }
    }
    while (i < count) {
        for (int n = 0; n < kBatch && i < count; ++n, i += step) projector.One(batch, i);
        projector.Flush(batch, target.rowBegin, target.rowEnd);
    }
    return (count + step - 1) / step;
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
