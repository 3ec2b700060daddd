// A plain, slow restatement of a whole render of the effect, written from the rules alone and
// sharing no code with src/render: the brightness-contrast table, the per-pixel lookup, the mix,
// the blend and the channel restriction. Selection and weights come from chooser_reference.h.
//
// Rules restated here:
//   g = (101 + B) / (101 - B) and k = 100 / (100 - C) (C > 0) or (C + 100) / 100, each rounded to
//   float; v_j = (128 + (j - 128) k) g in double, rounded to float; byte = t <= 0 ? 0 : t >= 255 ?
//   255 : trunc(t) with t = float(v_j + 0.5); C == 100 exactly gives the threshold at 128.
//   A pixel chosen by hard selection is looked up (colour bytes, or alpha alone when "Channels" is
//   "Alpha", keeping the source colour); an unchosen one is the source. Under soft selection or a
//   mix above 0 every byte is (adjusted w + source (256 - w)) >> 8 with the chooser's weight w, scaled
//   by (w (256 - m)) >> 8 when m = trunc(mix 2.56) is not 0; weights beyond 0..256 count as 0 or
//   256. "Red" .. "Green and Blue" put the other colour bytes back from the source; "Difference"
//   writes |source - result| for the colour bytes.
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

inline float Gain(float b) { return static_cast<float>((101.0L + b) / (101.0L - b)); }

inline float Slope(float c) {
    return c > 0.0f ? static_cast<float>(100.0L / (100.0L - c)) : static_cast<float>((c + 100.0L) / 100.0L);
}

// Table value before clamping, entry by entry from the formula (no pairing).
inline float TableValue(float b, float c, int j) {
    return static_cast<float>((128.0 + (j - 128) * static_cast<double>(Slope(c))) * static_cast<double>(Gain(b)));
}

inline std::array<uint8_t, 256> Table(float b, float c) {
    std::array<uint8_t, 256> table{};
    for (int j = 0; j < 256; ++j)
        table[j] = c == 100.0f ? (j >= 128 ? 255 : 0) : ClampToByte(TableValue(b, c, j));
    return table;
}


// ---- from the host's values to what the render reads ---------------------------------------------

// The parameters as a host holds them, in the units it shows: sliders in their displayed units
// (Range Start/End and Blend in percent), angles in displayed degrees, popups 1-based, the centre in
// pixels of the rendered frame (at 50 %, 50 % when not set).
struct HostValues {
    double brightness = 0, contrast = 0, mix = 0;
    int32_t channels = 1;
    int32_t choosePixels = 1;
    bool centerSet = false;
    double centerX = 0, centerY = 0;
    PF_Pixel color{255, 0, 0, 0};
    double rangeStart = 0, rangeEnd = 25;
    double angleStart = 90, angleEnd = 180;
    bool reverse = false;
    double blend = 0;
    double stretch = 0;
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

// ---- the render ------------------------------------------------------------------------------------

// The expected output, packed (width x 4 bytes a row, no padding). frameWidth/Height: the rendered
// frame size (0 = the input's).
inline std::vector<uint8_t> Render(const aehost::Image &input, const HostValues &v, int32_t frameWidth = 0,
                                   int32_t frameHeight = 0) {
    if (frameWidth == 0) frameWidth = input.width;
    if (frameHeight == 0) frameHeight = input.height;
    const std::array<uint8_t, 256> table = Table(SliderReading(v.brightness), SliderReading(v.contrast));
    const RefChooser chooser = MakeRefChooser(RefSettings(v, frameWidth, frameHeight), input.width, input.height);
    const float mix = SliderReading(v.mix);
    const bool weighted = chooser.soft || mix > 0.0f;
    const int32_t mixWeight = static_cast<int32_t>(std::trunc(static_cast<double>(mix) * static_cast<double>(2.56f)));
    const int32_t channels = static_cast<int32_t>((int64_t{v.channels} - 1) & 0xFF);

    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(input.width) * input.height * 4);
    for (int32_t y = 0; y < input.height; ++y)
        for (int32_t x = 0; x < input.width; ++x) {
            const uint8_t *at = input.Pixel(x, y);
            const PF_Pixel p{at[0], at[1], at[2], at[3]};
            const uint8_t source[4] = {p.alpha, p.red, p.green, p.blue};
            uint8_t adjusted[4] = {p.alpha, table[p.red], table[p.green], table[p.blue]};
            if (channels == 8)  // "Alpha": the table on alpha alone, colour kept
                adjusted[0] = table[p.alpha], adjusted[1] = p.red, adjusted[2] = p.green, adjusted[3] = p.blue;
            uint8_t result[4];
            if (weighted) {
                int32_t w = RefWeight(chooser, x, y, p);
                // The scaled weight is shifted arithmetically (floor); weights beyond 0..256 are the ends.
                if (mixWeight != 0) w = static_cast<int32_t>(std::floor(Wrap32(int64_t{w} * (256 - mixWeight)) / 256.0));
                w = w < 0 ? 0 : w > 256 ? 256 : w;
                for (int i = 0; i < 4; ++i) result[i] = static_cast<uint8_t>((adjusted[i] * w + source[i] * (256 - w)) / 256);
            } else {
                const bool chosen = RefChosen(chooser, x, y, p);
                for (int i = 0; i < 4; ++i) result[i] = chosen ? adjusted[i] : source[i];
            }
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
