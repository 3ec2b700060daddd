#include "render/lookup_processor.h"

#include "chooser/pixel_chooser.h"
#include "numeric/arctan_table.h"
#include "render/brightness_contrast_table.h"
#include "render/channel_pass.h"
#include "render/pixel_blend.h"
#include "support/memory.h"
#include "support/simd_level.h"
#include "support/world_image.h"

namespace orv {

namespace {

constexpr float kMixToWeight = 2.56f;

// Calls work(source row, destination row, y) for rows 0 .. rows - 1, top row first.
template <class RowWork>
void ForEachRow(WorldImage &source, WorldImage &destination, int32_t rows, RowWork work) {
    RowCursor in(source, 0);
    RowCursor out(destination, 0);
    for (int32_t y = 0; y < rows; ++y, in.Advance(), out.Advance())
        work(reinterpret_cast<const PF_Pixel *>(in.Row()), reinterpret_cast<PF_Pixel *>(out.Row()), y);
}

// The hard selection of row y, decided once per row.
RowChosen MaskFor(PixelChooser &chooser, const PF_Pixel *sourceRow, int32_t y) {
    if (chooser.IsAll()) return RowChosen::kEvery;
    if (chooser.IsMeasured()) {
        chooser.MaskPixels(sourceRow);
        return RowChosen::kByMask;
    }
    if (chooser.IsGeometric()) {
        chooser.MaskRow(y);
        return RowChosen::kByMask;
    }
    return RowChosen::kNone;
}

// The weights of row y; null for mode All (every weight 256) and for a mode in no class (none).
const int32_t *WeightsFor(PixelChooser &chooser, const PF_Pixel *sourceRow, int32_t y) {
    if (chooser.IsMeasured())
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
      kernels(LookupKernelsFor(ActiveSimdLevel())), colourPlan{table, {0, 0xFF, 0xFF, 0xFF}, false} {
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

LookupPlan LookupProcessor::Plan(bool alphaVariant) const {
    return alphaVariant ? LookupPlan{table, {0xFF, 0, 0, 0}, colourPlan.difference} : colourPlan;
}

void LookupProcessor::FoldChannels(int32_t channels) {
    if (channels < kChannelsRed || channels > kChannelsDifference) return;
    // The colour bytes each choice adjusts (the others keep the source's).
    static const uint8_t kAdjusted[7][3] = {{0xFF, 0, 0},    {0, 0xFF, 0},    {0, 0, 0xFF},      {0xFF, 0xFF, 0},
                                            {0xFF, 0, 0xFF}, {0, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};
    for (int i = 0; i < 3; ++i) colourPlan.lanes[i + 1] = kAdjusted[channels - kChannelsRed][i];
    colourPlan.difference = channels == kChannelsDifference;
}

void LookupProcessor::RunMasked(bool alphaVariant) {
    const LookupPlan plan = Plan(alphaVariant);
    const int32_t columns = Columns();
    ForEachRow(*source, *destination, Rows(), [&](const PF_Pixel *s, PF_Pixel *d, int32_t y) {
        const RowChosen chosen = MaskFor(*chooser, s, y);
        kernels.masked(plan, s, d, chosen, chooser->Mask(), columns);
    });
}

void LookupProcessor::RunWeighted() {
    const int32_t mixWeight = MixWeight(mix);
    const LookupPlan plan = Plan(alphaOnly != 0);
    const int32_t columns = Columns();
    // The kernel scales the weights by the mix as ScaleWeights would. Mode All needs no buffer: its
    // weight 256, scaled, is 256 - mixWeight for every pixel.
    const int32_t uniform = chooser->IsAll() ? HeldWeight(256 - mixWeight) : 0;
    ForEachRow(*source, *destination, Rows(), [&](const PF_Pixel *s, PF_Pixel *d, int32_t y) {
        const int32_t *weights = WeightsFor(*chooser, s, y);
        kernels.weighted(plan, s, d, weights, uniform, mixWeight != 0, 256 - mixWeight, columns);
    });
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
    for (int32_t x = 0; x < columns; ++x)
        destinationRow[x] = WeighPixel(temporary[x], sourceRow[x], weights ? weights[x] : 0);
}

}  // namespace orv
