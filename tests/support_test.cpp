// Image views, row cursor and memory handles.
#include <gtest/gtest.h>

#include <vector>

#include "support/handles.h"
#include "support/world_image.h"

namespace {

using namespace orv;

TEST(WorldImage, AttachDescribesTheHostPixels) {
    std::vector<uint8_t> pixels(64);
    struct Case {
        int16_t width, height;
        int32_t rowBytes;
        uint8_t *base;
        bool hasHandle;
    };
    const Case cases[] = {{0, 0, 0, pixels.data(), true},   // 0 x 0 with pixels: attached
                          {4, 2, 32, pixels.data(), true},
                          {4, 2, 16, nullptr, false}};       // no pixels: size kept, no descriptor
    for (const Case &c : cases) {
        WorldImage image;
        EXPECT_TRUE(image.Attach(c.width, c.height, c.rowBytes, c.base));
        EXPECT_EQ(image.Width(), c.width);
        EXPECT_EQ(image.Height(), c.height);
        EXPECT_EQ(image.Handle() != nullptr, c.hasHandle);
        if (c.hasHandle) {
            const ImageDescriptor &d = **image.Handle();
            EXPECT_EQ(d.right - d.left, c.width);
            EXPECT_EQ(d.bottom - d.top, c.height);
            EXPECT_EQ(d.pixelBits, 32);
            EXPECT_EQ(d.baseAddress, c.base);
        }
        image.Release();
        EXPECT_EQ(image.Handle(), nullptr);
        EXPECT_EQ(image.Width(), 0);
    }
}

TEST(WorldImage, ReattachReplacesTheDescriptorAndWideSidesReadNegative) {
    std::vector<uint8_t> a(16), b(16);
    WorldImage image;
    image.Attach(2, 2, 8, a.data());
    image.Attach(1, 1, 4, b.data());
    EXPECT_EQ((*image.Handle())->baseAddress, b.data());
    EXPECT_EQ(image.Width(), 1);

    PF_LayerDef world{};
    world.data = reinterpret_cast<PF_Pixel *>(a.data());
    world.width = 40000;  // beyond 16 bits signed
    world.height = 1;
    world.rowbytes = 4;
    OrvWorld wrapped(&world, 0);
    EXPECT_EQ(wrapped.Image().Width(), static_cast<int16_t>(40000));
    EXPECT_LT(wrapped.Image().Width(), 0);

    world.data = nullptr;
    OrvWorld empty(&world, 0);
    EXPECT_EQ(empty.Image().Handle(), nullptr);
    EXPECT_EQ(empty.Image().Width(), 0);
}

TEST(RowCursor, StrideKeepsTheLowFourteenBits) {
    std::vector<uint8_t> pixels(4 * 20000 * 2);
    const std::pair<int32_t, int16_t> cases[] = {{40, 40}, {16383, 16383}, {16384, 0}, {16388, 4}, {80000, 80000 & 0x3FFF}};
    for (auto [rowBytes, stride] : cases) {
        WorldImage image;
        image.Attach(1, 2, rowBytes, pixels.data());
        RowCursor cursor(image, 0);
        EXPECT_EQ(cursor.Stride(), stride) << rowBytes;
        EXPECT_EQ(cursor.Row(), pixels.data());
        cursor.Advance();
        EXPECT_EQ(cursor.Row(), pixels.data() + stride);
    }
}

TEST(Handles, BlocksAreZeroedAndDisposable) {
    for (int32_t size : {0, 1, 4096}) {
        Handle h = NewHandle(size);
        ASSERT_NE(h, nullptr);
        if (size > 0) {
            ASSERT_NE(h->blockAddress, nullptr);
            const uint8_t *block = static_cast<const uint8_t *>(h->blockAddress);
            for (int32_t i = 0; i < size; ++i) ASSERT_EQ(block[i], 0);
        }
        DisposeHandle(h);
    }
    DisposeHandle(nullptr);
}

}  // namespace
