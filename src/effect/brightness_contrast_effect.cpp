#include "effect/brightness_contrast_effect.h"

#include "effect/render_settings.h"
#include "host/host_context.h"
#include "params/catalogue.h"
#include "params/param.h"
#include "render/render_driver.h"
#include "resources/plugin_info.h"
#include "support/memory.h"
#include "support/strings.h"

namespace orv {

namespace {

const char kChannelChoices[] = "RGB|Red|Green|Blue|Red and Green|Red and Blue|Green and Blue|Difference|Alpha";
// The blanks after "Green", "Alpha" and "Hue" belong to the registered texts.
const char kChooserChoices[] =
    "All|Luma|Red|Green |Blue|Alpha |Saturation|Hue |Lightness|RGB Diff|Point|Rectangle|Edge|Angle";

// Stores a new parameter object; one the slot array cannot take is destroyed again.
template <typename T, typename... Args>
int32_t Make(Effect &effect, int16_t slot, Args &&...args) {
    T *param = Create<T>(static_cast<int32_t>(slot), std::forward<Args>(args)...);
    int32_t status = effect.SetParam(slot, param);
    if (status != 0) Destroy(param);
    return status;
}

}  // namespace

int32_t BrightnessContrastEffect::GetAboutText(char *buffer) {
    Host().in_data->utils->ansi.sprintf(buffer, "%s, v%d.%d\r", ORV_EFFECT_NAME, ORV_VERSION_MAJOR,
                                        ORV_VERSION_MINOR);
    return 0;
}

uint32_t BrightnessContrastEffect::GetVersion() { return ORV_VERSION_WORD; }

int32_t BrightnessContrastEffect::GetOutFlags() { return ORV_EFFECT_OUTFLAGS; }

int32_t BrightnessContrastEffect::GetOutFlags2() { return ORV_GLOBAL_OUTFLAGS2; }

int16_t BrightnessContrastEffect::GetParamCount() { return kParamCount; }

int32_t BrightnessContrastEffect::CreateParams() {
    // Parameters from "Mix with Original" on are made with the collapsed-twirly flag.
    DefaultParamFlags() = 0;
    int32_t status = Make<LayerParam>(*this, kSlotInput);
    status = Make<SliderParam>(*this, kSlotBrightness, "Brightness", kIdBrightness);
    status = Make<SliderParam>(*this, kSlotContrast, "Contrast", kIdContrast);
    status = Make<PopupParam>(*this, kSlotChannels, "Channels", kChannelChoices, 0, 9);
    DefaultParamFlags() |= PF_ParamFlag_COLLAPSE_TWIRLY;
    status = Make<SliderParam>(*this, kSlotMix, "Mix with Original", kIdMix);
    status = Make<PopupParam>(*this, kSlotChoosePixels, "Choose Pixels by", kChooserChoices, 0, 14);
    status = Make<PointParam>(*this, kSlotCenter, "Center", kIdCenterX, kIdCenterY, 1);
    status = Make<ColorParam>(*this, kSlotColor, "Color", kIdColor);
    status = Make<PercentSliderParam>(*this, kSlotRangeStart, "Range Start", kIdRangeStart);
    status = Make<PercentSliderParam>(*this, kSlotRangeEnd, "Range End", kIdRangeEnd);
    status = Make<AngleParam>(*this, kSlotAngleStart, "Angle Start", kIdAngleStart, kAngleOffset);
    status = Make<AngleParam>(*this, kSlotAngleEnd, "Angle End", kIdAngleEnd, kAngleOffset);
    status = Make<CheckboxParam>(*this, kSlotReverse, 0, "", "Reverse Range", 0);
    status = Make<PercentSliderParam>(*this, kSlotBlend, "Blend", kIdBlend);
    status = Make<SliderParam>(*this, kSlotStretch, "Stretch", kIdStretch);
    return status;
}

bool BrightnessContrastEffect::ReadSettings(RenderSettings *settings) {
    (void)EnsureParams();
    for (int16_t slot = kSlotBrightness; slot < kParamCount; ++slot)
        if (!GetParam(slot)) return false;
    auto slider = [this](int16_t slot) { return static_cast<SliderParam *>(GetParam(slot))->GetFloat(); };
    auto angle = [this](int16_t slot) { return static_cast<AngleParam *>(GetParam(slot))->GetFloat(); };
    auto popup = [this](int16_t slot) { return LowByte(static_cast<PopupParam *>(GetParam(slot))->GetIndex()); };

    ChooserInputs inputs{};
    inputs.mode = popup(kSlotChoosePixels);
    inputs.blend = slider(kSlotBlend);
    static_cast<ColorParam *>(GetParam(kSlotColor))->GetColor(&inputs.color);
    inputs.stretch = slider(kSlotStretch);
    inputs.reverse = static_cast<CheckboxParam *>(GetParam(kSlotReverse))->GetBool();
    PointParam *center = static_cast<PointParam *>(GetParam(kSlotCenter));
    inputs.xFraction = center->GetXFraction();
    inputs.yFraction = center->GetYFraction();
    inputs.rangeStart = slider(kSlotRangeStart);
    inputs.rangeEnd = slider(kSlotRangeEnd);
    inputs.angleStart = angle(kSlotAngleStart);
    inputs.angleEnd = angle(kSlotAngleEnd);
    settings->chooser = MakeChooserSettings(inputs, Width(), Height());
    settings->mix = slider(kSlotMix);
    settings->brightness = slider(kSlotBrightness);
    settings->contrast = slider(kSlotContrast);
    settings->channels = popup(kSlotChannels);
    return true;
}

// A parameter object that could not be made (its allocation failed) means the frame cannot be
// rendered as set. A failure is reported here, once, and the output stays cleared.
int32_t BrightnessContrastEffect::Render(WorldImage &source, WorldImage &destination) {
    RenderSettings s{};
    if (!ReadSettings(&s) ||
        !RenderBrightnessContrast(source, destination, s.chooser, s.mix, s.brightness, s.contrast, s.channels, 0))
        ReportError(ORV_MESSAGE_MEMORY);
    return 0;
}

}  // namespace orv
