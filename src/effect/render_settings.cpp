#include "effect/render_settings.h"

#include "effect/brightness_contrast_effect.h"
#include "params/param.h"

namespace orv {

namespace {

constexpr float kMeasuredScale = 300.0f;  // a slider value 0.85 reaches byte 255
constexpr float kDegreesScale = 180.0f;

constexpr float kFixedToFloat = 1.0f / 65536.0f;

inline float Product(float value, double factor) { return static_cast<float>(static_cast<double>(value) * factor); }

float Fraction(PF_Fixed fixed, int32_t side) {
    return side == 0 ? 0.0f : static_cast<float>(static_cast<double>(fixed) / 65536.0 / static_cast<double>(side));
}

}  // namespace

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

RenderSettings ReadRenderSettings(const PF_ParamDef *const *params, int32_t count, int32_t width, int32_t height) {
    const PF_ParamDef none{};  // what a slot without a record reads as, but for angles
    auto at = [&](int16_t slot) -> const PF_ParamDef & {
        return params && slot < count && params[slot] ? *params[slot] : none;
    };
    auto slider = [&](int16_t slot) { return static_cast<float>(at(slot).u.fd.value) * kFixedToFloat; };
    auto percent = [&](int16_t slot) { return static_cast<float>(at(slot).u.fd.value / kPercentDisplayScale) * kFixedToFloat; };
    auto angle = [&](int16_t slot) {
        const PF_ParamDef &def = at(slot);
        return &def == &none ? 0.0f : static_cast<float>(def.u.ad.value / 65536.0 - static_cast<double>(kAngleOffset));
    };
    auto popup = [&](int16_t slot) { return static_cast<int32_t>((static_cast<uint32_t>(at(slot).u.pd.value) - 1u) & 0xFFu); };

    ChooserInputs inputs{};
    inputs.mode = popup(kSlotChoosePixels);
    inputs.xFraction = Fraction(at(kSlotCenter).u.td.x_value, width);
    inputs.yFraction = Fraction(at(kSlotCenter).u.td.y_value, height);
    inputs.color = at(kSlotColor).u.cd.value;
    inputs.rangeStart = percent(kSlotRangeStart);
    inputs.rangeEnd = percent(kSlotRangeEnd);
    inputs.angleStart = angle(kSlotAngleStart);
    inputs.angleEnd = angle(kSlotAngleEnd);
    inputs.reverse = at(kSlotReverse).u.bd.value != 0;
    inputs.blend = percent(kSlotBlend);
    inputs.stretch = slider(kSlotStretch);
    RenderSettings settings{};
    settings.brightness = slider(kSlotBrightness);
    settings.contrast = slider(kSlotContrast);
    settings.mix = slider(kSlotMix);
    settings.channels = popup(kSlotChannels);
    settings.chooser = MakeChooserSettings(inputs, width, height);
    return settings;
}

}  // namespace orv
