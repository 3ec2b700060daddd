// The run shared by the Windows host program (under Wine, either module) and the native test (Linux
// module). Inputs come from each case's seed alone: both sides render the same bytes, compared exactly.
#ifndef ORV_TESTS_WINDOWS_RENDER_CASES_H
#define ORV_TESTS_WINDOWS_RENDER_CASES_H

#include <string>
#include <vector>

#include "aehost.h"
#include "support/random_values.h"

namespace orvtest {

struct RenderCase {
    std::string name;                                                // unique: a file name
    int32_t width, height, inputPadding, outputPadding, downsample;  // paddings: bytes after each row
    uint64_t seed;
    orvref::HostValues v;
};

// Every "Choose Pixels by" mode x range shape (hard and soft, plain and reversed), channel choices
// and mixes in turn, every third with a value far beyond its range; then padded, downsampled,
// one-row and one-column frames, and rows of 18,400 bytes (2,016 in their low 14 bits) under a soft
// distance from a point on all channels.
inline std::vector<RenderCase> RenderCases() {
    std::vector<RenderCase> cases;
    std::mt19937 rng(2468);
    const int32_t frames[][5] = {{33, 21, 12, 20, 1}, {40, 26, 0, 8, 2}, {38, 24, 4, 0, 2}, {64, 1, 0, 0, 1},
                                 {1, 48, 4, 0, 1},    {160, 90, 0, 0, 1}};  // width, height, paddings, downsample
    for (int32_t i = 0; i < 14 * 8 + 6; ++i) {
        const int32_t *f = i < 14 * 8 ? nullptr : frames[i - 14 * 8];
        RenderCase c{"case" + std::to_string(i), f ? f[0] : 29 + i % 7 * 3, f ? f[1] : 17 + i % 5 * 2, f ? f[2] : 0,
                     f ? f[3] : 0, f ? f[4] : 1, uint64_t(i + 1), {}};
        c.v = RandomValues(rng, i, 1 + i % 14, (i / 14) % 8, c.width / c.downsample, c.height / c.downsample, i % 3 == 2);
        cases.push_back(c);
    }
    cases.push_back({"wide", 4600, 10, 0, 0, 1, 999, RandomValues(rng, 18, 11, 5, 4600, 10)});
    return cases;
}

// Random bytes, some made grey (no hue, no saturation), some extreme (saturated colours, 0 and 255).
inline aehost::Image CaseInput(const RenderCase &c) {
    aehost::Image image = aehost::Image::Make(c.width, c.height, c.width * 4 + c.inputPadding);
    std::mt19937_64 rng(c.seed);  // exactly specified: the same sequence on every platform
    for (int32_t y = 0; y < c.height; ++y)
        for (int32_t x = 0; x < image.rowbytes; x += 4) {  // the padding too: the module must not read it
            const uint64_t r = rng();
            uint8_t *p = image.Row(y) + x;
            for (int i = 0; i < 4 && x + i < image.rowbytes; ++i) p[i] = uint8_t(r >> 8 * i);
            if (x < c.width * 4 && r >> 32 & 1) p[2] = p[3] = p[1];
            if (x < c.width * 4 && r >> 33 & 1) for (int i = 0; i < 4; ++i) p[i] = p[i] & 1 ? 255 : 0;
        }
    return image;
}

// Global and parameter set-up, every case (each rendered output handed to `done`, packed), global
// set-down. Returns what the host saw, a line a fact: equal text from equal behaviour.
template <class Done>
std::string RunCases(aehost::Host &host, Done done) {
    host.OutData().out_flags = 0;
    std::string facts = "global set-up " + std::to_string(host.GlobalSetup());
    const PF_OutData &out = host.OutData();
    facts += ", version " + std::to_string(out.my_version) + ", flags " + std::to_string(out.out_flags) + " " +
             std::to_string(out.out_flags2) + "\n";
    for (const PF_ParamDef &d : host.ParamsSetup())  // a checkbox's label has a field of its own
        facts += std::to_string(d.param_type) + " " + d.name + " " +
                 (d.param_type == PF_Param_CHECKBOX && d.u.bd.u.nameptr ? d.u.bd.u.nameptr : "") + "\n";
    for (const RenderCase &c : RenderCases()) {
        const bool set = orvref::ApplyHostValues(host, c.v);
        host.SetDownsample(1, static_cast<uint32_t>(c.downsample));
        aehost::Image output = aehost::Image::Make(c.width, c.height, c.width * 4 + c.outputPadding);
        const PF_Err status = set ? host.Render(CaseInput(c), output) : 0;
        if (set && status == 0) done(c, output.Packed());
        else  // a parameter not found, or main failed
            facts += c.name + ": not rendered, " + (set ? "error " + std::to_string(status) : "not set") + "\n";
    }
    return facts + "parameters " + std::to_string(out.num_params) + ", global set-down " +
           std::to_string(host.GlobalSetdown()) + "\n";
}

}  // namespace orvtest

#endif
