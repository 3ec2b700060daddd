// The channel restriction on its own: each "Channels" choice on random rows, over padded strides.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "render/channel_pass.h"
#include "support/world_image.h"

namespace {

enum Rule { kKeep, kSource, kDiff };  // destination byte kept, taken from source, |source - destination|
struct ChoiceCase {
    int32_t channels;
    Rule red, green, blue;
};

// Rows of `width` pixels at `rowBytes` intervals, random bytes (padding included).
std::vector<uint8_t> RandomBuffer(std::mt19937 &rng, int32_t rowBytes, int32_t height) {
    std::vector<uint8_t> bytes(static_cast<size_t>(rowBytes) * height);
    for (uint8_t &b : bytes) b = static_cast<uint8_t>(rng());
    return bytes;
}

uint8_t Apply(Rule rule, uint8_t source, uint8_t destination) {
    switch (rule) {
        case kKeep: return destination;
        case kSource: return source;
        default: return static_cast<uint8_t>(std::abs(source - destination));
    }
}

TEST(ChannelPass, EachChoiceOnRandomRowsWithPaddedStrides) {
    const ChoiceCase cases[] = {
        {0, kKeep, kKeep, kKeep},       {1, kKeep, kSource, kSource}, {2, kSource, kKeep, kSource},
        {3, kSource, kSource, kKeep},   {4, kKeep, kKeep, kSource},   {5, kKeep, kSource, kKeep},
        {6, kSource, kKeep, kKeep},     {7, kDiff, kDiff, kDiff},     {8, kKeep, kKeep, kKeep},
        {9, kKeep, kKeep, kKeep},       {255, kKeep, kKeep, kKeep},   {-1, kKeep, kKeep, kKeep},
    };
    const struct {
        int32_t width, height, sourcePad, destinationPad;
    } shapes[] = {{1, 1, 0, 0}, {7, 5, 0, 12}, {13, 9, 3, 0}, {31, 4, 17, 5}, {0, 3, 0, 0}};
    std::mt19937 rng(7);
    for (const ChoiceCase &c : cases) {
        for (const auto &shape : shapes) {
            const int32_t sourceStride = shape.width * 4 + shape.sourcePad;
            const int32_t destinationStride = shape.width * 4 + shape.destinationPad;
            std::vector<uint8_t> source = RandomBuffer(rng, sourceStride, shape.height);
            std::vector<uint8_t> destination = RandomBuffer(rng, destinationStride, shape.height);
            const std::vector<uint8_t> sourceBefore = source;
            const std::vector<uint8_t> before = destination;

            orv::WorldImage in, out;
            const auto w = static_cast<int16_t>(shape.width), h = static_cast<int16_t>(shape.height);
            ASSERT_TRUE(in.Attach(w, h, sourceStride, source.data()));
            ASSERT_TRUE(out.Attach(w, h, destinationStride, destination.data()));
            orv::ChannelPass pass(in, out, c.channels);
            pass.Run();

            EXPECT_EQ(source, sourceBefore);
            for (int32_t y = 0; y < shape.height; ++y)
                for (int32_t x = 0; x < destinationStride; ++x) {
                    const size_t at = static_cast<size_t>(y) * destinationStride + x;
                    uint8_t expected = before[at];  // alpha and row padding are never touched
                    const int byte = x % 4;
                    if (x < shape.width * 4 && byte != 0) {
                        const uint8_t s = source[static_cast<size_t>(y) * sourceStride + x];
                        const Rule rule = byte == 1 ? c.red : byte == 2 ? c.green : c.blue;
                        expected = Apply(rule, s, before[at]);
                    }
                    ASSERT_EQ(destination[at], expected)
                        << "channels " << c.channels << " size " << shape.width << "x" << shape.height << " row "
                        << y << " byte " << x;
                }
        }
    }
}

}  // namespace
