// `orvane demo`: a test picture made in code, a grid of typical settings, and the contact sheet
// that shows the picture rendered with each of them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "output_file.h"
#include "png_io.h"

namespace orvcli {

namespace {

struct DemoTile {
    std::string title;
    std::vector<std::string> sets;  // NAME=VALUE, as given to --set
};

struct Rgb {
    double r, g, b;
};

void Put(aehost::Image &image, int32_t x, int32_t y, int alpha, Rgb c) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    uint8_t *p = image.Pixel(x, y);
    auto byte = [](double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
    p[0] = static_cast<uint8_t>(alpha);
    p[1] = byte(c.r);
    p[2] = byte(c.g);
    p[3] = byte(c.b);
}

Rgb Get(const aehost::Image &image, int32_t x, int32_t y) {
    const uint8_t *p = image.Pixel(x, y);
    return {double(p[1]), double(p[2]), double(p[3])};
}

Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// Hue in degrees, saturation and value 0..1, to 0..255 RGB.
Rgb Hsv(double hue, double saturation, double value) {
    double h = std::fmod(hue < 0 ? hue + 360.0 : hue, 360.0) / 60.0;
    double c = value * saturation, x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0)), m = value - c;
    Rgb rgb;
    switch (static_cast<int>(h)) {
        case 0: rgb = {c, x, 0}; break;
        case 1: rgb = {x, c, 0}; break;
        case 2: rgb = {0, c, x}; break;
        case 3: rgb = {0, x, c}; break;
        case 4: rgb = {x, 0, c}; break;
        default: rgb = {c, 0, x}; break;
    }
    return {(rgb.r + m) * 255.0, (rgb.g + m) * 255.0, (rgb.b + m) * 255.0};
}

void FillRect(aehost::Image &image, int32_t x0, int32_t y0, int32_t w, int32_t h, Rgb c, int alpha = 255) {
    for (int32_t y = y0; y < y0 + h; ++y)
        for (int32_t x = x0; x < x0 + w; ++x) Put(image, x, y, alpha, c);
}

// 5x7 glyphs, one byte per row, bit 4 the leftmost column; ' ' to 'z'.
const uint8_t kGlyphs[][7] = {
    {0, 0, 0, 0, 0, 0, 0},                               // space
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04},          // !
    {0x0A, 0x0A, 0, 0, 0, 0, 0},                         // "
    {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A},          // #
    {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04},          // $
    {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03},          // %
    {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D},          // &
    {0x04, 0x04, 0, 0, 0, 0, 0},                         // '
    {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02},          // (
    {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08},          // )
    {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00},          // *
    {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00},          // +
    {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08},          // ,
    {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00},          // -
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C},          // .
    {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00},          // /
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},          // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},          // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},          // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},          // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},          // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},          // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},          // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},          // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},          // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},          // 9
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00},          // :
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x04, 0x08},          // ;
    {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02},          // <
    {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00},          // =
    {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08},          // >
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04},          // ?
    {0x0E, 0x11, 0x17, 0x15, 0x17, 0x10, 0x0F},          // @
    {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},          // A
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E},          // B
    {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},          // C
    {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E},          // D
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},          // E
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10},          // F
    {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},          // G
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},          // H
    {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},          // I
    {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C},          // J
    {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},          // K
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F},          // L
    {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},          // M
    {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11},          // N
    {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},          // O
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10},          // P
    {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D},          // Q
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11},          // R
    {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},          // S
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04},          // T
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},          // U
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04},          // V
    {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},          // W
    {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11},          // X
    {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04},          // Y
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F},          // Z
    {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E},          // [
    {0x00, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00},          // backslash
    {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E},          // ]
    {0x04, 0x0A, 0x11, 0x00, 0x00, 0x00, 0x00},          // ^
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},          // _
    {0x08, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00},          // `
    {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F},          // a
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1E},          // b
    {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E},          // c
    {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F},          // d
    {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E},          // e
    {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08},          // f
    {0x00, 0x00, 0x0F, 0x11, 0x0F, 0x01, 0x0E},          // g
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11},          // h
    {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E},          // i
    {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0C},          // j
    {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12},          // k
    {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},          // l
    {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11},          // m
    {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11},          // n
    {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E},          // o
    {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10},          // p
    {0x00, 0x00, 0x0D, 0x13, 0x0F, 0x01, 0x01},          // q
    {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10},          // r
    {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E},          // s
    {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06},          // t
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D},          // u
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x0A, 0x04},          // v
    {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A},          // w
    {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11},          // x
    {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E},          // y
    {0x00, 0x00, 0x1F, 0x02, 0x04, 0x08, 0x1F},          // z
};

constexpr int kGlyphAdvance = 6;
constexpr int kGlyphHeight = 7;

