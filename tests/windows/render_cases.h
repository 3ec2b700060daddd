// The run shared by the Windows host program (under Wine, 64-bit module) and the native test (Linux
// module). Inputs come from each case's seed alone: both sides render the same bytes, compared exactly.
#ifndef ORV_TESTS_WINDOWS_RENDER_CASES_H
#define ORV_TESTS_WINDOWS_RENDER_CASES_H

#include <string>
#include <vector>

#include "aehost.h"
#include "reference/render_reference.h"

namespace orvtest {

struct RenderCase {
    std::string name;                                                // unique: a file name
    int32_t width, height, inputPadding, outputPadding, downsample;  // paddings: bytes after each row
    uint64_t seed;
    orvref::HostValues v;
};

// Every "Choose Pixels by" mode hard and soft, plain and reversed; every "Channels" choice at mixes
// 0, 50 and 100; padded, downsampled, one-row and one-column frames.
inline std::vector<RenderCase> RenderCases() {
    // Brightness/contrast pairs cycled through: both signs, extremes (contrast 100 thresholds), fractions.
    static const double tones[][2] = {{25, 0},       {-40, 30},  {60, -50}, {0, 100},  {-100, -20},
                                      {15.5, 45.25}, {100, 100}, {-70, 80}, {35, -100}, {-12.75, 12.5}};
    static const PF_Pixel colors[] = {{255, 200, 40, 90}, {255, 0, 0, 0}, {128, 30, 180, 220}, {255, 255, 255, 255}};
    std::vector<RenderCase> cases;
    // A frame of the size given, else of one from the seed (the place in the list).
    auto add = [&cases](std::string name, int32_t mode, int32_t width = 0, int32_t height = 0, int32_t inPad = 0,
                        int32_t outPad = 0, int32_t downsample = 1) -> orvref::HostValues & {
        const uint64_t n = cases.size() + 1;
        cases.push_back({name, width ? width : 29 + int32_t(n % 7) * 3, height ? height : 17 + int32_t(n % 5) * 2,
                         inPad, outPad, downsample, n, {}});
        orvref::HostValues &v = cases.back().v;
        v.brightness = tones[n % 10][0], v.contrast = tones[n % 10][1], v.color = colors[n % 4], v.choosePixels = mode;
        v.rangeStart = 10, v.rangeEnd = 40, v.blend = 8, v.mix = 25, v.stretch = -20;
        return v;
    };
    // Ranges from 0 and from inside; reversed hue and angle intervals wrap through 0; the geometric
    // modes (11-14) soft around a point set; the last variant mixed, on a channel choice.
    for (int32_t i = 0; i < 14 * 4; ++i) {
        const int32_t mode = 1 + i / 4, k = i % 4;
        const bool soft = k >= 2, reverse = k % 2;
        auto &v = add("mode" + std::to_string(mode) + (soft ? "-soft" : "-hard") + (reverse ? "-reversed" : ""), mode);
        v.rangeStart = 10 * (k % 3), v.rangeEnd = 30 + 10 * k, v.blend = soft ? 15 * (k - 1) : 0, v.reverse = reverse;
        v.stretch = 35 * k - 50, v.mix = k == 3 ? 50 : 0, v.channels = k == 3 ? 1 + mode % 9 : 1;
        v.angleStart = reverse ? 300 : 45, v.angleEnd = reverse ? 60 : 200, v.centerSet = mode >= 11 && soft;
        v.centerX = cases.back().width * 0.3, v.centerY = cases.back().height * 0.65;  // off-centre
    }
    for (int32_t channels = 1; channels <= 9; ++channels)
        for (int mix : {0, 50, 100}) {
            const int32_t mode = (channels + mix) % 14 + 1;
            auto &v = add("channels" + std::to_string(channels) + "-mix" + std::to_string(mix), mode);
            v.channels = channels, v.mix = mix, v.rangeStart = 15, v.rangeEnd = 70, v.blend = channels % 2 ? 0 : 12;
        }
    // name, mode; width, height, input and output padding, downsample
    add("padded-rows", 13, 33, 21, 12, 20), add("downsampled-point", 11, 40, 26, 0, 8, 2);
    add("downsampled-angle", 14, 38, 24, 4, 0, 2), add("single-row", 2, 64, 1), add("single-column", 12, 1, 48, 4);
    add("larger-frame-hue", 8, 160, 90);
    return cases;
}

// Random bytes, some made grey (no hue, no saturation), some extreme (saturated colours, 0 and 255).
inline aehost::Image CaseInput(const RenderCase &c) {
    aehost::Image image = aehost::Image::Make(c.width, c.height, c.width * 4 + c.inputPadding);
    uint64_t s = c.seed;
    for (int32_t y = 0; y < c.height; ++y)
        for (int32_t x = 0; x < image.rowbytes; x += 4) {  // the padding too: the module must not read it
            s += 0x9E3779B97F4A7C15ull;  // splitmix64: the same sequence on every platform
            uint64_t r = (s ^ (s >> 30)) * 0xBF58476D1CE4E5B9ull;
            r = (r ^ (r >> 27)) * 0x94D049BB133111EBull, r ^= r >> 31;
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
