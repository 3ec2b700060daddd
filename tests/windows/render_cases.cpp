#include "windows/render_cases.h"

#include <cstdio>

namespace orvtest {

namespace {

// splitmix64: the same sequence on every platform and compiler.
uint64_t Mix64(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

struct Tone {
    double brightness, contrast;
};

// Brightness/contrast pairs the cases cycle through: both signs, extremes, fractions.
constexpr Tone kTones[] = {{25, 0},    {-40, 30},      {60, -50},  {0, 100},  {-100, -20},
                           {15.5, 45.25}, {100, 100}, {-70, 80}, {35, -100}, {-12.75, 12.5}};

constexpr PF_Pixel kColors[] = {{255, 200, 40, 90}, {255, 0, 0, 0}, {128, 30, 180, 220}, {255, 255, 255, 255}};

const char *const kModeNames[] = {"all", "luma", "red", "green", "blue", "alpha", "saturation",
                                  "hue", "lightness", "rgbdiff", "point", "rectangle", "edge", "angle"};

bool IsGeometric(int32_t mode) { return mode >= 11; }

RenderCase Base(const std::string &name, uint32_t seed) {
    RenderCase c;
    c.name = name;
    c.seed = seed;
    c.width = 29 + static_cast<int32_t>(seed % 7) * 3;
    c.height = 17 + static_cast<int32_t>(seed % 5) * 2;
    const Tone &tone = kTones[seed % (sizeof kTones / sizeof kTones[0])];
    c.brightness = tone.brightness;
    c.contrast = tone.contrast;
    c.color = kColors[seed % (sizeof kColors / sizeof kColors[0])];
    return c;
}

}  // namespace

std::vector<RenderCase> RenderCases() {
    std::vector<RenderCase> cases;
    uint32_t seed = 1;
    char name[96];

    // Every "Choose Pixels by" mode: hard and soft selections, plain and reversed ranges, a range
    // starting at 0 and one starting inside, wrapped angles, off-centre points and both stretches.
    for (int32_t mode = 1; mode <= 14; ++mode) {
        struct Variant {
            const char *label;
            double start, end, blend;
            bool reverse;
            double mix;
            int32_t channels;
            double stretch;
        };
        const Variant variants[] = {
            {"hard", 0, 45, 0, false, 0, 1, 0},
            {"hard-reverse", 20, 60, 0, true, 0, 1, 40},
            {"soft", 10, 50, 15, false, 0, 1, -35},
            {"soft-reverse-mix50", 0, 30, 30, true, 50, 1 + mode % 9, 70},
        };
        for (const Variant &v : variants) {
            std::snprintf(name, sizeof name, "mode%02d-%s-%s", mode, kModeNames[mode - 1], v.label);
            RenderCase c = Base(name, seed++);
            c.mode = mode;
            c.rangeStart = v.start;
            c.rangeEnd = v.end;
            c.blend = v.blend;
            c.reverse = v.reverse;
            c.mix = v.mix;
            c.channels = v.channels;
            c.stretch = v.stretch;
            // Hue and Angle read the angles: one plain interval, one that wraps through 0.
            c.angleStart = v.reverse ? 300 : 45;
            c.angleEnd = v.reverse ? 60 : 200;
            if (IsGeometric(mode) && v.blend > 0) {
                c.centerSet = true;
                c.centerX = c.width * 0.3;
                c.centerY = c.height * 0.65;
            }
            cases.push_back(c);
        }
    }

    // Every "Channels" choice at mixes 0, 50 and 100, with hard and soft selections.
    for (int32_t channels = 1; channels <= 9; ++channels) {
        for (double mix : {0.0, 50.0, 100.0}) {
            std::snprintf(name, sizeof name, "channels%d-mix%03d", channels, static_cast<int>(mix));
            RenderCase c = Base(name, seed++);
            c.channels = channels;
            c.mix = mix;
            c.mode = 1 + static_cast<int32_t>(seed % 14);
            c.rangeStart = 15;
            c.rangeEnd = 70;
            c.blend = channels % 2 == 0 ? 12 : 0;
            cases.push_back(c);
        }
    }

    // Frames a host may hand over: padded rows on both sides, a downsampled render, one row, one column.
    struct Shape {
        const char *label;
        int32_t width, height, inPad, outPad, downsample, mode;
    };
    const Shape shapes[] = {
        {"padded-rows", 33, 21, 12, 20, 1, 13},       {"downsampled-half-point", 40, 26, 0, 8, 2, 11},
        {"downsampled-half-angle", 38, 24, 4, 0, 2, 14}, {"single-row", 64, 1, 0, 0, 1, 2},
        {"single-column", 1, 48, 4, 0, 1, 12},         {"larger-frame-hue", 160, 90, 0, 0, 1, 8},
    };
    for (const Shape &s : shapes) {
        RenderCase c = Base(s.label, seed++);
        c.width = s.width;
        c.height = s.height;
        c.inputPadding = s.inPad;
        c.outputPadding = s.outPad;
        c.downsample = s.downsample;
        c.mode = s.mode;
        c.rangeStart = 10;
        c.rangeEnd = 40;
        c.blend = 8;
        c.mix = 25;
        c.stretch = -20;
        cases.push_back(c);
    }
    return cases;
}

aehost::Image CaseInput(const RenderCase &c) {
    aehost::Image image = aehost::Image::Make(c.width, c.height, c.width * 4 + c.inputPadding);
    uint64_t state = Mix64(c.seed);
    for (int32_t y = 0; y < c.height; ++y) {
        for (int32_t x = 0; x < c.width; ++x) {
            state = Mix64(state);
            const uint8_t r0 = static_cast<uint8_t>(state), r1 = static_cast<uint8_t>(state >> 8),
                          r2 = static_cast<uint8_t>(state >> 16), r3 = static_cast<uint8_t>(state >> 24);
            uint8_t *p = image.Pixel(x, y);
            switch ((state >> 32) % 4) {
                case 0:  // random bytes
                    p[0] = r0, p[1] = r1, p[2] = r2, p[3] = r3;
                    break;
                case 1:  // ramps across the frame
                    p[0] = static_cast<uint8_t>(255 - y * 255 / (c.height > 1 ? c.height - 1 : 1));
                    p[1] = static_cast<uint8_t>(x * 255 / (c.width > 1 ? c.width - 1 : 1));
                    p[2] = static_cast<uint8_t>(y * 255 / (c.height > 1 ? c.height - 1 : 1));
                    p[3] = static_cast<uint8_t>((x + y) * 7);
                    break;
                case 2:  // greys (no saturation, no hue)
                    p[0] = r0 | 0x80, p[1] = p[2] = p[3] = r1;
                    break;
                default:  // saturated colours and the extreme bytes
                    p[0] = (r0 & 1) ? 255 : 0;
                    p[1] = (r1 & 1) ? 255 : 0;
                    p[2] = (r1 & 2) ? 255 : (r2 & 1 ? 0 : r2);
                    p[3] = (r1 & 4) ? 255 : 0;
                    break;
            }
        }
    }
    // Row padding carries bytes too: the module must not read them as pixels.
    for (int32_t y = 0; y < c.height; ++y)
        for (int32_t i = c.width * 4; i < image.rowbytes; ++i) image.Row(y)[i] = static_cast<uint8_t>(0xA0 + i);
    return image;
}

bool RenderCaseOutput(aehost::Host &host, const RenderCase &c, aehost::Image *output, std::string *error) {
    host.ResetValues();
    host.SetDownsample(1, static_cast<uint32_t>(c.downsample));
    bool ok = host.SetSlider("Brightness", c.brightness) && host.SetSlider("Contrast", c.contrast) &&
              host.SetPopup("Channels", c.channels) && host.SetSlider("Mix with Original", c.mix) &&
              host.SetPopup("Choose Pixels by", c.mode) && host.SetColor("Color", c.color) &&
              host.SetSlider("Range Start", c.rangeStart) && host.SetSlider("Range End", c.rangeEnd) &&
              host.SetAngle("Angle Start", c.angleStart) && host.SetAngle("Angle End", c.angleEnd) &&
              host.SetCheckbox("Reverse Range", c.reverse) && host.SetSlider("Blend", c.blend) &&
              host.SetSlider("Stretch", c.stretch);
    if (ok && c.centerSet) ok = host.SetPoint("Center", c.centerX, c.centerY);
    if (!ok) {
        *error = c.name + ": a parameter is not registered as expected";
        return false;
    }
    const aehost::Image input = CaseInput(c);
    *output = aehost::Image::Make(c.width, c.height, c.width * 4 + c.outputPadding);
    PF_Err status = host.Render(input, *output);
    if (status != 0) {
        *error = c.name + ": main returned " + std::to_string(status);
        return false;
    }
    return true;
}

std::string CaseFileName(const RenderCase &c) { return c.name + ".argb"; }

}  // namespace orvtest
