#include "render/brightness_contrast_table.h"

#include <cstring>

namespace orv {

namespace {

constexpr float kOneHundred = 100.0f;
constexpr float kGainOffset = 101.0f;
constexpr float kPivot = 128.0f;
constexpr float kUpperPivot = 127.0f;
constexpr float kHalf = 0.5f;
constexpr float kTop = 255.0f;

// Exact bit comparison: a contrast a hair below 100 must still take the (steep) slope path.
bool IsFullContrast(float contrast) {
    uint32_t bits, full;
    std::memcpy(&bits, &contrast, sizeof bits);
    std::memcpy(&full, &kOneHundred, sizeof full);
    return bits == full;
}

}  // namespace

void StoreClampedByte(float value, uint8_t *destination) {
    const float t = static_cast<float>(static_cast<double>(value) + static_cast<double>(kHalf));
    if (!(t > 0.0f))
        *destination = 0;
    else if (t >= kTop)
        *destination = 255;
    else
        *destination = static_cast<uint8_t>(t);
}

void FillBrightnessContrastTable(float brightness, float contrast, uint8_t table[256]) {
    if (IsFullContrast(contrast)) {
        for (int i = 0; i < 256; ++i) table[i] = i < 128 ? 0 : 255;
        return;
    }
    const double b = brightness;
    const double c = contrast;
    const double gain = static_cast<float>((kGainOffset + b) / (kGainOffset - b));
    const double slope = contrast > 0.0f ? static_cast<float>(kOneHundred / (kOneHundred - c))
                                         : static_cast<float>((c + kOneHundred) / kOneHundred);
    for (int i = 0; i < 128; ++i) {
        const float low = static_cast<float>((kPivot - (kPivot - i) * slope) * gain);
        const float high = static_cast<float>(((kUpperPivot - i) * slope + kPivot) * gain);
        StoreClampedByte(low, &table[i]);
        StoreClampedByte(high, &table[255 - i]);
    }
}

}  // namespace orv