// Draws text with its top-left corner at (x, y), each glyph pixel a scale x scale square.
void Text(aehost::Image &image, int32_t x, int32_t y, const std::string &text, int scale, Rgb color) {
    for (char ch : text) {
        int index = (ch >= ' ' && ch <= 'z') ? ch - ' ' : '?' - ' ';
        for (int row = 0; row < kGlyphHeight; ++row)
            for (int col = 0; col < 5; ++col)
                if (kGlyphs[index][row] & (0x10 >> col)) FillRect(image, x + col * scale, y + row * scale, scale, scale, color);
        x += kGlyphAdvance * scale;
    }
}

// Words (here: settings) joined by two blanks, wrapped to lines of at most `columns` characters.
std::vector<std::string> Wrap(const std::vector<std::string> &words, size_t columns) {
    std::vector<std::string> lines(1);
    for (const std::string &word : words) {
        if (!lines.back().empty() && lines.back().size() + 2 + word.size() > columns) lines.emplace_back();
        lines.back() += (lines.back().empty() ? "" : "  ") + word;
    }
    return lines;
}

// A hue wheel, saturated and skin-like patches, a smooth and a stepped grey ramp, and a hue ramp
// whose alpha rises from 0 to 255; straight alpha, opaque elsewhere.
aehost::Image MakeTestPicture(int32_t width, int32_t height) {
    aehost::Image image = aehost::Image::Make(width, height);
    const double sx = width / 320.0, sy = height / 240.0;
    // A quiet blue-grey backdrop, darker at the top.
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) Put(image, x, y, 255, Mix({34, 38, 48}, {78, 84, 98}, double(y) / height));

    // Hue wheel: hue by angle, saturation rising from the white centre, soft edge one pixel wide.
    const double cx = 86 * sx, cy = 86 * sy, radius = 74 * std::min(sx, sy);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy, r = std::sqrt(dx * dx + dy * dy);
            double cover = std::clamp(radius + 0.5 - r, 0.0, 1.0);
            if (cover <= 0.0) continue;
            double hue = std::atan2(-dy, dx) * 180.0 / M_PI;
            Rgb c = Hsv(hue, std::min(r / radius, 1.0), 1.0);
            Put(image, x, y, 255, Mix(Get(image, x, y), c, cover));
        }

    // Saturated patches (two rows of three) and skin-like patches (one row of four).
    const Rgb saturated[] = {{255, 0, 0}, {255, 255, 0}, {0, 255, 0}, {0, 255, 255}, {0, 0, 255}, {255, 0, 255}};
    const int32_t px = static_cast<int32_t>(176 * sx), pw = static_cast<int32_t>(44 * sx), ph = static_cast<int32_t>(30 * sy);
    for (int i = 0; i < 6; ++i)
        FillRect(image, px + (i % 3) * (pw + static_cast<int32_t>(2 * sx)),
                 static_cast<int32_t>(14 * sy) + (i / 3) * (ph + static_cast<int32_t>(2 * sy)), pw, ph, saturated[i]);
    const Rgb skin[] = {{247, 214, 188}, {228, 178, 140}, {194, 134, 96}, {126, 82, 58}};
    const int32_t kw = static_cast<int32_t>(33 * sx);
    for (int i = 0; i < 4; ++i)
        FillRect(image, px + i * (kw + static_cast<int32_t>(1 * sx)), static_cast<int32_t>(84 * sy), kw,
                 static_cast<int32_t>(46 * sy), skin[i]);

    // A smooth grey ramp, a ramp of 16 grey steps, and a hue ramp whose alpha rises left to right.
    const int32_t left = static_cast<int32_t>(8 * sx), span = width - 2 * left;
    for (int32_t x = 0; x < span; ++x) {
        double t = span > 1 ? double(x) / (span - 1) : 0.0;
        double grey = t * 255.0;
        double step = std::floor(t * 15.999) * 17.0;
        for (int32_t y = static_cast<int32_t>(168 * sy); y < static_cast<int32_t>(186 * sy); ++y)
            Put(image, left + x, y, 255, {grey, grey, grey});
        for (int32_t y = static_cast<int32_t>(188 * sy); y < static_cast<int32_t>(206 * sy); ++y)
            Put(image, left + x, y, 255, {step, step, step});
        for (int32_t y = static_cast<int32_t>(210 * sy); y < static_cast<int32_t>(232 * sy); ++y)
            Put(image, left + x, y, static_cast<int>(std::lround(t * 255.0)), Hsv(t * 360.0, 0.85, 1.0));
    }
    return image;
}

// The tiles of the demo, in sheet order (left to right, top to bottom).
const std::vector<DemoTile> &DemoTiles() {
    static const std::vector<DemoTile> tiles = {
        {"Defaults", {}},
        {"Brightness +25", {"Brightness=25"}},
        {"Contrast +40", {"Contrast=40"}},
        {"Soft Luma chooser", {"Brightness=70", "Choose Pixels by=Luma", "Range End=30", "Blend=20"}},
        {"Hue range: greens, cyans", {"Brightness=-70", "Choose Pixels by=Hue", "Angle Start=180", "Angle End=290", "Blend=10"}},
        {"Stretched Point",
         {"Brightness=60", "Choose Pixels by=Point", "Center=96,92", "Range End=20", "Blend=12", "Stretch=60"}},
        {"Difference", {"Channels=Difference", "Brightness=40", "Contrast=80"}},
        {"Mix 50", {"Brightness=-60", "Contrast=80", "Mix with Original=50"}},
    };
    return tiles;
}

