#include "support/world_image.h"

#include "support/memory.h"

namespace orv {

WorldImage::WorldImage(ImageDescriptor **handle_)
    : handle(handle_), descriptor(nullptr), width(0), height(0) {
    if (handle) {
        width = static_cast<int16_t>((*handle)->right - (*handle)->left);
        height = static_cast<int16_t>((*handle)->bottom - (*handle)->top);
    }
}

WorldImage::~WorldImage() { Release(); }

bool WorldImage::Attach(int16_t width_, int16_t height_, int32_t rowBytes, uint8_t *baseAddress) {
    Release();
    if (baseAddress) {
        descriptor = static_cast<ImageDescriptor *>(Allocate(sizeof(ImageDescriptor)));
        if (!descriptor) return false;
        *descriptor = ImageDescriptor{0, 0, width_, height_, rowBytes, 32, baseAddress};
        handle = &descriptor;
    }
    width = width_;
    height = height_;
    if (handle) {
        width = static_cast<int16_t>((*handle)->right - (*handle)->left);
        height = static_cast<int16_t>((*handle)->bottom - (*handle)->top);
    }
    return true;
}

void WorldImage::Release() {
    handle = nullptr;
    width = 0;
    height = 0;
    if (descriptor) {
        orv::Release(descriptor);
        descriptor = nullptr;
    }
}

namespace {

// A cursor taking the whole row length walks exactly the rows the host declared. One taking its low
// 14 bits never steps further than a row length of 0 or more, so such rows stay inside the host's
// buffer; rows going up in memory (a negative row length) would be walked downward out of it unless
// there is only one row or the stride is 0. A negative side describes no buffer at all.
bool CursorStaysInside(const PF_EffectWorld &world) {
    if (world.width < 0 || world.height < 0) return false;
    const int32_t stride = RowCursor::StrideOf(world.rowbytes);
    return static_cast<int16_t>(world.height) <= 1 || stride == 0 || stride <= world.rowbytes;
}

}  // namespace

OrvWorld::OrvWorld(const PF_EffectWorld *world, int option) {
    (void)option;
    if (!world || !world->data || !CursorStaysInside(*world)) return;
    image.Attach(static_cast<int16_t>(world->width), static_cast<int16_t>(world->height), world->rowbytes,
                 reinterpret_cast<uint8_t *>(world->data));
}

}  // namespace orv
