#include "render/channel_pass.h"

#include <cstring>

#include "host/ae_interface.h"
#include "render/pixel_blend.h"
#include "support/world_image.h"

namespace orv {

namespace {

// For choices Red .. Green and Blue: the bytes of a pixel (memory order alpha, red, green, blue)
// that come back from the source.
constexpr uint8_t kRestore[][4] = {
    {0, 0, 0, 0},           // RGB (no pass)
    {0, 0, 0xFF, 0xFF},     // Red
    {0, 0xFF, 0, 0xFF},     // Green
    {0, 0xFF, 0xFF, 0},     // Blue
    {0, 0, 0, 0xFF},        // Red and Green
    {0, 0, 0xFF, 0},        // Red and Blue
    {0, 0xFF, 0, 0},        // Green and Blue
};

// Per pixel: (destination & ~keep) | (source & keep) on the four bytes as one word; the mask is
// in memory order so the byte order of the machine does not matter.
void RestoreRow(const PF_Pixel *source, PF_Pixel *destination, int32_t columns, const uint8_t bytes[4]) {
    uint32_t keep;
    std::memcpy(&keep, bytes, sizeof keep);
    for (int32_t x = 0; x < columns; ++x) {
        uint32_t s, d;
        std::memcpy(&s, &source[x], sizeof s);
        std::memcpy(&d, &destination[x], sizeof d);
        d = (d & ~keep) | (s & keep);
        std::memcpy(&destination[x], &d, sizeof d);
    }
}

}  // namespace

ChannelPass::ChannelPass(WorldImage &source_, WorldImage &destination_, int32_t channels_)
    : source(&source_), destination(&destination_), channels(channels_), width(destination_.Width()) {}

void ChannelPass::Run() {
    const bool restores = channels >= kChannelsRed && channels <= kChannelsGreenBlue;
    if (!restores && channels != kChannelsDifference) return;
    // Only where both images have pixels (they are the same size in every host render).
    const int32_t columns = width < source->Width() ? width : source->Width();
    const int32_t rows = destination->Height() < source->Height() ? destination->Height() : source->Height();
    RowCursor in(*source, 0);
    RowCursor out(*destination, 0);
    for (int32_t y = 0; y < rows; ++y, in.Advance(), out.Advance()) {
        const PF_Pixel *s = reinterpret_cast<const PF_Pixel *>(in.Row());
        PF_Pixel *d = reinterpret_cast<PF_Pixel *>(out.Row());
        if (restores)
            RestoreRow(s, d, columns, kRestore[channels]);
        else
            for (int32_t x = 0; x < columns; ++x) DifferencePixel(s[x], d[x]);
    }
}

}  // namespace orv
