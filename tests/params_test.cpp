// Parameter objects read the host's values in the units the render expects; the catalogue rows the
// effect reads; the effect object's size and slot rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "effect/brightness_contrast_effect.h"
#include "host/host_context.h"
#include "params/catalogue.h"
#include "params/param.h"

namespace {

using namespace orv;

constexpr PF_Fixed Fix(double x) { return static_cast<PF_Fixed>(x * 65536.0); }

// A host's records for one call, with 15 parameter slots the test can fill.
struct FakeCall {
    PF_InData in{};
    PF_OutData out{};
    std::vector<PF_ParamDef> defs = std::vector<PF_ParamDef>(kParamCount);
    std::vector<PF_ParamDef *> params;

    explicit FakeCall(PF_Cmd command, int32_t width = 720, int32_t height = 486, PF_RationalScale ratio = {1, 1}) {
        for (PF_ParamDef &d : defs) {
            std::memset(&d, 0, sizeof d);
            params.push_back(&d);
        }
        params.push_back(nullptr);
        in.width = width;
        in.height = height;
        in.downsample_x = in.downsample_y = ratio;
        in.num_params = kParamCount;
        SetHostContext(command, &in, &out, params.data(), nullptr, nullptr);
    }
};

template <typename T>
T *Slot(Effect &effect, int16_t slot) {
    return static_cast<T *>(effect.GetParam(slot));
}

TEST(Params, SlidersReadBackInCatalogueUnits) {
    struct Case {
        int16_t slot;
        PF_Fixed host;
        float expected;
    };
    const Case cases[] = {
        {kSlotBrightness, Fix(-50.0), -50.0f},
        {kSlotContrast, Fix(99.5), 99.5f},
        {kSlotMix, Fix(100.0), 100.0f},
        {kSlotStretch, Fix(-100.0), -100.0f},
        {kSlotRangeEnd, Fix(50.0), 0.5f},
        {kSlotRangeStart, Fix(125.0), 1.25f},
        {kSlotBlend, Fix(50.0), 0.5f},
        // Percent sliders divide the 16.16 value by 100 as an integer first: the remainder is lost.
        {kSlotRangeEnd, Fix(50.0) + 99, 0.5f},
        {kSlotRangeEnd, Fix(50.0) + 100, 0.5f + 1.0f / 65536.0f},
    };
    for (const Case &c : cases) {
        FakeCall call(PF_Cmd_RENDER);
        call.defs[c.slot].u.fd.value = c.host;
        BrightnessContrastEffect effect;
        EXPECT_EQ(Slot<SliderParam>(effect, c.slot)->GetFloat(), c.expected) << "slot " << c.slot;
    }
}

TEST(Params, AnglesReadBackMinusTheirOffset) {
    const std::pair<PF_Fixed, float> cases[] = {{Fix(90), 0.0f}, {Fix(45), -45.0f}, {Fix(180), 90.0f},
                                                {Fix(-270), -360.0f}, {Fix(90) + 1, 1.0f / 65536.0f}};
    for (auto [host, expected] : cases) {
        FakeCall call(PF_Cmd_RENDER);
        call.defs[kSlotAngleStart].u.ad.value = host;
        BrightnessContrastEffect effect;
        EXPECT_EQ(Slot<AngleParam>(effect, kSlotAngleStart)->GetFloat(), expected);
    }
}

TEST(Params, PopupsCheckboxColourAndPoint) {
    FakeCall call(PF_Cmd_RENDER, 720, 486);
    call.defs[kSlotChannels].u.pd.value = 1;
    call.defs[kSlotChoosePixels].u.pd.value = 14;
    call.defs[kSlotReverse].u.bd.value = 1;
    call.defs[kSlotColor].u.cd.value = PF_Pixel{7, 8, 9, 10};
    call.defs[kSlotCenter].u.td.x_value = Fix(360.0);
    call.defs[kSlotCenter].u.td.y_value = Fix(243.0);
    BrightnessContrastEffect effect;
    EXPECT_EQ(Slot<PopupParam>(effect, kSlotChannels)->GetIndex(), 0);
    EXPECT_EQ(Slot<PopupParam>(effect, kSlotChoosePixels)->GetIndex(), 13);
    EXPECT_TRUE(Slot<CheckboxParam>(effect, kSlotReverse)->GetBool());
    PF_Pixel color;
    Slot<ColorParam>(effect, kSlotColor)->GetColor(&color);
    EXPECT_EQ(std::memcmp(&color, &call.defs[kSlotColor].u.cd.value, 4), 0);
    EXPECT_EQ(Slot<PointParam>(effect, kSlotCenter)->GetXFraction(), 0.5f);
    EXPECT_EQ(Slot<PointParam>(effect, kSlotCenter)->GetYFraction(), 0.5f);
}

TEST(Params, PointFractionsAreOfTheScaledLayer) {
    // A 1440 x 972 layer rendered at 1/2 is 720 x 486: the point is in pixels of that frame.
    FakeCall call(PF_Cmd_RENDER, 1440, 972, {1, 2});
    call.defs[kSlotCenter].u.td.x_value = Fix(180.0);
    call.defs[kSlotCenter].u.td.y_value = Fix(486.0);
    BrightnessContrastEffect effect;
    EXPECT_EQ(effect.Width(), 720);
    EXPECT_EQ(Slot<PointParam>(effect, kSlotCenter)->GetXFraction(), 0.25f);
    EXPECT_EQ(Slot<PointParam>(effect, kSlotCenter)->GetYFraction(), 1.0f);
}

TEST(Params, SettersMarkTheValueChanged) {
    FakeCall call(PF_Cmd_RENDER);
    BrightnessContrastEffect effect;
    Slot<SliderParam>(effect, kSlotBrightness)->SetFixed(Fix(12));
    Slot<CheckboxParam>(effect, kSlotReverse)->SetTrue();
    Slot<PointParam>(effect, kSlotCenter)->SetPoint(3, 4);
    EXPECT_EQ(call.defs[kSlotBrightness].u.fd.value, Fix(12));
    EXPECT_EQ(call.defs[kSlotReverse].u.bd.value, 1);
    EXPECT_EQ(call.defs[kSlotCenter].u.td.y_value, 4);
    for (int16_t s : {kSlotBrightness, kSlotReverse, kSlotCenter})
        EXPECT_EQ(call.defs[s].uu.change_flags, PF_ChangeFlag_CHANGED_VALUE);
}

TEST(Params, SlotsBeyondTheHostArrayReadAsZero) {
    FakeCall call(PF_Cmd_RENDER);
    call.defs[kSlotStretch].u.fd.value = Fix(10);
    call.in.num_params = kSlotStretch;  // the host's array stops before Stretch
    BrightnessContrastEffect effect;
    EXPECT_EQ(Slot<SliderParam>(effect, kSlotStretch)->GetFloat(), 0.0f);
}

TEST(Catalogue, RowsTheEffectReads) {
    EXPECT_EQ(kCatalogueRows, 146);
    const CatalogueEntry &color = CatalogueRow(kIdColor);
    EXPECT_EQ(color.kind, kKindColor);
    EXPECT_EQ(color.color.alpha + color.color.red + color.color.green + color.color.blue, 0);
    EXPECT_EQ(CatalogueRow(kIdAngleEnd).dephault, 90.0f);
    EXPECT_EQ(CatalogueRow(kIdMix).dephault, 0.0f);
    EXPECT_EQ(CatalogueRow(kIdMix).reference, 100.0f);
    EXPECT_EQ(CatalogueRow(kIdRangeStart).maximum, 1.25f);
    EXPECT_EQ(CatalogueRow(58).color.red, 60);
    EXPECT_EQ(CatalogueRow(18).reference, 0.0f);
    EXPECT_EQ(CatalogueRow(18).dephault, 1.0f);

    FakeCall call(PF_Cmd_PARAMS_SETUP);
    BrightnessContrastEffect effect;
    int32_t lo = -1, hi = -1;
    effect.GetParam(kSlotRangeStart)->GetRangeInt(&lo, &hi, kIdRangeStart);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 1);  // 1.25 truncated
    ParamValue value;
    effect.GetParam(kSlotColor)->GetDefault(&value, kIdColor);
    EXPECT_EQ(value.value.color.alpha, 0);
    EXPECT_EQ(value.extra, 0);
}

