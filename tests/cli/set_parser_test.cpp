// The --set parser on its own, against the definitions the shipped module registers.
#include "cli_support.h"
#include "set_parser.h"

// The slot and the value the host stores, in the field the parameter's type uses; or the error.
static std::string Stored(const std::string &text) {
    static const std::vector<orvcli::ParamInfo> params = orvcli::DescribeParams(ReadyHost()->Registered());
    orvcli::Assignment a;
    std::string error;
    if (!orvcli::ParseSet(text, params, &a, &error)) return "refused: " + error;
    auto n = [](int v) { return std::to_string(v); };
    const PF_Pixel c = a.color;
    return n(a.slot) + (a.type == PF_Param_POPUP      ? " choice " + n(a.choice)
                        : a.type == PF_Param_CHECKBOX ? a.on ? " on" : " off"
                        : a.type == PF_Param_COLOR    ? " argb " + n(c.alpha) + "," + n(c.red) + "," + n(c.green) + "," + n(c.blue)
                        : a.type == PF_Param_POINT    ? " x " + n(a.x) + " y " + n(a.y)
                                                      : " fixed " + n(a.fixed));
}

TEST(SetParser, EveryValueFormIsStoredAsTheHostStoresIt) {
    const struct { const char *text, *stored; } cases[] = {
        {"Brightness=12.5", "1 fixed 819200"}, {"brightness = -0.3", "1 fixed -19660"}, {"BRIGHTNESS=100", "1 fixed 6553600"},
        {"Brightness=-100", "1 fixed -6553600"}, {"Brightness=+5.", "1 fixed 327680"}, {"Brightness=.5", "1 fixed 32768"},
        {"Brightness=0.00001", "1 fixed 0"}, {"Brightness=33.333", "1 fixed 2184511"},  // 16.16 truncated toward zero,
        {"Brightness=-99.97", "1 fixed -6551633"}, {"Range End=125", "9 fixed 8192000"},   // in double precision
        {"Blend=50", "13 fixed 3276800"}, {"Angle Start=450.25", "10 fixed 29507584"}, {"Angle End=-90", "11 fixed -5898240"},
        {"Angle Start=-32768", "10 fixed -2147483648"}, {"Center=10.5,-3.25", "6 x 688128 y -212992"},
        {"center= 0.3333 , 7 ", "6 x 21843 y 458752"}, {"Channels=2", "3 choice 2"}, {"channels=green", "3 choice 3"},
        {"Channels=red and BLUE ", "3 choice 6"}, {"Choose Pixels by=green", "5 choice 4"},  // registered as "Green "
        {"Choose Pixels by=Green ", "5 choice 4"}, {"choose pixels by=HUE", "5 choice 8"}, {"Choose Pixels by=14", "5 choice 14"},
        {"Reverse Range=on", "12 on"}, {"reverse range=TRUE", "12 on"}, {"Reverse Range=Yes", "12 on"}, {"Reverse Range=1", "12 on"},
        {"Reverse Range=off", "12 off"}, {"Reverse Range=false", "12 off"}, {"Reverse Range=NO", "12 off"},
        {"Reverse Range=0", "12 off"}, {"Color=255,128,0", "7 argb 255,255,128,0"}, {"Color=#FF8000", "7 argb 255,255,128,0"},
        {"color=#0a0b0c", "7 argb 255,10,11,12"}, {"Color= 1 , 2,3 ", "7 argb 255,1,2,3"}, };
    for (const auto &c : cases) EXPECT_EQ(Stored(c.text), c.stored) << c.text;
}

TEST(SetParser, RefusalsSayWhatIsAccepted) {
    const struct { const char *text, *says; } cases[] = {
        {"Brightness", "expected NAME=VALUE"}, {"=on", "no parameter is named \"\""},
        {"Brighter=1", "no parameter is named \"Brighter\"; the names are: Brightness, Contrast, Channels, Mix with Original, "
                       "Choose Pixels by, Center, Color, Range Start, Range End, Angle Start, Angle End, Reverse Range, Blend, Stretch"},
        {"Brightness=", "\"Brightness\" takes a decimal number from -100 to 100"}, {"Brightness=abc", "takes a decimal"},
        {"Brightness=1e2", "takes a decimal"}, {"Brightness=0x10", "takes a decimal"}, {"Brightness=nan", "takes a decimal"},
        {"Brightness=1.2.3", "takes a decimal"}, {"Brightness=--1", "takes a decimal"}, {"Range End=-0.01", "from 0 to 125"},
        {"Brightness=100.001", "100.001 is outside the range of \"Brightness\", which takes a decimal number from -100 to 100"},
        {"Brightness=-100.5", "outside the range"}, {"Blend=50.5", "from 0 to 50"},
        {"Angle Start=32768", "outside the range of \"Angle Start\", which takes an angle in degrees"},
        {"Channels=0", "takes a choice number 1 to 9 or one of: \"RGB\", \"Red\", \"Green\", \"Blue\", \"Red and Green\""},
        {"Channels=10", "choice number 1 to 9"}, {"Channels=Purple", "choice number"}, {"Channels=Gre", "choice number"},
        {"Choose Pixels by=Hu", "\"All\", \"Luma\", \"Red\", \"Green\", \"Blue\", \"Alpha\", \"Saturation\", \"Hue\","},
        {"Reverse Range=maybe", "\"Reverse Range\" takes on/off, true/false, yes/no or 1/0"},
        {"Color=256,0,0", "takes a colour as R,G,B (each 0 to 255) or #RRGGBB"}, {"Color=-1,0,0", "R,G,B"},
        {"Color=1,2", "R,G,B"}, {"Color=1,2,3,4", "R,G,B"}, {"Color=#FFF", "#RRGGBB"}, {"Color=#GG0000", "#RRGGBB"},
        {"Center=5", "takes X,Y in pixels"}, {"Center=a,b", "X,Y in pixels"}, {"Center=1,2,3", "X,Y in pixels"},
        {"Center=40000,0", "outside the range of \"Center\""}, };
    for (const auto &c : cases) {
        const std::string stored = Stored(c.text);
        EXPECT_EQ(stored.rfind("refused: --set ", 0), 0u) << c.text << " gave " << stored;
        EXPECT_NE(stored.find(c.says), std::string::npos) << c.text << " said " << stored;
    }
}
