// `orvane mask`: the pixel chooser's selection, computed by the effect's own chooser code from the
// values the host holds, so that it shows exactly what a render chooses.
#ifndef ORVANE_CLI_MASK_H
#define ORVANE_CLI_MASK_H

#include <cstdint>
#include <vector>

#include "aehost.h"
#include "effect/render_settings.h"
#include "frame.h"

namespace orvcli {

// One byte per pixel: 255 fully adjusted, 0 untouched; soft weights 0..256 scaled to 0..255
// (rounded), hard selections 0 or 255. Status 2 when the chooser cannot get its buffers.
Outcome ComputeMask(const orv::ChooserSettings &settings, const aehost::Image &input, std::vector<uint8_t> *mask);

// The mask as an opaque grey ARGB frame (alpha 255, red = green = blue = the mask byte).
void MaskToArgb(const std::vector<uint8_t> &mask, int32_t width, int32_t height, aehost::Image *out);

// The selection of the frame `in` with the values `host` holds, read by the effect's own getters as
// in a render of this frame, as an opaque grey ARGB frame in `out`.
Outcome RenderMask(aehost::Host &host, const aehost::Image &in, aehost::Image &out);

}  // namespace orvcli

#endif
