// The module driven through its exported `main`, as a host drives it.
#include <gtest/gtest.h>

#include <cstring>

#include "support/test_support.h"

using aehost::Host;
using orvtest::ReadyHost;
using orvtest::ShippedModule;

namespace {

constexpr PF_Fixed Fix(double x) { return static_cast<PF_Fixed>(x * 65536.0); }

TEST(Entry, AboutTextIsNameAndVersionWithTwoCarriageReturns) {
    Host host(ShippedModule().Entry());
    EXPECT_EQ(host.About(), "Orvane FX Brightness-Contrast, v3.0\r\r");
}

TEST(Entry, GlobalSetupReportsVersionAndFlagsKeepingHostBits) {
    Host host(ShippedModule().Entry());
    host.OutData().out_flags = 0;
    EXPECT_EQ(host.GlobalSetup(), 0);
    EXPECT_EQ(host.OutData().my_version, 1574400u);
    EXPECT_EQ(host.OutData().out_flags, 5);

    host.OutData().out_flags = 0x40000;  // a bit the host set stays
    host.GlobalSetup();
    EXPECT_EQ(host.OutData().out_flags, 0x40005);
}

TEST(Entry, ParamsSetupRegistersFourteenParametersAppended) {
    Host host(ShippedModule().Entry());
    host.ParamsSetup();
    EXPECT_EQ(host.OutData().num_params, 15);
    int adds = 0;
    for (const aehost::CallRecord &call : host.Calls())
        if (call.name == "add_param") {
            ++adds;
            EXPECT_EQ(call.index, -1);
        }
    EXPECT_EQ(adds, 14);
    EXPECT_EQ(host.Registered().size(), 14u);
}

// What the host must receive for each parameter, in registration order.
struct Expected {
    const char *name;
    int type;
    PF_Fixed min, max, dephault;  // sliders; angle default in dephault
    int flags;
};

TEST(Entry, RegisteredParametersMatchTheirNamesTypesRangesAndDefaults) {
    const Expected expected[] = {
        {"Brightness", PF_Param_FIX_SLIDER, Fix(-100), Fix(100), 0, 0},
        {"Contrast", PF_Param_FIX_SLIDER, Fix(-100), Fix(100), 0, 0},
        {"Channels", PF_Param_POPUP, 0, 0, 0, 0},
        {"Mix with Original", PF_Param_FIX_SLIDER, 0, Fix(100), 0, 32},
        {"Choose Pixels by", PF_Param_POPUP, 0, 0, 0, 32},
        {"Center", PF_Param_POINT, 0, 0, 0, 32},
        {"Color", PF_Param_COLOR, 0, 0, 0, 32},
        {"Range Start", PF_Param_FIX_SLIDER, 0, Fix(125), 0, 32},
        {"Range End", PF_Param_FIX_SLIDER, 0, Fix(125), Fix(25), 32},
        {"Angle Start", PF_Param_ANGLE, 0, 0, Fix(90), 32},
        {"Angle End", PF_Param_ANGLE, 0, 0, Fix(180), 32},
        {"", PF_Param_CHECKBOX, 0, 0, 0, 32},
        {"Blend", PF_Param_FIX_SLIDER, 0, Fix(50), 0, 32},
        {"Stretch", PF_Param_FIX_SLIDER, Fix(-100), Fix(100), 0, 32},
    };
    Host host(ShippedModule().Entry());
    const auto &defs = host.ParamsSetup();
    ASSERT_EQ(defs.size(), std::size(expected));
    for (size_t i = 0; i < defs.size(); ++i) {
        const PF_ParamDef &d = defs[i];
        const Expected &e = expected[i];
        SCOPED_TRACE(e.name);
        EXPECT_STREQ(d.name, e.name);
        EXPECT_EQ(d.param_type, e.type);
        EXPECT_EQ(d.flags, e.flags);
        switch (d.param_type) {
            case PF_Param_FIX_SLIDER:
                EXPECT_EQ(d.u.fd.valid_min, e.min);
                EXPECT_EQ(d.u.fd.slider_min, e.min);
                EXPECT_EQ(d.u.fd.valid_max, e.max);
                EXPECT_EQ(d.u.fd.slider_max, e.max);
                EXPECT_EQ(d.u.fd.dephault, e.dephault);
                EXPECT_EQ(d.u.fd.value, e.dephault);
                EXPECT_EQ(d.u.fd.precision, 2);
                EXPECT_EQ(d.u.fd.display_flags, 0);
                break;
            case PF_Param_ANGLE:
                EXPECT_EQ(d.u.ad.dephault, e.dephault);
                EXPECT_EQ(d.u.ad.value, e.dephault);
                break;
            default:
                break;
        }
    }
    EXPECT_STREQ(defs[2].u.pd.u.namesptr,
                 "RGB|Red|Green|Blue|Red and Green|Red and Blue|Green and Blue|Difference|Alpha");
    EXPECT_EQ(defs[2].u.pd.num_choices, 9);
    EXPECT_STREQ(defs[4].u.pd.u.namesptr,
                 "All|Luma|Red|Green |Blue|Alpha |Saturation|Hue |Lightness|RGB Diff|Point|Rectangle|Edge|Angle");
    EXPECT_EQ(defs[4].u.pd.num_choices, 14);
    EXPECT_EQ(defs[4].u.pd.dephault, 0);
    EXPECT_EQ(defs[5].u.td.x_dephault, Fix(50));
    EXPECT_EQ(defs[5].u.td.y_dephault, Fix(50));
    EXPECT_EQ(defs[5].u.td.restrict_bounds, 0);
    const PF_Pixel black = defs[6].u.cd.dephault;
    EXPECT_EQ(black.alpha, 255);
    EXPECT_EQ(black.red + black.green + black.blue, 0);
    EXPECT_STREQ(defs[11].u.bd.u.nameptr, "Reverse Range");
    EXPECT_EQ(defs[11].u.bd.dephault, 0);
}

TEST(Entry, FailingAddParamStopsRegistrationButReportsFullCount) {
    Host host(ShippedModule().Entry());
    host.FailAddParamAt(3, 7);
    host.ParamsSetup();
    int adds = 0;
    for (const aehost::CallRecord &call : host.Calls()) adds += call.name == "add_param";
    EXPECT_EQ(adds, 3);
    EXPECT_EQ(host.OutData().num_params, 15);
}

TEST(Entry, CommandsWithoutHandlerLeaveOutDataUnchanged) {
    for (PF_Cmd command : {2, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 40, -1}) {
        Host host(ShippedModule().Entry());
        std::memset(&host.OutData(), 0xA5, sizeof(PF_OutData));
        PF_OutData before = host.OutData();
        EXPECT_EQ(host.Call(command), 0) << command;
        EXPECT_EQ(std::memcmp(&before, &host.OutData(), sizeof before), 0) << "command " << command;
        EXPECT_TRUE(host.Calls().empty()) << command;
    }
}

TEST(Entry, RenderClearsTheOutputFirstThroughFill) {
    auto host = ReadyHost(ShippedModule());
    std::mt19937 rng(1);
    aehost::Image in = orvtest::RandomImage(rng, 5, 3);
    aehost::Image out;
    EXPECT_EQ(host->Render(in, out), 0);
    ASSERT_FALSE(host->Calls().empty());
    const aehost::CallRecord &fill = host->Calls().front();
    EXPECT_EQ(fill.name, "fill");
    EXPECT_TRUE(fill.wholeImage);
    EXPECT_EQ(fill.color.alpha + fill.color.red + fill.color.green + fill.color.blue, 0);
}

TEST(Entry, FailingFillEndsTheRenderWithTheOutputUntouched) {
    auto host = ReadyHost(ShippedModule());
    host->FailFill(42);
    std::mt19937 rng(2);
    aehost::Image in = orvtest::RandomImage(rng, 4, 4);
    aehost::Image out = aehost::Image::Make(4, 4);
    std::fill(out.pixels.begin(), out.pixels.end(), 0x77);
    EXPECT_EQ(host->Render(in, out), 0);
    ASSERT_EQ(host->Calls().size(), 1u);  // the fill and nothing after it
    EXPECT_EQ(host->Calls()[0].name, "fill");
    for (uint8_t b : out.pixels) ASSERT_EQ(b, 0x77);
    EXPECT_EQ(host->OutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
}

TEST(Entry, GlobalSetdownWithoutGlobalDataIsHarmless) {
    Host host(ShippedModule().Entry());
    host.OutData().global_data = nullptr;
    EXPECT_EQ(host.GlobalSetdown(), 0);
}

}  // namespace
