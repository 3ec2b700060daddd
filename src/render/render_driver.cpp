#include "render/render_driver.h"

#include "chooser/pixel_chooser.h"
#include "render/channel_pass.h"
#include "render/lookup_processor.h"
#include "support/world_image.h"

namespace orv {

bool RenderBrightnessContrast(WorldImage &source, WorldImage &destination, ChooserSettings settings, float mix,
                              float brightness, float contrast, int32_t channels, uint8_t chooserOption) {
    PixelChooser chooser(chooserOption, settings, &source);
    if (chooser.Failed()) return false;
    const bool alpha = channels == kChannelsAlpha;
    LookupProcessor processor(source, destination, mix, &chooser, alpha ? 1 : 0);
    if (!processor.Ok()) return false;
    processor.BuildBrightnessContrastTable(brightness, contrast);

    // The lookup pass restricts the channels as it writes each row: no channel pass follows.
    processor.FoldChannels(channels);

    // The hard pass needs no weights: taken whenever nothing blends.
    if (chooser.IsSoft() || mix > 0.0f)
        processor.RunWeighted();
    else
        processor.RunMasked(alpha);
    return true;
}

}  // namespace orv
