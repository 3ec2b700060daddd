// Benchmark frames: the test photographs tiled to a frame size, and seeded noise.
#ifndef ORV_BENCH_BENCH_FRAMES_H
#define ORV_BENCH_BENCH_FRAMES_H

#include <cstdint>
#include <string>

#include "aehost.h"

namespace orvbench {

// The photographs of tests/data (astronaut, coffee, chelsea) scaled to the frame height (nearest
// pixel) and laid side by side until the width is covered; alpha is a left-to-right ramp so that the
// Alpha mode has something to choose. Empty image when a photograph cannot be read.
aehost::Image PhotoFrame(int32_t width, int32_t height, std::string *error);

// Seeded random bytes in all four channels.
aehost::Image NoiseFrame(int32_t width, int32_t height, uint32_t seed);

}  // namespace orvbench

#endif
