#include "image_io.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cmath>

#include "commands.h"
#include "frame.h"
#include "output_file.h"

namespace orvcli {

namespace {

bool HasExtension(const std::string &path, std::initializer_list<const char *> extensions) {
    const std::string extension = Lower(Extension(path));
    return std::any_of(extensions.begin(), extensions.end(), [&](const char *e) { return extension == e; });
}

std::string OiioError(const std::string &text) { return text.empty() ? OIIO::geterror() : text; }

// A sample to 8 bits. OpenImageIO hands every sample over as a float in 0..1; an integer sample
// of B bits (B <= 16) is v / max with max = 2^B - 1, so v is recovered exactly and rounded in
// integers: v x 255 / max to the nearest (never halfway), or with associated alpha a, colour
// v x 255 / a to the nearest, halves up (8 x 255 / 240 = 8.5 gives 9), at most 255. A float sample
// is clamped to 0..1 (NaN as 0), divided by alpha when associated, x 255, to the nearest.
uint8_t ToByte(float v, float a, long long max, bool associated) {
    if (max == 0) {
        float x = associated ? (a > 0 ? v / a : 0.f) : v;
        return static_cast<uint8_t>(std::lround(std::clamp(std::isnan(x) ? 0.f : x, 0.f, 1.f) * 255));
    }
    long long value = std::llround(std::clamp(v, 0.f, 1.f) * static_cast<float>(max)), alpha = std::llround(a * max);
    if (!associated) return static_cast<uint8_t>((value * 510 + max) / (2 * max));
    return static_cast<uint8_t>(alpha > 0 ? std::min(255LL, (value * 510 + alpha) / (2 * alpha)) : 0);
}

// The tags that keep their meaning in any format: the ICC profile and the resolution.
void TagsFromHeader(const OIIO::ImageSpec &header, PngTags *tags) {
    if (const OIIO::ParamValue *icc = header.find_attribute("ICCProfile")) {
        const uint8_t *bytes = static_cast<const uint8_t *>(icc->data());
        tags->iccName = "ICC Profile";
        tags->iccProfile.assign(bytes, bytes + icc->type().size());
    }
    float x = header.get_float_attribute("XResolution"), y = header.get_float_attribute("YResolution");
    std::string unit = header.get_string_attribute("ResolutionUnit");
    double perMetre = unit == "cm" ? 100 : unit == "in" || unit == "inch" ? 1 / 0.0254 : 0;
    if (x > 0 && y > 0 && (perMetre > 0 || unit == "none")) {
        tags->hasPhys = true;
        tags->physUnit = perMetre > 0;  // 1: per metre; 0: the pixel aspect alone
        tags->physX = static_cast<uint32_t>(std::lround(x * (perMetre > 0 ? perMetre : 1)));
        tags->physY = static_cast<uint32_t>(std::lround(y * (perMetre > 0 ? perMetre : 1)));
    }
}

void TagsToHeader(const PngTags &tags, OIIO::ImageSpec *header) {
    if (!tags.iccProfile.empty())
        header->attribute("ICCProfile", OIIO::TypeDesc(OIIO::TypeDesc::UINT8, static_cast<int>(tags.iccProfile.size())),
                        tags.iccProfile.data());
    if (tags.hasPhys) {
        header->attribute("XResolution", static_cast<float>(tags.physX) / (tags.physUnit ? 100.f : 1.f));
        header->attribute("YResolution", static_cast<float>(tags.physY) / (tags.physUnit ? 100.f : 1.f));
        header->attribute("ResolutionUnit", tags.physUnit ? "cm" : "none");
    }
}

}  // namespace

bool IsStillName(const std::string &path, bool orRead) {
    return HasExtension(path, {".png", ".jpg", ".jpeg", ".tif", ".tiff", ".tga", ".bmp", ".webp", ".dpx"}) ||
           (orRead && HasExtension(path, {".exr"}));
}

bool IsStillInput(const std::string &path) { return LooksLikePng(path) || IsStillName(path, true); }

bool ReadStill(const std::string &path, Still *still, std::string *error) {
    if (LooksLikePng(path)) {
        PngPicture picture;
        if (!ReadPng(path, &picture, error)) return false;
        still->image = std::move(picture.image);
        still->tags = picture.tags;
        still->conversion = picture.bitDepth == 16 ? "16 bits per channel; the effect works on 8, so it was rounded to 8 bits "
                                                     "(v x 255 / 65535)" : "";
        return true;
    }
    // Straight alpha stays straight: without this OpenImageIO multiplies it into the colour.
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto in = OIIO::ImageInput::open(path, &config);
    if (!in) {
        *error = "cannot read " + path + ": " + OiioError("");
        return false;
    }
    const OIIO::ImageSpec &header = in->spec();
    if (!CheckFrameSize(header.width, header.height, path, error)) return false;
    const int channels = header.nchannels, alpha = header.alpha_channel;
    const std::string format = in->format_name();
    const bool associated = alpha >= 0 && (format == "openexr" || (format == "tiff" && !header.get_int_attribute("oiio:UnassociatedAlpha")));
    const size_t count = static_cast<size_t>(header.width) * static_cast<size_t>(header.height);
    std::vector<float> samples(count * static_cast<size_t>(channels));
    if (!in->read_image(0, 0, 0, channels, OIIO::TypeDesc::FLOAT, samples.data())) {
        *error = "cannot read " + path + ": " + OiioError(in->geterror());
        return false;
    }
    int colour[3] = {0, 0, 0};  // the first three channels that are not alpha; grey repeats its one
    for (int c = 0, found = 0; c < channels && found < 3; ++c)
        if (c != alpha) colour[found++] = c;
    if (channels - (alpha >= 0) < 3) colour[1] = colour[2] = colour[0];
    const int bits = header.get_int_attribute("oiio:BitsPerSample", static_cast<int>(header.format.size() * 8));
    const long long max = header.format.is_floating_point() || bits > 16 ? 0 : (1LL << bits) - 1;  // 0: as float
    still->image = aehost::Image::Make(header.width, header.height);
    uint8_t *out = still->image.pixels.data();
    for (size_t i = 0; i < count; ++i, out += 4) {
        const float *p = &samples[i * static_cast<size_t>(channels)];
        const float a = alpha >= 0 ? p[alpha] : 1.f;
        out[0] = ToByte(a, 1, max, false);
        for (int k = 0; k < 3; ++k) out[k + 1] = ToByte(p[colour[k]], a, max, associated);
    }
    still->tags = PngTags();
    TagsFromHeader(header, &still->tags);
    still->conversion.clear();
    if (header.format.is_floating_point())
        still->conversion = std::to_string(bits) + "-bit float samples; the effect works on 8-bit pixels, so they were "
                            "clamped to 0..1 and rounded to 8 bits (v x 255)";
    else if (bits > 8)
        still->conversion = std::to_string(bits) + "-bit samples; the effect works on 8, so they were rounded to 8 bits "
                            "(v x 255 / " + std::to_string((1LL << bits) - 1) + ")";
    if (associated)
        still->conversion += std::string(still->conversion.empty() ? "" : "; ") +
                             "associated alpha; the effect works on straight alpha, so the colour was divided by alpha "
                             "(0 where alpha is 0) before the rounding, and the output holds straight alpha";
    return true;
}

bool WriteStill(const std::string &path, const aehost::Image &image, const PngTags &tags, bool grey,
                std::string *dropped, std::string *error) {
    dropped->clear();
    std::vector<uint8_t> file;
    if (HasExtension(path, {".png"})) {
        if (grey) {
            std::vector<uint8_t> mask(static_cast<size_t>(image.width) * image.height);
            for (size_t i = 0; i < mask.size(); ++i) mask[i] = image.pixels[4 * i + 1];
            if (!EncodePngGrey(image.width, image.height, mask.data(), &file, error)) return false;
        } else {
            PngTags kept = WritableTags(tags, dropped);
            if (!EncodePngRgba(image, &kept, &file, error)) return false;
        }
        Outcome outcome = WriteWhole(path, file);
        *error = outcome.message;
        return outcome.ok();
    }
    OutputFile target;
    if (!target.Open(path, error)) return false;
    target.CloseFd();  // OpenImageIO writes it by name
    auto out = OIIO::ImageOutput::create(target.TempPath());
    if (!out) {
        *error = "cannot write " + path + ": " + OiioError("");
        return false;
    }
    const int channels = grey ? 1 : out->supports("alpha") ? 4 : 3;
    OIIO::ImageSpec header(image.width, image.height, channels, OIIO::TypeDesc::UINT8);
    header.attribute("oiio:UnassociatedAlpha", 1);  // the effect's alpha is straight; nothing to divide out
    TagsToHeader(tags, &header);
    if (!tags.iccProfile.empty() && !out->supports("ICC")) *dropped = "ICC profile";
    const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    std::vector<uint8_t> samples(count * static_cast<size_t>(channels));
    static const int kFromArgb[4][4] = {{2}, {}, {1, 2, 3}, {1, 2, 3, 0}};  // grey is the green channel
    for (size_t i = 0; i < count; ++i)
        for (int k = 0; k < channels; ++k) samples[i * channels + k] = image.pixels[4 * i + kFromArgb[channels - 1][k]];
    if (!out->open(target.TempPath(), header) || !out->write_image(OIIO::TypeDesc::UINT8, samples.data()) || !out->close()) {
        std::string why = OiioError(out->geterror());
        for (size_t at = why.find(target.TempPath()); at != std::string::npos; at = why.find(target.TempPath()))
            why.replace(at, target.TempPath().size(), path);
        *error = "cannot write " + path + ": " + why;
        return false;
    }
    return target.Commit(error);
}

}  // namespace orvcli
