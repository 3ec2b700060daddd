#include "png_io.h"

#include <algorithm>
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "frame.h"

namespace orvcli {

namespace {

// Lives outside the setjmp frame: everything a longjmp out of libpng must still release.
struct PngContext {
    FILE *file = nullptr;
    std::vector<png_bytep> rows;
    std::vector<uint8_t> *output = nullptr;
    char message[256] = "";
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    PngContext *context = static_cast<PngContext *>(png_get_error_ptr(png));
    std::snprintf(context->message, sizeof context->message, "%s", message);
    png_longjmp(png, 1);
}

// libpng's warnings (an unusual profile, a bad checksum in an ancillary chunk) do not stop a read.
void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, png_size_t length) {
    PngContext *context = static_cast<PngContext *>(png_get_io_ptr(png));
    context->output->insert(context->output->end(), data, data + length);
}

void OnFlush(png_structp) {}

void ReadTags(png_structp png, png_infop info, PngTags *tags) {
    int intent;
    if (png_get_sRGB(png, info, &intent)) {
        tags->hasSrgb = true;
        tags->srgbIntent = intent;
    }
    png_fixed_point gamma;
    if (png_get_gAMA_fixed(png, info, &gamma) && gamma > 0) {
        tags->hasGamma = true;
        tags->gamma = static_cast<uint32_t>(gamma);
    }
    png_fixed_point c[8];
    if (png_get_cHRM_fixed(png, info, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7])) {
        tags->hasChrm = true;
        std::memcpy(tags->chrm, c, sizeof c);
    }
    png_charp name;
    int compression;
    png_bytep profile;
    png_uint_32 length;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) && length > 0) {
        tags->iccName = name;
        tags->iccProfile.assign(profile, profile + length);
    }
    png_uint_32 x, y;
    int unit;
    if (png_get_pHYs(png, info, &x, &y, &unit)) {
        tags->hasPhys = true;
        tags->physX = x;
        tags->physY = y;
        tags->physUnit = unit;
    }
}

void WriteTags(png_structp png, png_infop info, const PngTags &tags) {
    // An ICC profile and the sRGB chunk exclude each other; the profile is the more specific.
    if (!tags.iccProfile.empty())
        png_set_iCCP(png, info, tags.iccName.c_str(), PNG_COMPRESSION_TYPE_BASE, tags.iccProfile.data(),
                     static_cast<png_uint_32>(tags.iccProfile.size()));
    else if (tags.hasSrgb)
        png_set_sRGB(png, info, tags.srgbIntent);
    if (tags.hasGamma) png_set_gAMA_fixed(png, info, static_cast<png_fixed_point>(tags.gamma));
    if (tags.hasChrm)
        png_set_cHRM_fixed(png, info, tags.chrm[0], tags.chrm[1], tags.chrm[2], tags.chrm[3], tags.chrm[4],
                           tags.chrm[5], tags.chrm[6], tags.chrm[7]);
    if (tags.hasPhys) png_set_pHYs(png, info, tags.physX, tags.physY, tags.physUnit);
}

}  // namespace

bool LooksLikePng(const std::string &path) {
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    unsigned char signature[8];
    bool png = std::fread(signature, 1, 8, file) == 8 && png_sig_cmp(signature, 0, 8) == 0;
    std::fclose(file);
    return png;
}

bool ReadPng(const std::string &path, PngPicture *picture, std::string *error) {
    PngContext context;
    context.file = std::fopen(path.c_str(), "rb");
    if (!context.file) {
        *error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::fclose(context.file);
        *error = "cannot read " + path + ": out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(context.file);
        *error = "cannot read " + path + " as a PNG: " + context.message;
        return false;
    }
    png_init_io(png, context.file);
    // Only the image and the chunks orvane carries are read. libpng allocates an ancillary chunk at
    // the length its header states before reading it, so a damaged length in a text chunk would cost
    // gigabytes; the chunks orvane has no use for are skipped unread instead.
    static const png_byte kUnused[] = "tEXt\0zTXt\0iTXt\0tIME\0bKGD\0hIST\0sPLT\0sBIT\0eXIf\0oFFs\0pCAL\0sCAL\0sTER";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kUnused, sizeof kUnused / 5);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    int depth = png_get_bit_depth(png, info), type = png_get_color_type(png, info);
    bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (!CheckFrameSize(width, height, path, error)) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(context.file);
        return false;
    }

    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (transparency) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_scale_16(png);  // rounds to the nearest 8-bit value
    if (!(type & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if ((type & PNG_COLOR_MASK_ALPHA) || transparency)
        png_set_swap_alpha(png);  // RGBA -> ARGB
    else
        png_set_add_alpha(png, 0xFF, PNG_FILLER_BEFORE);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "unexpected row layout");

    ReadTags(png, info, &picture->tags);
    picture->bitDepth = depth;
    picture->image = aehost::Image::Make(static_cast<int32_t>(width), static_cast<int32_t>(height));
    context.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) context.rows[y] = picture->image.Row(static_cast<int32_t>(y));
    png_read_image(png, context.rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(context.file);
    return true;
}

