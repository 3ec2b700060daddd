// The module through its exported `main` as a host drives it: about, global set-up and the property
// list, the registered parameters, commands it does not handle, the render's first step.
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

uint32_t Le32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
std::string Code(const uint8_t *p) { return {char(p[3]), char(p[2]), char(p[1]), char(p[0])}; }

TEST(Entry, AboutAndGlobalSetupAgreeWithThePropertyList) {
    Host host(ShippedModule().Entry());
    EXPECT_EQ(host.About(), "Orvane FX Brightness-Contrast, v3.0\r\r");
    host.OutData().out_flags = 0x40000;  // a bit the host set stays
    host.GlobalSetup();
    EXPECT_TRUE(host.OutData().my_version == 1574400u && host.OutData().out_flags == 0x40005);
    EXPECT_EQ(host.OutData().out_flags2, 1 << 27);  // threaded rendering, as the 64-bit list says
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
        const bool wide = key == orv::PiplEntryKey::Win64X86;
        const std::string entry = wide ? "8664" : "wx86";
        EXPECT_EQ(order, "kind name catg " + entry + " ePVR eSVR eVER eINF eGLO " + (wide ? "eGL2 " : "") + "eMNA aeFL aeRD ");
        EXPECT_EQ(props["eGL2"], wide ? std::string("\0\0\0\x08", 4) : "");  // the out_flags2 of set-up
        EXPECT_EQ(props["name"].substr(0, 30), "\x1dOrvane FX Brightness-Contrast");
        EXPECT_EQ(props["catg"].substr(0, 16), std::string("\x0fOrvane FX Color", 16));
        EXPECT_STREQ(props[entry].c_str(), "main");
        EXPECT_EQ(props["ePVR"] + props["eSVR"], std::string("\2\0\0\0\x0b\0\0\0", 8));
        EXPECT_EQ(Le32(reinterpret_cast<const uint8_t *>(props["eVER"].data())), host.OutData().my_version);
        EXPECT_EQ(int32_t(Le32(reinterpret_cast<const uint8_t *>(props["eGLO"].data()))), 5);
    }
}

// Each registration as a line: type, name, flags, then the type's own fields (16.16 values shown
// as they are in units).
TEST(Entry, RegistersFourteenParametersAppended) {
    Host host(ShippedModule().Entry());
    std::string got;
    for (const PF_ParamDef &d : host.ParamsSetup()) {
        got += std::to_string(d.param_type) + " " + d.name + " " + std::to_string(d.flags);
        const PF_FixedSliderDef &f = d.u.fd;
        if (d.param_type == PF_Param_FIX_SLIDER)
            got += " " + std::to_string(f.valid_min / 65536) + ".." + std::to_string(f.valid_max / 65536) + " slider " +
                   std::to_string(f.slider_min / 65536) + ".." + std::to_string(f.slider_max / 65536) + " default " +
                   std::to_string(f.dephault / 65536.0) + " value " + std::to_string(f.value / 65536.0) + " precision " +
                   std::to_string(f.precision) + " display " + std::to_string(f.display_flags);
        if (d.param_type == PF_Param_ANGLE) got += " " + std::to_string(d.u.ad.dephault / 65536) + " " + std::to_string(d.u.ad.value / 65536);
        if (d.param_type == PF_Param_POPUP) got += " " + std::to_string(d.u.pd.num_choices) + " " + std::to_string(d.u.pd.dephault) + " " + d.u.pd.u.namesptr;
        if (d.param_type == PF_Param_POINT) got += " " + std::to_string(d.u.td.x_dephault / 65536) + "," + std::to_string(d.u.td.y_dephault / 65536) + " " + std::to_string(d.u.td.restrict_bounds);
        if (d.param_type == PF_Param_COLOR) for (uint8_t b : {d.u.cd.dephault.alpha, d.u.cd.dephault.red, d.u.cd.dephault.green, d.u.cd.dephault.blue}) got += " " + std::to_string(b);
        if (d.param_type == PF_Param_CHECKBOX) got += std::string(" ") + d.u.bd.u.nameptr + " " + std::to_string(d.u.bd.dephault);
        got += "\n";
    }
    EXPECT_EQ(got, "2 Brightness 0 -100..100 slider -100..100 default 0.000000 value 0.000000 precision 2 display 0\n"
                   "2 Contrast 0 -100..100 slider -100..100 default 0.000000 value 0.000000 precision 2 display 0\n"
                   "7 Channels 0 9 0 RGB|Red|Green|Blue|Red and Green|Red and Blue|Green and Blue|Difference|Alpha\n"
                   "2 Mix with Original 32 0..100 slider 0..100 default 0.000000 value 0.000000 precision 2 display 0\n"
                   "7 Choose Pixels by 32 14 0 All|Luma|Red|Green |Blue|Alpha |Saturation|Hue |Lightness|RGB Diff|Point|Rectangle|Edge|Angle\n"
                   "6 Center 32 50,50 0\n"
                   "5 Color 32 255 0 0 0\n"
                   "2 Range Start 32 0..125 slider 0..125 default 0.000000 value 0.000000 precision 2 display 0\n"
                   "2 Range End 32 0..125 slider 0..125 default 25.000000 value 25.000000 precision 2 display 0\n"
                   "3 Angle Start 32 90 90\n"
                   "3 Angle End 32 180 180\n"
                   "4  32 Reverse Range 0\n"
                   "2 Blend 32 0..50 slider 0..50 default 0.000000 value 0.000000 precision 2 display 0\n"
                   "2 Stretch 32 -100..100 slider -100..100 default 0.000000 value 0.000000 precision 2 display 0\n");
    EXPECT_EQ(host.OutData().num_params, 15);
    for (const aehost::CallRecord &call : host.Calls()) EXPECT_TRUE(call.name != "add_param" || call.index == -1);

    Host failing(ShippedModule().Entry());  // a failing add_param stops registration, not the count
    failing.FailAddParamAt(3, 7);
    failing.ParamsSetup();
    EXPECT_EQ(std::count_if(failing.Calls().begin(), failing.Calls().end(), [](auto &c) { return c.name == "add_param"; }), 3);
    EXPECT_EQ(failing.OutData().num_params, 15);
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
