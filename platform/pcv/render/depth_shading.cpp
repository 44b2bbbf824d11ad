#include "render/depth_shading.h"

#include "render/point_drawing.h"

#include <emmintrin.h>

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

constexpr int kNeighbours = 8;
// Mean slope that, at strength 1, darkens a pixel to about exp(-1).
constexpr float kShadingGain = 2.0f;
constexpr float kSixth = 1.0f / 6.0f;

inline float KeyDepth(uint64_t sample) {
    uint32_t key = SampleKey(sample);
    float value;
    std::memcpy(&value, &key, sizeof value);
    return value; // the empty key is a NaN, so it never stands in front
}

// About exp(-t): 1 / (1 + t + t^2 / 2 + t^3 / 6), cheap and the same in both paths below.
inline float Brightness(float t) {
    return 1.0f / (1.0f + t * (1.0f + t * (0.5f + t * kSixth)));
}

inline uint32_t Darken(uint32_t pixel, float brightness) {
    uint32_t blue = static_cast<uint32_t>(static_cast<float>(pixel & 0xFF) * brightness);
    uint32_t green = static_cast<uint32_t>(static_cast<float>((pixel >> 8) & 0xFF) * brightness);
    uint32_t red = static_cast<uint32_t>(static_cast<float>((pixel >> 16) & 0xFF) * brightness);
    return (red << 16) | (green << 8) | blue;
}

// The keys (high halves) and colours (low halves) of four samples, two in each register.
inline __m128 KeysOf(__m128i first, __m128i second) {
    return _mm_shuffle_ps(_mm_castsi128_ps(first), _mm_castsi128_ps(second), _MM_SHUFFLE(3, 1, 3, 1));
}
// The low halves hold the colours inverted (see point_drawing.h).
inline __m128i ColoursOf(__m128i first, __m128i second) {
    __m128i low = _mm_castps_si128(
        _mm_shuffle_ps(_mm_castsi128_ps(first), _mm_castsi128_ps(second), _MM_SHUFFLE(2, 0, 2, 0)));
    return _mm_andnot_si128(low, _mm_set1_epi32(0xFFFFFF));
}
inline __m128i Load2(const uint64_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

struct RowShader {
    const uint64_t* samples;
    uint32_t* image;
    int width;
    int height;
    int dx[kNeighbours];
    int dy[kNeighbours];
    ptrdiff_t offset[kNeighbours];
    bool perspective;
    float slopeFactor; // turns the summed depth steps into the mean slope times strength and gain

    uint32_t Shade(uint32_t colour, float front, float sum) const {
        if (!(sum > 0.0f)) return colour;
        float t = sum * slopeFactor;
        if (perspective) t /= front;
        return Darken(colour, Brightness(t));
    }

    // Pixels some of whose neighbours may lie outside the image.
    void Border(int row, int columnBegin, int columnEnd) const {
        for (int column = columnBegin; column < columnEnd; ++column) {
            size_t at = static_cast<size_t>(row) * width + column;
            uint64_t sample = samples[at];
            float front = KeyDepth(sample);
            float sum = 0.0f;
            for (int i = 0; i < kNeighbours; ++i) {
                int x = column + dx[i], y = row + dy[i];
                if (x < 0 || x >= width || y < 0 || y >= height) continue;
                float step = front - KeyDepth(samples[at + offset[i]]);
                sum += step > 0.0f ? step : 0.0f;
            }
            image[at] = Shade(SampleColour(sample), front, sum);
        }
    }

    // Four pixels at a time, every neighbour inside the image; returns the first column not done.
    int Inner(int row, int columnBegin, int columnEnd) const {
        const __m128 zero = _mm_setzero_ps();
        const __m128 one = _mm_set1_ps(1.0f), half = _mm_set1_ps(0.5f), sixth = _mm_set1_ps(kSixth);
        const __m128 factor = _mm_set1_ps(slopeFactor);
        const __m128i empty = _mm_set1_epi32(-1), byte = _mm_set1_epi32(0xFF);
        int column = columnBegin;
        for (; column + 4 <= columnEnd; column += 4) {
            size_t at = static_cast<size_t>(row) * width + column;
            const uint64_t* centre = samples + at;
            __m128i first = Load2(centre), second = Load2(centre + 2);
            __m128 front = KeysOf(first, second);
            __m128i colours = ColoursOf(first, second);
            __m128i* out = reinterpret_cast<__m128i*>(image + at);
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_castps_si128(front), empty)) == 0xFFFF) {
                _mm_storeu_si128(out, colours);
                continue;
            }
            __m128 sum = zero;
            for (int i = 0; i < kNeighbours; ++i) {
                const uint64_t* neighbour = centre + offset[i];
                __m128 keys = KeysOf(Load2(neighbour), Load2(neighbour + 2));
                // maxps gives its second operand when either is a NaN: empty pixels add nothing.
                sum = _mm_add_ps(sum, _mm_max_ps(_mm_sub_ps(front, keys), zero));
            }
            if (_mm_movemask_ps(_mm_cmpgt_ps(sum, zero)) == 0) {
                _mm_storeu_si128(out, colours);
                continue;
            }
            __m128 t = _mm_mul_ps(sum, factor);
            if (perspective) t = _mm_and_ps(_mm_div_ps(t, front), _mm_cmpord_ps(front, front));
            __m128 polynomial = _mm_add_ps(
                one, _mm_mul_ps(t, _mm_add_ps(one, _mm_mul_ps(t, _mm_add_ps(half, _mm_mul_ps(t, sixth))))));
            __m128 brightness = _mm_div_ps(one, polynomial);
            __m128i blue = _mm_and_si128(colours, byte);
            __m128i green = _mm_and_si128(_mm_srli_epi32(colours, 8), byte);
            __m128i red = _mm_and_si128(_mm_srli_epi32(colours, 16), byte);
            blue = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(blue), brightness));
            green = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(green), brightness));
            red = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(red), brightness));
            __m128i pixels =
                _mm_or_si128(_mm_or_si128(_mm_slli_epi32(red, 16), _mm_slli_epi32(green, 8)), blue);
            _mm_storeu_si128(out, pixels);
        }
        return column;
    }
};

} // namespace

