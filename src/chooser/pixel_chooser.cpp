#include "chooser/pixel_chooser.h"

#include <cstring>

#include "chooser/measures.h"
#include "numeric/arctan_table.h"
#include "support/memory.h"
#include "support/strings.h"
#include "support/world_image.h"

namespace orv {

PixelChooser::PixelChooser(uint8_t chooserOption_, ChooserSettings settings, const WorldImage *source)
    : chooserOption(chooserOption_),
      mask(nullptr),
      weights(nullptr),
      valid(0),
      chooseAll(0),
      measured(0),
      soft(0),
      geometric(0) {
    ChooserState &c = state;
    std::memset(&c, 0, sizeof c);
    c.settings = settings;
    c.stretchFactor = 1.0f;
    c.doubleY = chooserOption != 0;
    if (source) {
        c.width = source->Width();
        c.height = source->Height();
    }

    // Range values far outside any parameter's range clamp to 32 bits (NaN gives 0) instead of being
    // undefined; from there on the fields wrap as 32-bit integers.
    c.blend = TruncToInt32(settings.blend);
    c.start = TruncToInt32(settings.rangeStart);
    c.end = TruncToInt32(settings.rangeEnd);
    c.mid = AddWrap(c.start, c.end) / 2;
    c.endPlus = AddWrap(c.end, c.blend);
    c.endMinus = SubWrap(c.end, c.blend);
    c.startPlus = AddWrap(c.start, c.blend);
    c.startMinus = SubWrap(c.start, c.blend);
    c.span = SubWrap(c.end, c.start);
    c.midOffset = SubWrap(c.mid, c.start);
    c.endPlusOffset = SubWrap(c.endPlus, c.start);
    c.endMinusOffset = SubWrap(c.endMinus, c.start);
    c.start256 = MulWrap(c.start, 256);
    c.end256 = MulWrap(c.end, 256);
    c.startSq = MulWrap(c.start, c.start);
    c.endSq = MulWrap(c.end, c.end);

    const bool reversed = settings.reverse != 0;
    if (c.start == 0)
        c.kind = reversed ? kAboveEnd : kUpToEnd;
    else
        c.kind = reversed ? kOutside : kInside;

    // A mode beyond the list (a popup index the host should not deliver) belongs to no class: its
    // buffers stay cleared and nothing is chosen.
    const int32_t mode = settings.mode;
    if (mode == kChooseAll) {
        chooseAll = 1;
    } else if (mode >= kChooseLuma && mode <= kChooseRgbDiff) {
        measured = 1;
        soft = c.blend > 0;
    } else if (mode >= kChoosePoint && mode <= kChooseAngle) {
        if (mode == kChooseAngle) BuildArcTan(ArcTanTable);
        geometric = 1;
        soft = c.blend > 0;
        // 1 / (1 + 0.033 |stretch|) taken in double, stored as a float: 1/4.3 at +-100.
        const float stretch = settings.stretch;
        const double k = static_cast<double>(0.033f) * static_cast<double>(stretch);
        if (stretch > 0.0f) {
            c.squeezeX = true;
            c.stretchFactor = static_cast<float>(1.0 / (k + 1.0));
        } else if (stretch < 0.0f) {
            c.squeezeY = true;
            c.stretchFactor = static_cast<float>(1.0 / (1.0 - k));
        }
    }
    // Hue and Angle are compared on the circle, where a start of 0 is not special.
    if (mode == kChooseHue || mode == kChooseAngle) c.kind = reversed ? kOutside : kInside;

    // An image whose 16-bit side reads negative has no columns to choose.
    const size_t entries = static_cast<size_t>(Count());
    mask = static_cast<uint8_t *>(Allocate(entries));
    if (mask) weights = static_cast<int32_t *>(Allocate(entries * sizeof(int32_t)));
    if (!mask || !weights) {
        Release(mask);
        mask = nullptr;
        weights = nullptr;
        return;
    }
    std::memset(mask, 0, entries);
    std::memset(weights, 0, entries * sizeof(int32_t));
    valid = 1;
}

PixelChooser::~PixelChooser() {
    Release(mask);
    Release(weights);
}

// Each row operation runs the entry of the level in force.
void PixelChooser::MaskPixels(const PF_Pixel *row) {
    if (valid && measured && row) ChooserKernelsFor(ActiveSimdLevel()).maskPixels(state, row, mask, Count());
}

void PixelChooser::WeightPixels(const PF_Pixel *row) {
    if (valid && measured && row) ChooserKernelsFor(ActiveSimdLevel()).weightPixels(state, row, weights, Count());
}

void PixelChooser::MaskRow(int32_t y) {
    if (valid && geometric) ChooserKernelsFor(ActiveSimdLevel()).maskRow(state, y, mask, Count());
}

void PixelChooser::WeightRow(int32_t y) {
    if (valid && geometric) ChooserKernelsFor(ActiveSimdLevel()).weightRow(state, y, weights, Count());
}

void PixelChooser::FillWeights() {
    if (!valid) return;
    for (int32_t x = 0; x < Count(); ++x) weights[x] = 256;
}

// (w x k) >> 8 with the product wrapped to 32 bits and the shift arithmetic, as a 32-bit register does.
void PixelChooser::ScaleWeights(int32_t k) {
    if (!valid) return;
    for (int32_t x = 0; x < Count(); ++x) weights[x] = ShiftRight8(MulWrap(weights[x], k));
}

}  // namespace orv
