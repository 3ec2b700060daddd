// The one effect of this module: brightness and contrast through one lookup table, restricted by
// channel choice, pixel chooser and a mix with the original.
#ifndef ORV_EFFECT_BRIGHTNESS_CONTRAST_EFFECT_H
#define ORV_EFFECT_BRIGHTNESS_CONTRAST_EFFECT_H

#include "effect/effect.h"
#include "effect/render_settings.h"

namespace orv {

// Slots of the effect's parameters (slot 0 is the host's input layer).
enum ParamSlot : int16_t {
    kSlotInput = 0,
    kSlotBrightness,
    kSlotContrast,
    kSlotChannels,
    kSlotMix,
    kSlotChoosePixels,
    kSlotCenter,
    kSlotColor,
    kSlotRangeStart,
    kSlotRangeEnd,
    kSlotAngleStart,
    kSlotAngleEnd,
    kSlotReverse,
    kSlotBlend,
    kSlotStretch,
    kParamCount
};

// Angles are registered and held 90 degrees above the angle the render works with.
constexpr float kAngleOffset = 90.0f;

class BrightnessContrastEffect : public Effect {
public:
    int32_t GetAboutText(char *buffer) override;
    uint32_t GetVersion() override;
    int32_t GetOutFlags() override;
    int32_t GetOutFlags2() override;
    int16_t GetParamCount() override;
    int32_t CreateParams() override;
    int32_t Render(WorldImage &source, WorldImage &destination) override;

    // Reads every parameter of the recorded call through its getter into what the render works with,
    // for the effect's frame; false when a parameter object could not be made. The render's one
    // reading, also used by tools that must choose exactly what a render chooses.
    bool ReadSettings(RenderSettings *settings);
};

}  // namespace orv

#endif
