#include "mask.h"

#include "chooser/pixel_chooser.h"
#include "effect/brightness_contrast_effect.h"
#include "support/world_image.h"

namespace orvcli {

namespace {

constexpr float kFixedToFloat = 1.0f / 65536.0f;

const PF_ParamDef &At(const std::vector<PF_ParamDef *> &params, int slot) { return *params[static_cast<size_t>(slot)]; }

}  // namespace

// Each line restates how the module's getter turns the host's value into what the render reads:
// - sliders: the 16.16 value as a float times 2^-16;
// - percent sliders ("Range Start", "Range End", "Blend"): the 16.16 value divided by their display
//   scale, 100, as integers (the remainder is lost), then times 2^-16;
// - angles: the value / 65536 minus the 90-degree offset, in double precision, then rounded to float;
// - popups: the 1-based value minus 1, reduced to its low 8 bits by the render;
// - the point: each coordinate / 65536 / the frame side in double precision, rounded to float (the
//   settings then multiply it by the same side).
orv::ChooserInputs ChooserInputsFromHost(const std::vector<PF_ParamDef *> &params, int32_t frameWidth,
                                         int32_t frameHeight) {
    auto slider = [&](int slot) { return static_cast<float>(At(params, slot).u.fd.value) * kFixedToFloat; };
    auto percent = [&](int slot) { return static_cast<float>(At(params, slot).u.fd.value / 100) * kFixedToFloat; };
    auto angle = [&](int slot) { return static_cast<float>(At(params, slot).u.ad.value / 65536.0 - 90.0); };
    auto fraction = [](PF_Fixed value, int32_t side) {
        return side == 0 ? 0.0f : static_cast<float>(value / 65536.0 / side);
    };
    const PF_PointDef &center = At(params, orv::kSlotCenter).u.td;

    orv::ChooserInputs in{};
    in.mode = orv::LowByte(static_cast<int32_t>(static_cast<uint32_t>(At(params, orv::kSlotChoosePixels).u.pd.value) - 1u));
    in.xFraction = fraction(center.x_value, frameWidth);
    in.yFraction = fraction(center.y_value, frameHeight);
    in.color = At(params, orv::kSlotColor).u.cd.value;
    in.rangeStart = percent(orv::kSlotRangeStart);
    in.rangeEnd = percent(orv::kSlotRangeEnd);
    in.angleStart = angle(orv::kSlotAngleStart);
    in.angleEnd = angle(orv::kSlotAngleEnd);
    in.reverse = At(params, orv::kSlotReverse).u.bd.value != 0;
    in.blend = percent(orv::kSlotBlend);
    in.stretch = slider(orv::kSlotStretch);
    return in;
}

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

}  // namespace orvcli