TEST(Effect, SizeIsScaledForRenderTimeCommandsOnly) {
    struct Case {
        PF_Cmd command;
        int32_t width, height;
    };
    const Case cases[] = {{PF_Cmd_RENDER, 360, 243},       {PF_Cmd_FRAME_SETUP, 360, 243},
                          {PF_Cmd_SEQUENCE_SETUP, 360, 243}, {PF_Cmd_SEQUENCE_RESETUP, 360, 243},
                          {PF_Cmd_PARAMS_SETUP, 720, 486},   {PF_Cmd_ABOUT, 720, 486}};
    for (const Case &c : cases) {
        FakeCall call(c.command, 720, 486, {1, 2});
        BrightnessContrastEffect effect;
        EXPECT_EQ(effect.Width(), c.width) << c.command;
        EXPECT_EQ(effect.Height(), c.height) << c.command;
    }
}

TEST(Effect, ScaledLayerSizeTruncatesInExtendedPrecision) {
    struct Case {
        int32_t size;
        PF_RationalScale ratio;
        int32_t expected;
    };
    const Case cases[] = {
        {720, {1, 2}, 360}, {486, {1, 2}, 243}, {100, {1, 3}, 33}, {99, {1, 3}, 33},
        {21, {5, 7}, 14},  // 15 in double precision; the ratio is formed first
        {1920, {1, 1}, 1920}, {1920, {0, 1}, 0}, {-9, {1, 2}, -4},
        {7, {1, 0}, 7},  // a zero denominator counts as full size
        {2000000000, {3, 1}, INT32_MAX},
    };
    for (const Case &c : cases) EXPECT_EQ(ScaleByRatio(c.size, c.ratio), c.expected) << c.size;
}

