// `orvane demo`: a test picture made in code, a grid of typical settings, and the contact sheet
// that shows the picture rendered with each of them.
#ifndef ORVANE_CLI_DEMO_H
#define ORVANE_CLI_DEMO_H

#include <string>
#include <vector>

#include "aehost.h"

namespace orvcli {

// A hue wheel, saturated and skin-like patches, a smooth and a stepped grey ramp, and a hue ramp
// whose alpha rises from 0 to 255; straight alpha, opaque elsewhere.
aehost::Image MakeTestPicture(int32_t width, int32_t height);

struct DemoTile {
    std::string title;
    std::vector<std::string> sets;  // NAME=VALUE, as given to --set
};

// The tiles of the demo, in sheet order (left to right, top to bottom).
const std::vector<DemoTile> &DemoTiles();

// Lays the rendered tiles out in `columns` columns over a checkerboard (so transparency shows),
// each captioned with its title and settings, under a heading.
aehost::Image ContactSheet(const std::vector<aehost::Image> &tiles, const std::vector<DemoTile> &captions,
                           int columns, const std::string &heading);

}  // namespace orvcli

#endif
