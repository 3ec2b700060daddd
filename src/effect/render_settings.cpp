#include "effect/render_settings.h"


namespace orv {

namespace {

constexpr float kMeasuredScale = 300.0f;  // a slider value 0.85 reaches byte 255
constexpr float kDegreesScale = 180.0f;

inline float Product(float value, double factor) { return static_cast<float>(static_cast<double>(value) * factor); }

}  // namespace

int32_t LowByte(int32_t index) { return static_cast<int32_t>(static_cast<uint32_t>(index) & 0xFFu); }

ChooserSettings MakeChooserSettings(const ChooserInputs &inputs, int32_t frameWidth, int32_t frameHeight) {
    ChooserSettings settings{};
    settings.centerY = Product(inputs.yFraction, frameHeight);
    settings.centerX = Product(inputs.xFraction, frameWidth);
    settings.mode = inputs.mode;
    settings.color = inputs.color;
    settings.reverse = inputs.reverse ? 1 : 0;
    settings.stretch = inputs.stretch;
    switch (inputs.mode) {
        case kChooseLuma:
        case kChooseRed:
        case kChooseGreen:
        case kChooseBlue:
        case kChooseAlpha:
        case kChooseSaturation:
        case kChooseLightness:
        case kChooseRgbDiff:
            settings.rangeStart = Product(inputs.rangeStart, kMeasuredScale);
            settings.rangeEnd = Product(inputs.rangeEnd, kMeasuredScale);
            settings.blend = Product(inputs.blend, kMeasuredScale);
            break;
        case kChooseHue:
        case kChooseAngle:
            settings.rangeStart = inputs.angleStart;
            settings.rangeEnd = inputs.angleEnd;
            settings.blend = Product(inputs.blend, kDegreesScale);
            break;
        case kChoosePoint:
        case kChooseRectangle:
        case kChooseEdge:
            // The frame width scales all three, so a setting covers the same part of the picture at
            // every resolution.
            settings.rangeStart = Product(inputs.rangeStart, frameWidth);
            settings.rangeEnd = Product(inputs.rangeEnd, frameWidth);
            settings.blend = Product(inputs.blend, frameWidth);
            break;
        default:
            settings.rangeStart = 0.0f;
            settings.rangeEnd = 0.0f;
            settings.blend = inputs.blend;
            break;
    }
    return settings;
}

}  // namespace orv
