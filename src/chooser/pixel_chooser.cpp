#include "chooser/pixel_chooser.h"

#include <cstring>

#include "chooser/measures.h"
#include "numeric/arctan_table.h"
#include "support/memory.h"
#include "support/strings.h"
#include "support/world_image.h"

namespace orv {

PixelChooser::PixelChooser(uint8_t chooserOption_, ChooserSettings settings, const WorldImage *source_)
    : chooserOption(chooserOption_),
      centerY(settings.centerY),
      centerX(settings.centerX),
      source(source_),
      mode(settings.mode),
      rangeKind(kInside),
      mask(nullptr),
      weights(nullptr),
      valid(0),
      rangeStart(settings.rangeStart),
      rangeEnd(settings.rangeEnd),
      stretch(settings.stretch),
      squeezeY(0),
      squeezeX(0),
      stretchFactor(1.0f),
      blend(0),
      width(0),
      height(0),
      color(settings.color),
      reverse(settings.reverse),
      chooseAll(0),
      measured(0),
      soft(0),
      geometric(0) {
    tables.have = 0;
    if (source) {
        width = source->Width();
        height = source->Height();
    }

    // Range values far outside any parameter's range clamp to 32 bits (NaN gives 0) instead of being
    // undefined; from there on the fields wrap as 32-bit integers.
    blend = TruncToInt32(settings.blend);
    start = TruncToInt32(rangeStart);
    end = TruncToInt32(rangeEnd);
    mid = AddWrap(start, end) / 2;
    endPlus = AddWrap(end, blend);
    endMinus = SubWrap(end, blend);
    startPlus = AddWrap(start, blend);
    startMinus = SubWrap(start, blend);
    span = SubWrap(end, start);
    midOffset = SubWrap(mid, start);
    endPlusOffset = SubWrap(endPlus, start);
    endMinusOffset = SubWrap(endMinus, start);
    start256 = MulWrap(start, 256);
    end256 = MulWrap(end, 256);
    startSq = MulWrap(start, start);
    endSq = MulWrap(end, end);

    const bool reversed = reverse != 0;
    if (start == 0)
        rangeKind = reversed ? kAboveEnd : kUpToEnd;
    else
        rangeKind = reversed ? kOutside : kInside;

    // A mode beyond the list (a popup index the host should not deliver) belongs to no class: its
    // buffers stay cleared and nothing is chosen.
    if (mode == kChooseAll) {
        chooseAll = 1;
    } else if (mode >= kChooseLuma && mode <= kChooseRgbDiff) {
        measured = 1;
        soft = blend > 0;
    } else if (mode >= kChoosePoint && mode <= kChooseAngle) {
        if (mode == kChooseAngle) BuildArcTan(ArcTanTable);
        geometric = 1;
        soft = blend > 0;
        // 1 / (1 + 0.033 |stretch|) taken in double, stored as a float: 1/4.3 at +-100.
        const double k = static_cast<double>(0.033f) * static_cast<double>(stretch);
        if (stretch > 0.0f) {
            squeezeX = 1;
            stretchFactor = static_cast<float>(1.0 / (k + 1.0));
        } else if (stretch < 0.0f) {
            squeezeY = 1;
            stretchFactor = static_cast<float>(1.0 / (1.0 - k));
        }
    }
    // Hue and Angle are compared on the circle, where a start of 0 is not special.
    if (mode == kChooseHue || mode == kChooseAngle) rangeKind = reversed ? kOutside : kInside;

    // An image whose 16-bit side reads negative has no columns to choose.
    const size_t entries = width > 0 ? static_cast<size_t>(width) : 0;
    mask = static_cast<uint8_t *>(Allocate(entries));
    if (mask) weights = static_cast<int32_t *>(Allocate(entries * sizeof(int32_t)));
    if (!mask || !weights) {
        Release(mask);
        mask = nullptr;
        weights = nullptr;
        valid = 0;
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

}  // namespace orv
