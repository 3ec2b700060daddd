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
//   by (w (256 - m)) >> 8 when m = trunc(mix 2.56) is not 0. "Red" .. "Green and Blue" put the other
//   colour bytes back from the source; "Difference" writes |source - result| for the colour bytes.
#ifndef ORV_TESTS_REFERENCE_RENDER_REFERENCE_H
#define ORV_TESTS_REFERENCE_RENDER_REFERENCE_H

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

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

}  // namespace orvref

#endif
