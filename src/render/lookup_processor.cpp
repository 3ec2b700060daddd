#include "render/lookup_processor.h"

#include "chooser/pixel_chooser.h"
#include "numeric/arctan_table.h"
#include "render/brightness_contrast_table.h"
#include "render/channel_pass.h"
#include "render/lookup_kernels.h"
#include "render/pixel_blend.h"
#include "support/memory.h"
#include "support/simd_level.h"
#include "support/strings.h"
#include "support/world_image.h"

namespace orv {

namespace {

constexpr float kMixToWeight = 2.56f;

// What the chooser says about one row: every pixel, the pixels of its buffer, or none (a mode that
// belongs to no class of the chooser selects nothing rather than reading an unwritten buffer).
enum class RowChoice { kEvery, kBuffer, kNothing };

inline const PF_Pixel *PixelRow(const RowCursor &cursor) { return reinterpret_cast<const PF_Pixel *>(cursor.Row()); }
inline PF_Pixel *MutablePixelRow(const RowCursor &cursor) { return reinterpret_cast<PF_Pixel *>(cursor.Row()); }

// The hard selection of row y, decided once per row.
RowChoice MaskFor(PixelChooser &chooser, const PF_Pixel *sourceRow, int32_t y) {
    if (chooser.IsAll()) return RowChoice::kEvery;
    if (chooser.IsMeasured()) {
        chooser.MaskPixels(sourceRow);
        return RowChoice::kBuffer;
    }
    if (chooser.IsGeometric()) {
        chooser.MaskRow(y);
        return RowChoice::kBuffer;
    }
    return RowChoice::kNothing;
}

// The weights of row y, or null when nothing is chosen.
const int32_t *WeightsFor(PixelChooser &chooser, const PF_Pixel *sourceRow, int32_t y) {
    if (chooser.IsAll())
        chooser.FillWeights();
    else if (chooser.IsMeasured())
        chooser.WeightPixels(sourceRow);
    else if (chooser.IsGeometric())
        chooser.WeightRow(y);
    else
        return nullptr;
    return chooser.Weights();
}

}  // namespace

int32_t MixWeight(float mix) {
    // Any value a 16.16 slider holds keeps its exact weight (a negative mix scales the chooser's
    // weights up); only values no slider can hold are held to +-2^24, so 256 - weight never wraps.
    const int32_t weight = TruncToInt32(static_cast<double>(mix) * static_cast<double>(kMixToWeight));
    constexpr int32_t kLimit = 1 << 24;
    return weight > kLimit ? kLimit : weight < -kLimit ? -kLimit : weight;
}

LookupProcessor::LookupProcessor(WorldImage &source_, WorldImage &destination_, float mix_, PixelChooser *chooser_,
                                 uint8_t alphaOnly_)
    : alphaOnly(alphaOnly_), ok(0), temporary(nullptr), source(&source_), destination(&destination_), mix(mix_),
      chooser(chooser_), width(source_.Width()), height(source_.Height()), table(),
      kernels(LookupKernelsFor(ActiveSimdLevel())), colourLanes{0, 0xFF, 0xFF, 0xFF}, difference(0) {
    const size_t count = width > 0 ? static_cast<size_t>(width) : 0;
    temporary = static_cast<PF_Pixel *>(Allocate(count * sizeof(PF_Pixel)));
    if (!temporary) return;
    for (size_t x = 0; x < count; ++x) temporary[x] = PF_Pixel{255, 0, 0, 0};
    ok = 1;
}

LookupProcessor::~LookupProcessor() { Release(temporary); }

void LookupProcessor::BuildBrightnessContrastTable(float brightness, float contrast) {
    FillBrightnessContrastTable(brightness, contrast, table);
}

int32_t LookupProcessor::Columns() const {
    const int32_t other = destination->Width();
    return width < other ? width : other;
}

int32_t LookupProcessor::Rows() const {
    const int32_t other = destination->Height();
    return height < other ? height : other;
}

bool LookupProcessor::FoldChannels(int32_t channels) {
    if (!kernels || channels < kChannelsRed || channels > kChannelsDifference) return false;
    // The colour bytes each choice adjusts (the others are put back from the source).
    static const uint8_t kAdjusted[7][3] = {{0xFF, 0, 0},    {0, 0xFF, 0},    {0, 0, 0xFF},      {0xFF, 0xFF, 0},
                                            {0xFF, 0, 0xFF}, {0, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};
    for (int i = 0; i < 3; ++i) colourLanes[i + 1] = kAdjusted[channels - kChannelsRed][i];
    difference = channels == kChannelsDifference ? 1 : 0;
    return true;
}

void LookupProcessor::RunMasked(bool alphaVariant) {
    if (kernels)
        MaskedRowsWithKernels(alphaVariant);
    else if (alphaVariant)
        MaskedRows<true>();
    else
        MaskedRows<false>();
}

template <bool AlphaVariant>
void LookupProcessor::MaskedRows() {
    const int32_t columns = Columns();
    const int32_t rows = Rows();
    RowCursor in(*source, 0);
    RowCursor out(*destination, 0);
    for (int32_t y = 0; y < rows; ++y, in.Advance(), out.Advance()) {
        const PF_Pixel *s = PixelRow(in);
        PF_Pixel *d = MutablePixelRow(out);
        const RowChoice choice = MaskFor(*chooser, s, y);
        const uint8_t *mask = chooser->Mask();
        for (int32_t x = 0; x < columns; ++x) {
            const bool chosen = choice == RowChoice::kEvery || (choice == RowChoice::kBuffer && mask[x] != 0);
            if (!chosen)
                d[x] = s[x];
            else if (AlphaVariant)
                LookupAlpha(s[x], d[x]);
            else
                LookupColor(s[x], d[x]);
        }
    }
}

void LookupProcessor::MaskedRowsWithKernels(bool alphaVariant) {
    const uint8_t alphaLanes[4] = {0xFF, 0, 0, 0};
    const uint8_t *lanes = alphaVariant ? alphaLanes : colourLanes;
    const LookupPlan plan{table, {lanes[0], lanes[1], lanes[2], lanes[3]}, difference != 0};
    const int32_t columns = Columns();
    const int32_t rows = Rows();
    RowCursor in(*source, 0);
    RowCursor out(*destination, 0);
    for (int32_t y = 0; y < rows; ++y, in.Advance(), out.Advance()) {
        const PF_Pixel *s = PixelRow(in);
        const RowChoice choice = MaskFor(*chooser, s, y);
        const RowChosen chosen = choice == RowChoice::kEvery    ? RowChosen::kEvery
                                 : choice == RowChoice::kBuffer ? RowChosen::kByMask
                                                                : RowChosen::kNone;
        kernels->masked(plan, s, MutablePixelRow(out), chosen, chooser->Mask(), columns);
    }
}

void LookupProcessor::WeightedRowsWithKernels() {
    const int32_t mixWeight = MixWeight(mix);
    const uint8_t alphaLanes[4] = {0xFF, 0, 0, 0};
    const uint8_t *lanes = alphaOnly ? alphaLanes : colourLanes;
    const LookupPlan plan{table, {lanes[0], lanes[1], lanes[2], lanes[3]}, difference != 0};
    const int32_t columns = Columns();
    const int32_t rows = Rows();
    RowCursor in(*source, 0);
    RowCursor out(*destination, 0);
    for (int32_t y = 0; y < rows; ++y, in.Advance(), out.Advance()) {
        const PF_Pixel *s = PixelRow(in);
        // The kernel scales the weights by the mix as ScaleWeights would. Mode All needs no buffer:
        // its weight 256, scaled, is 256 - mixWeight for every pixel.
        const int32_t *weights = chooser->IsAll() ? nullptr : WeightsFor(*chooser, s, y);
        const int32_t uniform = chooser->IsAll() ? 256 - mixWeight : 0;
        kernels->weighted(plan, s, MutablePixelRow(out), weights, uniform, mixWeight != 0, 256 - mixWeight, columns);
    }
}

void LookupProcessor::RunWeighted() {
    if (kernels) {
        WeightedRowsWithKernels();
        return;
    }
    const int32_t mixWeight = MixWeight(mix);
    const int32_t rows = Rows();
    RowCursor in(*source, 0);
    RowCursor out(*destination, 0);
    for (int32_t y = 0; y < rows; ++y, in.Advance(), out.Advance()) {
        const PF_Pixel *s = PixelRow(in);
        const int32_t *weights = WeightsFor(*chooser, s, y);
        if (weights && mixWeight != 0) chooser->ScaleWeights(256 - mixWeight);
        TransformRow(s);
        BlendRow(s, MutablePixelRow(out), weights);
    }
}

void LookupProcessor::TransformRow(const PF_Pixel *sourceRow) {
    const int32_t columns = Columns();
    if (alphaOnly)
        for (int32_t x = 0; x < columns; ++x) LookupAlpha(sourceRow[x], temporary[x]);
    else
        for (int32_t x = 0; x < columns; ++x) LookupColor(sourceRow[x], temporary[x]);
}

void LookupProcessor::BlendRow(const PF_Pixel *sourceRow, PF_Pixel *destinationRow, const int32_t *weights) {
    const int32_t columns = Columns();
    for (int32_t x = 0; x < columns; ++x) {
        const int32_t w = weights ? weights[x] : 0;
        if (w >= 256)
            destinationRow[x] = temporary[x];
        else if (w <= 0)
            destinationRow[x] = sourceRow[x];
        else
            BlendPixel(destinationRow[x], temporary[x], sourceRow[x], w);
    }
}

}  // namespace orv
