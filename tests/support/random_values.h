// Seeded random parameter values as a host stores them, shared by the native tests and the Windows
// host program (built on the same standard library: one seed, the same values).
#ifndef ORV_TESTS_SUPPORT_RANDOM_VALUES_H
#define ORV_TESTS_SUPPORT_RANDOM_VALUES_H

#include <cmath>
#include <cstdint>
#include <random>

#include "reference/render_reference.h"

namespace orvtest {

// Two decimals, as a person types a value.
inline double Typed(std::mt19937 &rng, double low, double high) {
    return std::round(std::uniform_real_distribution<double>(low, high)(rng) * 100) / 100;
}

// Values of a "Choose Pixels by" choice (1-based) and range shape (bit 0 start at zero, bit 1
// reversed, bit 2 soft); brightness, contrast, channels and mix from `run`. `extreme` sets one value
// at the far ends of what a host can store, or a popup outside its list.
inline orvref::HostValues RandomValues(std::mt19937 &rng, int run, int32_t choose, int shape, int32_t width,
                                       int32_t height, bool extreme = false) {
    orvref::HostValues v;
    v.choosePixels = choose, v.reverse = shape & 2, v.channels = 1 + run % 9;
    const bool zero = shape & 1, soft = shape & 4;
    v.brightness = run % 7 == 0 ? 0 : Typed(rng, -100, 100);
    v.contrast = run % 11 == 0 ? 100 : Typed(rng, -100, 100);
    const double mixes[] = {0, 0.2, 50, 100, -1, 0};
    v.mix = mixes[run % 6] < 0 ? Typed(rng, 0, 100) : mixes[run % 6];
    v.color = PF_Pixel{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    if (choose == 8 || choose == 14) {  // Hue, Angle: degrees; shown 90 reads as 0
        v.angleStart = zero ? 90 : Typed(rng, -270, 450);
        v.angleEnd = v.angleStart + Typed(rng, -40, 300);
        v.blend = soft ? Typed(rng, 1, 30) : 0;
    } else if (choose >= 11) {  // in percent of the frame width: at least two pixels of blend
        v.rangeStart = zero ? 0 : Typed(rng, 1, 40);
        v.rangeEnd = Typed(rng, v.rangeStart, 100);
        v.blend = soft ? Typed(rng, 200.0 / width, 50) : 0;
    } else {
        v.rangeStart = zero ? 0 : Typed(rng, 0.5, 60);
        v.rangeEnd = Typed(rng, v.rangeStart, 90);
        v.blend = soft ? Typed(rng, 1, 30) : 0;
    }
    if (choose >= 11) {
        v.centerSet = run % 5 != 0;
        v.centerX = Typed(rng, -0.2 * width, 1.2 * width), v.centerY = Typed(rng, -0.2 * height, 1.2 * height);
        v.stretch = (run % 3 - 1) * Typed(rng, 1, 100);
    }
    if (extreme) {  // one value at the far ends of what a host can store, or a popup outside its list
        using V = orvref::HostValues;
        double V::*const fields[] = {&V::brightness, &V::contrast, &V::mix,   &V::rangeStart, &V::rangeEnd, &V::angleStart,
                                     &V::angleEnd,   &V::blend,    &V::stretch, &V::centerX,  &V::centerY};
        const double ends[] = {INT32_MAX / 65536.0, INT32_MIN / 65536.0, 1000, -1000, 100.5, 36090, 20000, 0.01};
        const int32_t popups[] = {0, -5, 10, 15, 257, 265, INT32_MIN, INT32_MAX};
        if (rng() % 6 == 0)
            (rng() % 2 ? v.channels : v.choosePixels) = popups[rng() % 8];
        else
            v.*fields[rng() % 11] = ends[rng() % 8], v.centerSet = true;
    }
    return v;
}

}  // namespace orvtest

#endif
