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

    // Vector kernels restrict the channels as they write each row; the plain loops run the channel
    // pass afterwards.
    const bool folded = processor.FoldChannels(channels);

    // The hard pass needs no temporary row and no weights: taken whenever nothing blends.
    const bool weighted = chooser.IsSoft() || mix > 0.0f;
    if (weighted)
        processor.RunWeighted();
    else
        processor.RunMasked(alpha);

    if (!folded && channels != kChannelsRgb && channels != kChannelsAlpha) {
        ChannelPass pass(source, destination, channels);
        pass.Run();
    }
    return true;
}

}  // namespace orv