namespace {

bool Encode(int32_t width, int32_t height, int colorType, bool swapAlpha, const PngTags *tags,
            const std::vector<png_bytep> &rows, std::vector<uint8_t> *file, std::string *error) {
    PngContext context;
    context.output = file;
    file->clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &context, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        *error = "cannot encode the PNG: out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        *error = std::string("cannot encode the PNG: ") + context.message;
        return false;
    }
    png_set_write_fn(png, &context, OnWrite, OnFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (tags) WriteTags(png, info, *tags);
    png_write_info(png, info);
    if (swapAlpha) png_set_swap_alpha(png);  // ARGB in memory, RGBA in the file
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

PngTags WritableTags(const PngTags &tags, std::string *dropped) {
    dropped->clear();
    if (tags.iccProfile.empty()) return tags;
    // Whether libpng's writer takes the profile (it refuses some it reads without complaint, such as
    // a known broken sRGB profile): a one-pixel picture carrying the profile alone.
    PngTags profileOnly;
    profileOnly.iccName = tags.iccName, profileOnly.iccProfile = tags.iccProfile;
    uint8_t pixel[4] = {};
    std::vector<uint8_t> file;
    std::string reason;
    if (Encode(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, false, &profileOnly, {pixel}, &file, &reason)) return tags;
    reason = reason.substr(reason.find(": ") + 2);  // libpng's own words, without Encode's preface
    PngTags kept = tags;
    kept.iccName.clear();
    kept.iccProfile.clear();
    *dropped = "ICC profile \"" + tags.iccName + "\" (libpng refuses to write it: " + reason + ")";
    // libpng's words name the profile an sRGB one only when it recognises it (read past the profile's own
    // name, which may say anything); the sRGB chunk then says the same with the intent the profile's header
    // gives (bytes 64-67), and the gamma and primaries a reader takes from that chunk.
    const std::string named = "profile '" + tags.iccName + "': ";
    const std::string words = reason.compare(0, named.size(), named) == 0 ? reason.substr(named.size()) : reason;
    if (!kept.hasSrgb && words.find("sRGB") != std::string::npos && tags.iccProfile.size() >= 68) {
        const uint8_t *intent = tags.iccProfile.data() + 64;
        uint32_t value = uint32_t(intent[0]) << 24 | uint32_t(intent[1]) << 16 | uint32_t(intent[2]) << 8 | intent[3];
        kept.hasSrgb = true;
        kept.srgbIntent = value <= 3 ? static_cast<int>(value) : 0;
        kept.hasGamma = kept.hasChrm = true;
        kept.gamma = 45455;
        const int32_t d65AndPrimaries[8] = {31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
        std::copy(d65AndPrimaries, d65AndPrimaries + 8, kept.chrm);
    }
    if (kept.hasSrgb) *dropped += "; the sRGB chunk stands for it there";
    return kept;
}

bool EncodePngRgba(const aehost::Image &image, const PngTags *tags, std::vector<uint8_t> *file, std::string *error) {
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (int32_t y = 0; y < image.height; ++y) rows[static_cast<size_t>(y)] = const_cast<png_bytep>(image.Row(y));
    return Encode(image.width, image.height, PNG_COLOR_TYPE_RGB_ALPHA, true, tags, rows, file, error);
}

bool EncodePngGrey(int32_t width, int32_t height, const uint8_t *grey, std::vector<uint8_t> *file,
                   std::string *error) {
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(grey + static_cast<size_t>(y) * width);
    return Encode(width, height, PNG_COLOR_TYPE_GRAY, false, nullptr, rows, file, error);
}

}  // namespace orvcli
