// Parameter objects read the host's values in the units the render expects, where the rounding rule
// is finer than a render's bytes show; the effect's scaled size.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "effect/brightness_contrast_effect.h"
#include "host/host_context.h"
#include "params/param.h"

namespace {

using namespace orv;

constexpr PF_Fixed Fix(double x) { return static_cast<PF_Fixed>(x * 65536.0); }

// A host's records for one render call, with 15 parameter slots the test fills.
struct FakeCall {
    PF_InData in{};
    PF_OutData out{};
    std::vector<PF_ParamDef> defs = std::vector<PF_ParamDef>(kParamCount);
    std::vector<PF_ParamDef *> params;

    explicit FakeCall(int32_t width = 720, int32_t height = 486, PF_RationalScale ratio = {1, 1}) {
        std::memset(defs.data(), 0, defs.size() * sizeof(PF_ParamDef));
        for (PF_ParamDef &d : defs) params.push_back(&d);
        params.push_back(nullptr);
        in.width = width, in.height = height, in.downsample_x = in.downsample_y = ratio, in.num_params = kParamCount;
        SetHostContext(PF_Cmd_RENDER, &in, &out, params.data(), nullptr, nullptr);
    }
};

TEST(Params, ValuesReadBackInTheRendersUnits) {
    const struct {
        int16_t slot;
        PF_Fixed host;
        float expected;
    } sliders[] = {
        {kSlotBrightness, Fix(-50.0), -50.0f}, {kSlotContrast, Fix(99.5), 99.5f}, {kSlotStretch, Fix(-100.0), -100.0f},
        {kSlotRangeStart, Fix(125.0), 1.25f},  {kSlotBlend, Fix(50.0), 0.5f},
        // Percent sliders divide the 16.16 value by 100 as an integer first: the remainder is lost.
        {kSlotRangeEnd, Fix(50.0) + 99, 0.5f}, {kSlotRangeEnd, Fix(50.0) + 100, 0.5f + 1.0f / 65536.0f},
        {kSlotAngleStart, Fix(45), -45.0f},    {kSlotAngleStart, Fix(90) + 1, 1.0f / 65536.0f},  // angles less 90
    };
    for (const auto &c : sliders) {
        FakeCall call;
        call.defs[c.slot].u.fd.value = c.host;
        call.defs[c.slot].u.ad.value = c.host;
        BrightnessContrastEffect effect;
        Param *p = effect.GetParam(c.slot);
        EXPECT_EQ(c.slot == kSlotAngleStart ? static_cast<AngleParam *>(p)->GetFloat() : static_cast<SliderParam *>(p)->GetFloat(),
                  c.expected) << "slot " << c.slot;
    }
    // A 1440 x 972 layer rendered at 1/2 is 720 x 486: the point is in pixels of that frame.
    FakeCall call(1440, 972, {1, 2});
    call.defs[kSlotCenter].u.td.x_value = Fix(180.0);
    call.defs[kSlotCenter].u.td.y_value = Fix(486.0);
    call.defs[kSlotStretch].u.fd.value = Fix(10);
    call.in.num_params = kSlotStretch;  // the host's array stops before Stretch
    BrightnessContrastEffect effect;
    EXPECT_EQ(effect.Width(), 720);
    EXPECT_EQ(static_cast<PointParam *>(effect.GetParam(kSlotCenter))->GetXFraction(), 0.25f);
    EXPECT_EQ(static_cast<PointParam *>(effect.GetParam(kSlotCenter))->GetYFraction(), 1.0f);
    EXPECT_EQ(static_cast<SliderParam *>(effect.GetParam(kSlotStretch))->GetFloat(), 0.0f);
}

TEST(Params, ScaledLayerSizeTruncatesInExtendedPrecision) {
    const struct {
        int32_t size;
        PF_RationalScale ratio;
        int32_t expected;
    } cases[] = {
        {720, {1, 2}, 360}, {100, {1, 3}, 33}, {99, {1, 3}, 33},
        {21, {5, 7}, 14},  // 15 in double precision; the ratio is formed first
        {1920, {0, 1}, 0}, {-9, {1, 2}, -4},
        {7, {1, 0}, 7},  // a zero denominator counts as full size
        {2000000000, {3, 1}, INT32_MAX},
    };
    for (const auto &c : cases) EXPECT_EQ(ScaleByRatio(c.size, c.ratio), c.expected) << c.size;
}

}  // namespace