void ShadeRows(const uint64_t* samples, uint32_t* image, int width, int height, int rowBegin, int rowEnd,
               const ShadingParameters& parameters) {
    if (!(parameters.strength > 0.0f)) {
        CopyRows(samples, image, width, rowBegin, rowEnd);
        return;
    }
    int radius = parameters.radius < 1 ? 1 : parameters.radius;
    if (radius > kLargestShadingRadius) radius = kLargestShadingRadius;
    float strength = parameters.strength > 4.0f ? 4.0f : parameters.strength;
    int diagonal = static_cast<int>(std::lround(radius / std::sqrt(2.0)));
    if (diagonal < 1) diagonal = 1;
    RowShader shader;
    shader.samples = samples;
    shader.image = image;
    shader.width = width;
    shader.height = height;
    const int dx[kNeighbours] = {radius, -radius, 0, 0, diagonal, -diagonal, diagonal, -diagonal};
    const int dy[kNeighbours] = {0, 0, radius, -radius, diagonal, diagonal, -diagonal, -diagonal};
    for (int i = 0; i < kNeighbours; ++i) {
        shader.dx[i] = dx[i];
        shader.dy[i] = dy[i];
        shader.offset[i] = static_cast<ptrdiff_t>(dy[i]) * width + dx[i];
    }
    shader.perspective = parameters.perspective;
    // Mean slope = sum of steps * pixelScale / (radius * neighbours), divided by depth in perspective.
    shader.slopeFactor = strength * kShadingGain * parameters.pixelScale / (radius * kNeighbours);
    for (int row = rowBegin; row < rowEnd; ++row) {
        if (row < radius || row >= height - radius || width <= 2 * radius) {
            shader.Border(row, 0, width);
            continue;
        }
        shader.Border(row, 0, radius);
        int done = shader.Inner(row, radius, width - radius);
        shader.Border(row, done, width);
    }
}

void CopyRows(const uint64_t* samples, uint32_t* image, int width, int rowBegin, int rowEnd) {
    size_t begin = static_cast<size_t>(rowBegin) * width, end = static_cast<size_t>(rowEnd) * width;
    size_t i = begin;
    for (; i + 4 <= end; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(image + i),
                         ColoursOf(Load2(samples + i), Load2(samples + i + 2)));
    for (; i < end; ++i) image[i] = SampleColour(samples[i]);
}
