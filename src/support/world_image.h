// The effect's view of a host image (WorldImage), the wrapper that makes one from a host record
// (OrvWorld), and the row cursor every row walk uses. None of them owns or copies pixels.
#ifndef ORV_SUPPORT_WORLD_IMAGE_H
#define ORV_SUPPORT_WORLD_IMAGE_H

#include <cstdint>

#include "host/ae_interface.h"

namespace orv {

struct ImageDescriptor {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    int32_t rowBytes;
    int32_t pixelBits;
    uint8_t *baseAddress;
};

class WorldImage {
public:
    // Takes width and height from the descriptor when the handle is set.
    explicit WorldImage(ImageDescriptor **handle = nullptr);
    virtual ~WorldImage();
    WorldImage(const WorldImage &) = delete;
    WorldImage &operator=(const WorldImage &) = delete;

    // Describes the given pixels; false when no descriptor could be allocated (the image stays empty).
    // A null base address leaves an image of the given size without pixels.
    bool Attach(int16_t width, int16_t height, int32_t rowBytes, uint8_t *baseAddress);
    void Release();

    // Sides are 16-bit and read as signed: hosts keep images below 32768 pixels a side.
    int16_t Width() const { return width; }
    int16_t Height() const { return height; }
    ImageDescriptor **Handle() const { return handle; }

    // Row length and first pixel, or 0 and null for an image without pixels.
    int32_t RowBytes() const { return handle ? (*handle)->rowBytes : 0; }
    uint8_t *BaseAddress() const { return handle ? (*handle)->baseAddress : nullptr; }

private:
    ImageDescriptor **handle;
    ImageDescriptor *descriptor;
    int16_t width;
    int16_t height;
};

class OrvWorld {
public:
    // Option 0 describes the host's own pixels (the only option this effect uses). A record the
    // row cursor cannot walk inside the host's buffer (a negative side, or rows going up in memory
    // that the cursor's stride would walk down) is described as without pixels.
    OrvWorld(const PF_EffectWorld *world, int option);
    WorldImage &Image() { return image; }

private:
    WorldImage image;
};

// Whether the row cursor steps by the whole row length. The 32-bit Windows module keeps the low 14
// bits of it as a signed 16-bit number, as the single-threaded hosts of its time were served; the
// 64-bit and native modules take the whole length, so rows of 16384 bytes or more (4096 pixels and
// wider) are walked as the host laid them out.
#if defined(_WIN32) && !defined(_WIN64)
constexpr bool kWholeRowStride = false;
#else
constexpr bool kWholeRowStride = true;
#endif

// Steps through an image row by row.
class RowCursor {
public:
    // The stride a cursor takes for a row length: the whole length, or its low 14 bits (0..16383).
    static int32_t StrideOf(int32_t rowBytes) {
        return kWholeRowStride ? rowBytes : static_cast<int16_t>(rowBytes & 0x3FFF);
    }

    RowCursor(const WorldImage &image, int32_t row)
        : stride(StrideOf(image.RowBytes())),
          address(image.BaseAddress() ? image.BaseAddress() + static_cast<intptr_t>(row) * stride : nullptr) {}
    uint8_t *Row() const { return address; }
    void Advance() { address += stride; }
    int32_t Stride() const { return stride; }

private:
    int32_t stride;
    uint8_t *address;
};

}  // namespace orv

#endif
