#include "render/channel_pass.h"

#include <cstring>

#include "host/ae_interface.h"
#include "render/lookup_kernels.h"
#include "support/simd_level.h"
#include "support/world_image.h"

namespace orv {

namespace {

// For choices Red .. Green and Blue: which bytes of a pixel (alpha, red, green, blue) come back
// from the source.
struct Restore {
    uint8_t red, green, blue;
};
constexpr Restore kRestore[] = {
    {0, 0, 0},  // RGB (no pass)
    {0, 1, 1},  // Red
    {1, 0, 1},  // Green
    {1, 1, 0},  // Blue
    {0, 0, 1},  // Red and Green
    {0, 1, 0},  // Red and Blue
    {1, 0, 0},  // Green and Blue
};

inline uint8_t AbsoluteDifference(uint8_t source, uint8_t destination) {
    return source < destination ? static_cast<uint8_t>(destination - source)
                                : static_cast<uint8_t>(source - destination);
}

// Per pixel: (destination & ~keep) | (source & keep) on the four bytes as one word; the mask is
// built in memory order so the byte order of the machine does not matter.
void RestoreRow(const PF_Pixel *source, PF_Pixel *destination, int32_t columns, const Restore &restore) {
    const uint8_t bytes[4] = {0, static_cast<uint8_t>(restore.red ? 0xFF : 0),
                              static_cast<uint8_t>(restore.green ? 0xFF : 0),
                              static_cast<uint8_t>(restore.blue ? 0xFF : 0)};
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

void DifferenceRow(const PF_Pixel *source, PF_Pixel *destination, int32_t columns) {
    for (int32_t x = 0; x < columns; ++x) {
        destination[x].red = AbsoluteDifference(source[x].red, destination[x].red);
        destination[x].green = AbsoluteDifference(source[x].green, destination[x].green);
        destination[x].blue = AbsoluteDifference(source[x].blue, destination[x].blue);
    }
}

}  // namespace

ChannelPass::ChannelPass(WorldImage &source_, WorldImage &destination_, int32_t channels_)
    : source(&source_), destination(&destination_), channels(channels_), width(destination_.Width()),
      kernels(LookupKernelsFor(ActiveSimdLevel())) {}

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
        if (kernels && restores) {
            const Restore &r = kRestore[channels];
            const uint8_t keep[4] = {0, static_cast<uint8_t>(r.red ? 0xFF : 0), static_cast<uint8_t>(r.green ? 0xFF : 0),
                                     static_cast<uint8_t>(r.blue ? 0xFF : 0)};
            kernels->restore(s, d, keep, columns);
        } else if (kernels) {
            kernels->difference(s, d, columns);
        } else if (restores) {
            RestoreRow(s, d, columns, kRestore[channels]);
        } else {
            DifferenceRow(s, d, columns);
        }
    }
}

}  // namespace orv
