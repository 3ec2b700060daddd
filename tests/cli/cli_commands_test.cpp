// params, about, demo and --help, run as a user runs them.
#include <gtest/gtest.h>

#include <png.h>

#include "cli_support.h"

using namespace clitest;

namespace {

TEST(OrvaneCommands, HelpOnEveryCommandDescribesItsUsage) {
    for (const std::string command : {"render", "mask", "params", "about", "demo"}) {
        for (const std::string flag : {"--help", "-h"}) {
            Result run = Orvane({command, flag});
            EXPECT_EQ(run.status, 0) << command;
            EXPECT_EQ(run.out.rfind("usage: orvane " + command, 0), 0u) << run.out;
        }
    }
    Result run = Orvane({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char *line : {"orvane render [--raw WxH] [--set NAME=VALUE]... [--downsample N/D] INPUT OUTPUT",
                             "orvane mask   [--raw WxH] [--set NAME=VALUE]... INPUT OUTPUT", "orvane params",
                             "orvane about", "orvane demo [OUTPUT.png]"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line;
    EXPECT_EQ(Orvane({}).status, 2);
    EXPECT_EQ(Orvane({"params", "extra"}).status, 2);
    EXPECT_EQ(Orvane({"about", "--raw", "2x2"}).status, 2);
}

TEST(OrvaneCommands, ParamsListsWhatTheModuleRegistered) {
    Result run = Orvane({"params"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char *line : {"14 parameters registered", " 1  Brightness\n    slider, -100 to 100, precision 2; default 0\n",
                             "       4  \"Green \"\n",  // a choice of "Choose Pixels by", its blank kept
                             " 6  Center\n    point, X,Y in pixels, may lie outside the frame; default 50%, 50%",
                             " 7  Color\n    color, R,G,B; default 0,0,0 (#000000), alpha 255\n",
                             "10  Angle Start\n    angle, degrees; default 90\n",
                             "12  Reverse Range (registered with an empty name; set by its label)\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\nin:\n" << run.out;
}

TEST(OrvaneCommands, AboutPrintsTheEffectsAboutText) {
    aehost::Module module;
    std::string error;
    ASSERT_TRUE(module.Load(ORV_MODULE_PATH, &error)) << error;
    aehost::Host host(module.Entry());
    std::string text = host.About();
    for (char &c : text)
        if (c == '\r') c = '\n';
    while (!text.empty() && text.back() == '\n') text.pop_back();
    Result run = Orvane({"about"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, text + "\n");
    EXPECT_NE(text.find("Orvane FX Brightness-Contrast"), std::string::npos);
}

TEST(OrvaneCommands, DemoWritesOneContactSheetAndPrintsEachTile) {
    ScratchDir dir;
    Result run = Orvane({"demo", dir / "sheet.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    int depth, type;
    PngHeader(dir / "sheet.png", &depth, &type);
    EXPECT_EQ(depth, 8);
    EXPECT_EQ(type, PNG_COLOR_TYPE_RGB_ALPHA);
    const aehost::Image sheet = ReadPngArgb(dir / "sheet.png");
    EXPECT_GE(sheet.width, 4 * 320);
    EXPECT_GE(sheet.height, 2 * 240);
    for (const char *tile : {"1  Defaults", "2  Brightness", "3  Contrast", "4  Soft Luma chooser", "5  Hue range",
                             "6  Stretched Point", "7  Difference", "8  Mix 50"})
        EXPECT_NE(run.out.find(tile), std::string::npos) << tile << " in\n" << run.out;
    EXPECT_NE(run.out.find("--set \"Choose Pixels by=Point\""), std::string::npos);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"sheet.png"});
    EXPECT_EQ(Orvane({"demo", dir / "sheet.jpg"}).status, 2);
}

}  // namespace
