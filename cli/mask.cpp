#include "mask.h"

#include "chooser/pixel_chooser.h"
#include "effect/brightness_contrast_effect.h"
#include "host/host_context.h"
#include "support/world_image.h"

namespace orvcli {

Outcome ComputeMask(const orv::ChooserSettings &settings, const aehost::Image &input, std::vector<uint8_t> *mask) {
    orv::WorldImage source;
    if (!source.Attach(static_cast<int16_t>(input.width), static_cast<int16_t>(input.height), input.rowbytes,
                       const_cast<uint8_t *>(input.pixels.data())))
        return Outcome::Fail(2, "out of memory");
    orv::PixelChooser chooser(0, settings, &source);
    if (chooser.Failed()) return Outcome::Fail(2, "out of memory");

    mask->assign(static_cast<size_t>(input.width) * static_cast<size_t>(input.height), 255);
    if (chooser.IsAll()) return Outcome::Ok();
    for (int32_t y = 0; y < input.height; ++y) {
        const PF_Pixel *row = reinterpret_cast<const PF_Pixel *>(input.Row(y));
        uint8_t *out = mask->data() + static_cast<size_t>(y) * input.width;
        if (chooser.IsSoft()) {
            if (chooser.IsMeasured())
                chooser.WeightPixels(row);
            else
                chooser.WeightRow(y);
            const int32_t *weights = chooser.Weights();
            for (int32_t x = 0; x < input.width; ++x) {
                int32_t w = weights[x] < 0 ? 0 : weights[x] > 256 ? 256 : weights[x];
                out[x] = static_cast<uint8_t>((w * 255 + 128) >> 8);
            }
        } else {
            if (chooser.IsMeasured())
                chooser.MaskPixels(row);
            else
                chooser.MaskRow(y);
            const uint8_t *chosen = chooser.Mask();
            for (int32_t x = 0; x < input.width; ++x) out[x] = chosen[x] ? 255 : 0;
        }
    }
    return Outcome::Ok();
}

void MaskToArgb(const std::vector<uint8_t> &mask, int32_t width, int32_t height, aehost::Image *out) {
    if (out->width != width || out->height != height || out->rowbytes != width * 4)
        *out = aehost::Image::Make(width, height);
    for (size_t i = 0; i < mask.size(); ++i) {
        uint8_t *p = out->pixels.data() + 4 * i;
        p[0] = 255;
        p[1] = p[2] = p[3] = mask[i];
    }
}

Outcome RenderMask(aehost::Host &host, const aehost::Image &in, aehost::Image &out) {
    host.PrepareRender(in);
    orv::SetHostContext(PF_Cmd_RENDER, &host.InData(), &host.OutData(), host.ParamArray().data(), nullptr, nullptr);
    orv::BrightnessContrastEffect effect;
    orv::RenderSettings settings{};
    if (!effect.ReadSettings(&settings)) return Outcome::Fail(2, "out of memory reading the parameters");
    std::vector<uint8_t> mask;
    Outcome outcome = ComputeMask(settings.chooser, in, &mask);
    if (outcome.ok()) MaskToArgb(mask, in.width, in.height, &out);
    return outcome;
}

}  // namespace orvcli
