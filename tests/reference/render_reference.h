// A plain, slow restatement of a whole render of the effect, written from the rules alone and
// sharing no code with src/render: the brightness-contrast table, the lookup, the mix, the blend and
// the channel restriction, pixel by pixel. Selection and weights come from chooser_reference.h.
#ifndef ORV_TESTS_REFERENCE_RENDER_REFERENCE_H
#define ORV_TESTS_REFERENCE_RENDER_REFERENCE_H

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "aehost.h"
#include "reference/chooser_reference.h"

namespace orvref {

// Byte from a table value: t = value + 0.5 in single precision, clamped to 0..255, truncated.
inline uint8_t ClampToByte(float value) {
    const float t = static_cast<float>(static_cast<long double>(value) + 0.5L);
    if (t <= 0.0f) return 0;
    if (t >= 255.0f) return 255;
    return static_cast<uint8_t>(std::floor(t));
}

// g = (101 + B) / (101 - B), k = 100 / (100 - C) (C > 0) or (C + 100) / 100, each rounded to float;
// entry j from (128 + (j - 128) k) g in double, rounded to float; C == 100 exactly is the threshold.
inline std::array<uint8_t, 256> Table(float b, float c) {
    const double g = static_cast<float>((101.0L + b) / (101.0L - b));
    const double k = static_cast<float>(c > 0.0f ? 100.0L / (100.0L - c) : (c + 100.0L) / 100.0L);
    std::array<uint8_t, 256> table{};
    for (int j = 0; j < 256; ++j)
        table[j] = c == 100.0f ? (j >= 128 ? 255 : 0) : ClampToByte(static_cast<float>((128.0 + (j - 128) * k) * g));
    return table;
}

// The parameters as a host holds them, in the units it shows: sliders in their displayed units
// (Range Start/End and Blend in percent), angles in displayed degrees, popups 1-based, the centre in
// pixels of the rendered frame (at 50 %, 50 % when not set).
struct HostValues {
    double brightness = 0, contrast = 0, mix = 0;
    int32_t channels = 1, choosePixels = 1;
    bool centerSet = false;
    double centerX = 0, centerY = 0;
    PF_Pixel color{255, 0, 0, 0};
    double rangeStart = 0, rangeEnd = 25, angleStart = 90, angleEnd = 180;
    bool reverse = false;
    double blend = 0, stretch = 0;
};

// Sets every parameter of a host from the record, each by its registered name, the centre only
// when set; false when a parameter is missing.
inline bool ApplyHostValues(aehost::Host &host, const HostValues &v) {
    host.ResetValues();
    return host.SetSlider("Brightness", v.brightness) && host.SetSlider("Contrast", v.contrast) &&
           host.SetPopup("Channels", v.channels) && host.SetSlider("Mix with Original", v.mix) &&
           host.SetPopup("Choose Pixels by", v.choosePixels) && host.SetColor("Color", v.color) &&
           host.SetSlider("Range Start", v.rangeStart) && host.SetSlider("Range End", v.rangeEnd) &&
           host.SetAngle("Angle Start", v.angleStart) && host.SetAngle("Angle End", v.angleEnd) &&
           host.SetCheckbox("Reverse Range", v.reverse) && host.SetSlider("Blend", v.blend) &&
           host.SetSlider("Stretch", v.stretch) && (!v.centerSet || host.SetPoint("Center", v.centerX, v.centerY));
}

// x 65536 truncated, held in 32 bits: beyond them the host stores the limit.
inline int32_t HostFixed(double x) {
    const double scaled = std::trunc(x * 65536.0);
    return scaled >= 2147483647.0 ? INT32_MAX : scaled <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(scaled);
}
inline float SliderReading(double shown) { return static_cast<float>(HostFixed(shown) / 65536.0L); }
// Percent sliders read back divided by 100 (the fixed value divided as an integer).
inline float PercentReading(double shown) { return static_cast<float>((HostFixed(shown) / 100) / 65536.0L); }
// The shown angle is the read value plus 90 degrees.
inline float AngleReading(double shown) { return static_cast<float>(HostFixed(shown) / 65536.0L - 90.0L); }
// A point coordinate as a fraction of the frame side, then back to pixels of the frame.
inline float CenterReading(int32_t fixed, int32_t side) {
    if (side == 0) return 0.0f;
    const float fraction = static_cast<float>(fixed / 65536.0L / side);
    return static_cast<float>(static_cast<long double>(fraction) * side);
}

// The chooser's settings for a frame of frameWidth x frameHeight pixels (the rendered size).
inline orv::ChooserSettings RefSettings(const HostValues &v, int32_t frameWidth, int32_t frameHeight) {
    orv::ChooserSettings s{};
    const int32_t mode = static_cast<int32_t>((int64_t{v.choosePixels} - 1) & 0xFF);  // the low byte of the index
    s.centerX = CenterReading(HostFixed(v.centerSet ? v.centerX : 0.5 * frameWidth), frameWidth);
    s.centerY = CenterReading(HostFixed(v.centerSet ? v.centerY : 0.5 * frameHeight), frameHeight);
    s.mode = mode, s.color = v.color, s.reverse = v.reverse ? 1 : 0, s.stretch = SliderReading(v.stretch);
    // Ranges and blend in the mode's units: degrees (blend x 180), x 300, pixels of the frame width.
    const long double unit =
        mode == 7 || mode == 13 ? 180 : mode >= 1 && mode <= 9 ? 300 : mode >= 10 && mode <= 12 ? frameWidth : 1;
    s.blend = static_cast<float>(PercentReading(v.blend) * unit);
    if (mode == 7 || mode == 13)
        s.rangeStart = AngleReading(v.angleStart), s.rangeEnd = AngleReading(v.angleEnd);
    else if (mode >= 1 && mode <= 12)
        s.rangeStart = static_cast<float>(PercentReading(v.rangeStart) * unit),
        s.rangeEnd = static_cast<float>(PercentReading(v.rangeEnd) * unit);
    return s;
}

// The expected output, packed (width x 4 bytes a row, no padding); the rendered frame is the input.
inline std::vector<uint8_t> Render(const aehost::Image &input, const HostValues &v) {
    const std::array<uint8_t, 256> table = Table(SliderReading(v.brightness), SliderReading(v.contrast));
    const RefChooser chooser = MakeRefChooser(RefSettings(v, input.width, input.height), input.width, input.height);
    const float mix = SliderReading(v.mix);
    const bool weighted = chooser.soft || mix > 0.0f;
    const int32_t mixWeight = static_cast<int32_t>(std::trunc(static_cast<double>(mix) * static_cast<double>(2.56f)));
    const int32_t channels = static_cast<int32_t>((int64_t{v.channels} - 1) & 0xFF);

    std::vector<uint8_t> out;
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x) {
            const uint8_t *source = input.Pixel(x, y);  // alpha, red, green, blue
            const PF_Pixel p{source[0], source[1], source[2], source[3]};
            uint8_t adjusted[4];  // the table on colour, or on alpha alone for "Alpha"; the other bytes kept
            for (int i = 0; i < 4; ++i) adjusted[i] = (i == 0) == (channels == 8) ? table[source[i]] : source[i];
            // A hard choice is the weight 256 or 0 (the adjusted or the source byte). The scaled weight is
            // shifted arithmetically (floor); weights beyond 0..256 are the ends.
            int32_t w = weighted ? RefWeight(chooser, x, y, p) : RefChosen(chooser, x, y, p) ? 256 : 0;
            if (weighted && mixWeight != 0) w = static_cast<int32_t>(std::floor(Wrap32(int64_t{w} * (256 - mixWeight)) / 256.0));
            w = w < 0 ? 0 : w > 256 ? 256 : w;
            uint8_t result[4];
            for (int i = 0; i < 4; ++i) result[i] = static_cast<uint8_t>((adjusted[i] * w + source[i] * (256 - w)) / 256);
            // Colour bytes each channel choice puts back from the source (index 1..6).
            static const bool kBack[7][3] = {{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
            for (int i = 1; i < 4; ++i) {
                if (channels >= 1 && channels <= 6 && kBack[channels][i - 1]) result[i] = source[i];
                if (channels == 7) result[i] = static_cast<uint8_t>(std::abs(source[i] - result[i]));
            }
            out.insert(out.end(), result, result + 4);
        }
    return out;
}

}  // namespace orvref

#endif