TEST(Effect, SlotRulesAndQuality) {
    FakeCall call(PF_Cmd_RENDER);
    BrightnessContrastEffect effect;
    EXPECT_EQ(effect.GetParam(15), nullptr);
    EXPECT_EQ(effect.GetParam(100), nullptr);
    Param *first = effect.GetParam(0);  // builds every slot
    ASSERT_NE(first, nullptr);
    for (int16_t s = 0; s < kParamCount; ++s) EXPECT_NE(effect.GetParam(s), nullptr) << s;
    Param *brightness = effect.GetParam(kSlotBrightness);
    EXPECT_EQ(effect.EnsureParams(), 0);
    EXPECT_EQ(effect.GetParam(kSlotBrightness), brightness);  // built once
    EXPECT_EQ(effect.SetParam(15, nullptr), kSlotRefused);

    call.in.quality = PF_Quality_LO;
    EXPECT_EQ(effect.GetQualityFactor(), 1);
    call.in.quality = PF_Quality_HI;
    EXPECT_EQ(effect.GetQualityFactor(), 2);
}

TEST(Effect, DefaultFlagsWordCollapsesFromMixOnward) {
    FakeCall call(PF_Cmd_PARAMS_SETUP);
    BrightnessContrastEffect effect;
    for (int16_t s = 0; s < kParamCount; ++s)
        EXPECT_EQ(effect.GetParam(s)->Definition().flags, s < kSlotMix ? 0 : 32) << s;
    EXPECT_EQ(DefaultParamFlags(), 32);
}

}  // namespace
