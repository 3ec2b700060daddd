// The --set parser on its own, against definitions made here the way a module registers them.
#include <gtest/gtest.h>

#include <cstring>

#include "set_parser.h"

using orvcli::Assignment;
using orvcli::ParamInfo;

namespace {

PF_ParamDef Def(const char *name, PF_ParamType type) {
    PF_ParamDef def;
    std::memset(&def, 0, sizeof def);
    std::strcpy(def.name, name);
    def.param_type = type;
    return def;
}

PF_ParamDef Slider(const char *name, double min, double max) {
    PF_ParamDef def = Def(name, PF_Param_FIX_SLIDER);
    def.u.fd.valid_min = def.u.fd.slider_min = static_cast<PF_Fixed>(min * 65536);
    def.u.fd.valid_max = def.u.fd.slider_max = static_cast<PF_Fixed>(max * 65536);
    return def;
}

PF_ParamDef Popup(const char *name, const char *items, int count) {
    PF_ParamDef def = Def(name, PF_Param_POPUP);
    def.u.pd.u.namesptr = items;
    def.u.pd.num_choices = static_cast<A_short>(count);
    return def;
}

const std::vector<ParamInfo> &Params() {
    static std::vector<PF_ParamDef> defs = [] {
        PF_ParamDef checkbox = Def("", PF_Param_CHECKBOX);
        checkbox.u.bd.u.nameptr = "Reverse Range";
        return std::vector<PF_ParamDef>{
            Slider("Brightness", -100, 100),       // slot 1
            Popup("Channels", "RGB|Red|Green|Blue", 4),
            Popup("Choose Pixels by", "All|Green |Hue ", 3),
            checkbox,
            Def("Color", PF_Param_COLOR),          // slot 5
            Def("Center", PF_Param_POINT),
            Def("Angle Start", PF_Param_ANGLE),
            Slider("Range End", 0, 125),
        };
    }();
    static std::vector<ParamInfo> params = orvcli::DescribeParams(defs);
    return params;
}

Assignment Parse(const std::string &text) {
    Assignment a;
    std::string error;
    EXPECT_TRUE(orvcli::ParseSet(text, Params(), &a, &error)) << text << ": " << error;
    return a;
}

TEST(SetParser, DescribesRegisteredDefinitions) {
    const std::vector<ParamInfo> &p = Params();
    ASSERT_EQ(p.size(), 8u);
    EXPECT_EQ(p[2].choices, (std::vector<std::string>{"All", "Green ", "Hue "}));  // blanks kept
    EXPECT_EQ(orvcli::ShownName(p[3]), "Reverse Range");
    EXPECT_EQ(p[7].slot, 8);
    EXPECT_EQ(p[7].max, 125 * 65536);
}

TEST(SetParser, NumbersAreStoredTruncatedInSixteenSixteen) {
    const struct {
        const char *text;
        int slot;
        PF_Fixed fixed;
    } cases[] = {
        {"Brightness=12.5", 1, 819200},
        {"brightness = -0.3", 1, -19660},  // -19660.8, toward zero
        {"BRIGHTNESS=100", 1, 6553600},
        {"Brightness=-100", 1, -6553600},
        {"Brightness=+5.", 1, 327680},
        {"Brightness=.5", 1, 32768},
        {"Brightness=0.00001", 1, 0},
        {"Brightness=33.333", 1, 2184511},
        {"Brightness=-99.97", 1, -6551633},  // single precision would give -6551634
        {"Range End=125", 8, 8192000},
        {"Angle Start=450.25", 7, 29507584},
        {"Angle Start=-90", 7, -5898240},
        {"Angle Start=-32768", 7, INT32_MIN},
    };
    for (const auto &c : cases) {
        Assignment a = Parse(c.text);
        EXPECT_EQ(a.slot, c.slot) << c.text;
        EXPECT_EQ(a.fixed, c.fixed) << c.text;
    }
    Assignment point = Parse("Center=10.5,-3.25");
    EXPECT_EQ(point.x, 688128);
    EXPECT_EQ(point.y, -212992);
    point = Parse("center= 0.3333 , 7 ");
    EXPECT_EQ(point.x, 21843);  // 21843.1488
    EXPECT_EQ(point.y, 458752);
}

TEST(SetParser, PopupsByNumberOrTextCheckboxesAndColours) {
    const struct {
        const char *text;
        int slot;
        int32_t choice;
    } choices[] = {
        {"Channels=2", 2, 2},        {"channels=green", 2, 3},           {"Channels=BLUE ", 2, 4},
        {"Choose Pixels by=green", 3, 2}, {"Choose Pixels by=Green ", 3, 2}, {"choose pixels by=HUE", 3, 3},
        {"Choose Pixels by=3", 3, 3},
    };
    for (const auto &c : choices) {
        Assignment a = Parse(c.text);
        EXPECT_EQ(a.slot, c.slot) << c.text;
        EXPECT_EQ(a.choice, c.choice) << c.text;
    }
    for (const char *on : {"on", "TRUE", "Yes", "1"}) EXPECT_TRUE(Parse(std::string("Reverse Range=") + on).on) << on;
    for (const char *off : {"off", "false", "NO", "0"}) EXPECT_FALSE(Parse(std::string("reverse range=") + off).on) << off;
    EXPECT_EQ(Parse("Reverse Range=on").slot, 4);
    for (const char *text : {"Color=255,128,0", "Color=#FF8000", "color=#ff8000", "Color= 255 , 128,0 "}) {
        PF_Pixel c = Parse(text).color;
        EXPECT_EQ((std::vector<int>{c.alpha, c.red, c.green, c.blue}), (std::vector<int>{255, 255, 128, 0})) << text;
    }
}

TEST(SetParser, RejectsWithWhatIsAccepted) {
    const struct {
        const char *text;
        const char *says;
    } cases[] = {
        {"Brightness", "NAME=VALUE"},
        {"Brighter=1", "no parameter is named \"Brighter\""},
        {"=on", "no parameter is named \"\""},
        {"Brightness=", "takes a decimal number from -100 to 100"},
        {"Brightness=abc", "takes a decimal number from -100 to 100"},
        {"Brightness=1e2", "takes a decimal"},
        {"Brightness=0x10", "takes a decimal"},
        {"Brightness=nan", "takes a decimal"},
        {"Brightness=1.2.3", "takes a decimal"},
        {"Brightness=--1", "takes a decimal"},
        {"Brightness=100.001", "outside the range of \"Brightness\""},
        {"Brightness=-100.5", "outside the range"},
        {"Range End=-0.01", "from 0 to 125"},
        {"Angle Start=32768", "outside the range of \"Angle Start\""},
        {"Channels=0", "choice number 1 to 4"},
        {"Channels=5", "choice number 1 to 4"},
        {"Channels=Purple", "\"RGB\", \"Red\", \"Green\", \"Blue\""},
        {"Channels=Gre", "choice number"},
        {"Choose Pixels by=Hu", "\"All\", \"Green\", \"Hue\""},
        {"Reverse Range=maybe", "on/off, true/false, yes/no or 1/0"},
        {"Color=256,0,0", "R,G,B (each 0 to 255) or #RRGGBB"},
        {"Color=-1,0,0", "R,G,B"},
        {"Color=1,2", "R,G,B"},
        {"Color=1,2,3,4", "R,G,B"},
        {"Color=#FFF", "#RRGGBB"},
        {"Color=#GG0000", "#RRGGBB"},
        {"Center=5", "X,Y in pixels"},
        {"Center=a,b", "X,Y in pixels"},
        {"Center=1,2,3", "X,Y in pixels"},
        {"Center=40000,0", "outside the range of \"Center\""},
    };
    for (const auto &c : cases) {
        Assignment a;
        std::string error;
        EXPECT_FALSE(orvcli::ParseSet(c.text, Params(), &a, &error)) << c.text;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.text << " said: " << error;
    }
    std::string error;
    Assignment a;
    orvcli::ParseSet("Brighter=1", Params(), &a, &error);
    EXPECT_NE(error.find("Brightness, Channels, Choose Pixels by, Reverse Range, Color"), std::string::npos) << error;
}

}  // namespace
