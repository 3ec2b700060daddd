// The pixel work of one render: the chooser, the lookup table, the masked or weighted pass over
// every row with the channel restriction folded in.
#ifndef ORV_RENDER_RENDER_DRIVER_H
#define ORV_RENDER_RENDER_DRIVER_H

#include <cstdint>

#include "chooser/chooser_settings.h"

namespace orv {

class WorldImage;

// Writes the adjusted source into the destination (same size). False when an allocation failed: the
// destination is then left as it was (cleared by the render command) and the caller reports it.
bool RenderBrightnessContrast(WorldImage &source, WorldImage &destination, ChooserSettings settings, float mix,
                              float brightness, float contrast, int32_t channels, uint8_t chooserOption);

}  // namespace orv

#endif
