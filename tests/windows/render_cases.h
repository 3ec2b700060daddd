// The fixed set of frames rendered both by the Windows host program (under Wine, through the 64-bit
// module) and by the native tests (through the Linux module), so the two outputs can be compared
// byte for byte. Inputs are generated in code from each case's seed: nothing depends on files or on
// the platform's random-number library.
#ifndef ORV_TESTS_WINDOWS_RENDER_CASES_H
#define ORV_TESTS_WINDOWS_RENDER_CASES_H

#include <cstdint>
#include <string>
#include <vector>

#include "aehost.h"

namespace orvtest {

// One frame: input geometry and seed, and every parameter value as the host holds it.
struct RenderCase {
    std::string name;  // unique, usable as a file name
    int32_t width = 0, height = 0;
    int32_t inputPadding = 0, outputPadding = 0;  // bytes after each row
    uint32_t seed = 0;
    int32_t downsample = 1;  // rendered at 1/downsample of the layer size
    double brightness = 0, contrast = 0;
    int32_t channels = 1;  // "Channels", 1-based
    double mix = 0;        // "Mix with Original", percent
    int32_t mode = 1;      // "Choose Pixels by", 1-based
    bool centerSet = false;
    double centerX = 0, centerY = 0;  // pixels of the rendered frame, when set
    PF_Pixel color{255, 0, 0, 0};
    double rangeStart = 0, rangeEnd = 25;
    double angleStart = 90, angleEnd = 180;
    bool reverse = false;
    double blend = 0, stretch = 0;
};

// Every "Choose Pixels by" mode hard and soft, plain and reversed; every "Channels" choice at mixes
// 0, 50 and 100; downsampled and padded frames. Always the same list, in the same order.
std::vector<RenderCase> RenderCases();

// The case's input frame: random bytes, ramps, greys and saturated colours mixed, from its seed.
aehost::Image CaseInput(const RenderCase &c);

// Sets every parameter of the case on a host that has run parameter set-up (after restoring the
// defaults) and renders its input. False with a reason when a parameter is missing or main fails.
bool RenderCaseOutput(aehost::Host &host, const RenderCase &c, aehost::Image *output, std::string *error);

// File name of a case's raw output (packed ARGB rows, no padding).
std::string CaseFileName(const RenderCase &c);

}  // namespace orvtest

#endif
