// The module driven through its exported `main` as a host drives it: about, global set-up and its
// agreement with the property list, the registered parameters, commands it does not handle, and the
// render's first step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "resources/resources.h"
#include "support/test_support.h"

using aehost::Host;
using orvtest::ShippedModule;

namespace {

constexpr PF_Fixed Fix(double x) { return static_cast<PF_Fixed>(x * 65536.0); }
uint32_t Le32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
std::string Code(const uint8_t *p) { return {char(p[3]), char(p[2]), char(p[1]), char(p[0])}; }

TEST(Entry, AboutAndGlobalSetupAgreeWithThePropertyList) {
    Host host(ShippedModule().Entry());
    EXPECT_EQ(host.About(), "Orvane FX Brightness-Contrast, v3.0\r\r");
    host.OutData().out_flags = 0x40000;  // a bit the host set stays
    host.GlobalSetup();
    EXPECT_EQ(host.OutData().my_version, 1574400u);
    EXPECT_EQ(host.OutData().out_flags, 0x40005);
    // The list as a host walks it: header, then vendor, key, id, length, data padded to 4.
    for (auto key : {orv::PiplEntryKey::Win32X86, orv::PiplEntryKey::Win64X86}) {
        size_t size = 0, at = 10;
        const uint8_t *bytes = orv::PiplBytes(key, &size);
        std::map<std::string, std::string> props;
        std::string order;
        for (uint32_t i = 0; i < Le32(bytes + 6) && at + 16 <= size; ++i) {
            EXPECT_EQ(Code(bytes + at), "8BIM");
            const uint32_t length = Le32(bytes + at + 12);
            props[Code(bytes + at + 4)] = std::string(reinterpret_cast<const char *>(bytes) + at + 16, length);
            order += Code(bytes + at + 4) + " ";
            at += 16 + ((length + 3) & ~3u);
        }
        EXPECT_EQ(at, size);
        const std::string entry = key == orv::PiplEntryKey::Win32X86 ? "wx86" : "8664";
        EXPECT_EQ(order, "kind name catg " + entry + " ePVR eSVR eVER eINF eGLO eMNA aeFL aeRD ");
        EXPECT_EQ(props["name"].substr(0, 30), "\x1dOrvane FX Brightness-Contrast");
        EXPECT_EQ(props["catg"].substr(0, 16), std::string("\x0fOrvane FX Color", 16));
        EXPECT_STREQ(props[entry].c_str(), "main");
        EXPECT_EQ(props["ePVR"], std::string("\2\0\0\0", 4));
        EXPECT_EQ(props["eSVR"], std::string("\x0b\0\0\0", 4));
        EXPECT_EQ(Le32(reinterpret_cast<const uint8_t *>(props["eVER"].data())), host.OutData().my_version);
        EXPECT_EQ(int32_t(Le32(reinterpret_cast<const uint8_t *>(props["eGLO"].data()))), 5);
    }
}

TEST(Entry, RegistersFourteenParametersAppended) {
    const struct {
        const char *name;
        int type;
        PF_Fixed min, max, dephault;  // sliders; the angle's default in dephault
        int flags;
    } expected[] = {
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
    EXPECT_EQ(host.OutData().num_params, 15);
    for (const aehost::CallRecord &call : host.Calls()) EXPECT_TRUE(call.name != "add_param" || call.index == -1);
    ASSERT_EQ(defs.size(), std::size(expected));
    for (size_t i = 0; i < defs.size(); ++i) {
        const PF_ParamDef &d = defs[i];
        const auto &e = expected[i];
        SCOPED_TRACE(e.name);
        EXPECT_STREQ(d.name, e.name);
        EXPECT_EQ(d.param_type, e.type);
        EXPECT_EQ(d.flags, e.flags);
        if (d.param_type == PF_Param_FIX_SLIDER) {
            const PF_FixedSliderDef &f = d.u.fd;
            EXPECT_TRUE(f.valid_min == e.min && f.slider_min == e.min && f.valid_max == e.max && f.slider_max == e.max);
            EXPECT_TRUE(f.dephault == e.dephault && f.value == e.dephault && f.precision == 2 && f.display_flags == 0);
        }
        EXPECT_TRUE(d.param_type != PF_Param_ANGLE || (d.u.ad.dephault == e.dephault && d.u.ad.value == e.dephault));
    }
    EXPECT_STREQ(defs[2].u.pd.u.namesptr, "RGB|Red|Green|Blue|Red and Green|Red and Blue|Green and Blue|Difference|Alpha");
    EXPECT_EQ(defs[2].u.pd.num_choices, 9);
    EXPECT_STREQ(defs[4].u.pd.u.namesptr,
                 "All|Luma|Red|Green |Blue|Alpha |Saturation|Hue |Lightness|RGB Diff|Point|Rectangle|Edge|Angle");
    EXPECT_EQ(defs[4].u.pd.num_choices, 14);
    EXPECT_TRUE(defs[5].u.td.x_dephault == Fix(50) && defs[5].u.td.y_dephault == Fix(50) && !defs[5].u.td.restrict_bounds);
    const PF_Pixel black = defs[6].u.cd.dephault;
    EXPECT_TRUE(black.alpha == 255 && black.red + black.green + black.blue == 0);
    EXPECT_STREQ(defs[11].u.bd.u.nameptr, "Reverse Range");

    Host failing(ShippedModule().Entry());  // a failing add_param stops registration, not the count
    failing.FailAddParamAt(3, 7);
    failing.ParamsSetup();
    EXPECT_EQ(std::count_if(failing.Calls().begin(), failing.Calls().end(), [](auto &c) { return c.name == "add_param"; }), 3);
    EXPECT_EQ(failing.OutData().num_params, 15);
}

TEST(Entry, CommandsWithoutHandlerLeaveOutDataUnchanged) {
    for (PF_Cmd command : {2, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 40, -1}) {
        Host host(ShippedModule().Entry());
        std::memset(&host.OutData(), 0xA5, sizeof(PF_OutData));
        const PF_OutData before = host.OutData();
        host.Call(command);
        EXPECT_EQ(std::memcmp(&before, &host.OutData(), sizeof before), 0) << "command " << command;
        EXPECT_TRUE(host.Calls().empty()) << command;
    }
}

// The render clears the whole output to transparent black first; when that fill fails the render
// ends there, the output untouched and nothing reported.
TEST(Entry, RenderStartsByClearingTheOutput) {
    std::mt19937 rng(1);
    const aehost::Image in = orvtest::RandomImage(rng, 5, 3);
    for (PF_Err fillStatus : {0, 42}) {
        auto host = orvtest::ReadyHost(ShippedModule());
        host->SetSlider("Brightness", 40);
        host->FailFill(fillStatus);
        aehost::Image out = aehost::Image::Make(5, 3);
        std::fill(out.pixels.begin(), out.pixels.end(), 0x77);
        host->Render(in, out);
        ASSERT_FALSE(host->Calls().empty());
        const aehost::CallRecord &fill = host->Calls().front();
        EXPECT_TRUE(fill.name == "fill" && fill.wholeImage);
        EXPECT_EQ(fill.color.alpha + fill.color.red + fill.color.green + fill.color.blue, 0);
        EXPECT_EQ(std::all_of(out.pixels.begin(), out.pixels.end(), [](uint8_t b) { return b == 0x77; }), fillStatus != 0);
        EXPECT_EQ(host->OutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
    }
}

}  // namespace