// Lays the rendered tiles out in `columns` columns over a checkerboard (so transparency shows),
// each captioned with its title and settings, under a heading.
aehost::Image ContactSheet(const std::vector<aehost::Image> &tiles, const std::vector<DemoTile> &captions,
                           int columns, const std::string &heading) {
    const int32_t tw = tiles.front().width, th = tiles.front().height;
    const int32_t gap = 16, headingHeight = 44, titleHeight = 2 * kGlyphHeight + 8, lineHeight = kGlyphHeight + 4;
    const size_t lineColumns = static_cast<size_t>(tw / kGlyphAdvance);
    size_t maxLines = 1;
    for (const DemoTile &caption : captions) maxLines = std::max(maxLines, Wrap(caption.sets, lineColumns).size());
    const int32_t cell = th + 8 + titleHeight + static_cast<int32_t>(maxLines) * lineHeight;
    const int rows = static_cast<int>((tiles.size() + columns - 1) / columns);
    aehost::Image sheet = aehost::Image::Make(columns * tw + (columns + 1) * gap, headingHeight + rows * (cell + gap));
    FillRect(sheet, 0, 0, sheet.width, sheet.height, {24, 26, 31});
    Text(sheet, gap, 16, heading, 2, {232, 234, 238});

    for (size_t i = 0; i < tiles.size(); ++i) {
        const int32_t x0 = gap + static_cast<int32_t>(i % columns) * (tw + gap);
        const int32_t y0 = headingHeight + static_cast<int32_t>(i / columns) * (cell + gap);
        for (int32_t y = 0; y < th; ++y)
            for (int32_t x = 0; x < tw; ++x) {
                // Straight alpha over a checkerboard, the way editors show transparency.
                double grey = ((x / 8 + y / 8) % 2) ? 150.0 : 105.0;
                const uint8_t *p = tiles[i].Pixel(x, y);
                Put(sheet, x0 + x, y0 + y, 255, Mix({grey, grey, grey}, {double(p[1]), double(p[2]), double(p[3])}, p[0] / 255.0));
            }
        Text(sheet, x0, y0 + th + 8, std::to_string(i + 1) + "  " + captions[i].title, 2, {240, 240, 240});
        std::vector<std::string> lines = Wrap(captions[i].sets, lineColumns);
        if (captions[i].sets.empty()) lines = {"(every parameter at its default)"};
        for (size_t l = 0; l < lines.size(); ++l)
            Text(sheet, x0, y0 + th + 8 + titleHeight + static_cast<int32_t>(l) * lineHeight, lines[l], 1, {170, 176, 188});
    }
    return sheet;
}

std::string Output(const Options &options) { return options.positional.empty() ? "orvane-demo.png" : options.positional[0]; }

}  // namespace

std::string CheckDemo(const std::string &, Options &options) {
    if (options.positional.size() > 1) return "demo: takes at most one name, OUTPUT.png; see orvane demo --help";
    if (Lower(Extension(Output(options))) != ".png") return "demo: OUTPUT is a PNG (a name ending in .png), not " + Output(options);
    return "";
}

int RunDemo(const Options &options, EffectRunner &runner) {
    const std::string output = Output(options);
    std::string error;
    const int32_t width = 320, height = 240;
    aehost::Image picture = MakeTestPicture(width, height);
    const std::vector<DemoTile> &tiles = DemoTiles();
    std::vector<aehost::Image> rendered;
    std::printf("orvane demo: the built-in %dx%d test picture with %zu settings, left to right, top to bottom:\n",
                width, height, tiles.size());
    for (size_t i = 0; i < tiles.size(); ++i) {
        std::vector<Assignment> values;
        if (!ParseSets(tiles[i].sets, runner.Params(), &values, &error)) return Fail(2, "demo: " + error);
        runner.Host().ResetValues();
        runner.Apply(values);
        aehost::Image out;
        Outcome outcome = runner.Render(picture, out);
        if (!outcome.ok()) return Finish(outcome);
        rendered.push_back(std::move(out));
        std::string line;
        for (const std::string &set : tiles[i].sets)
            line += set.find(' ') == std::string::npos ? " --set " + set : " --set \"" + set + "\"";
        std::printf("  %zu  %-18s %s\n", i + 1, tiles[i].title.c_str(), line.empty() ? " (defaults)" : line.c_str());
    }
    aehost::Image sheet = ContactSheet(rendered, tiles, 4, "Orvane FX Brightness-Contrast: orvane demo");
    std::vector<uint8_t> file;
    if (!EncodePngRgba(sheet, nullptr, &file, &error)) return Fail(2, error);
    Outcome outcome = WriteWhole(output, file);
    if (!outcome.ok()) return Finish(outcome);
    std::printf("wrote %s (%dx%d)\n", output.c_str(), sheet.width, sheet.height);
    return 0;
}

}  // namespace orvcli
