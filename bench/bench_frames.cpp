#include "bench_frames.h"

#include <png.h>

#include <random>
#include <vector>

namespace orvbench {

namespace {

struct Photo {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> argb;  // alpha, red, green, blue
};

bool ReadPng(const std::string &path, Photo &photo, std::string *error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        *error = path + ": " + image.message;
        return false;
    }
    image.format = PNG_FORMAT_ARGB;
    photo.width = static_cast<int32_t>(image.width);
    photo.height = static_cast<int32_t>(image.height);
    photo.argb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, photo.argb.data(), 0, nullptr)) {
        *error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

}  // namespace

aehost::Image PhotoFrame(int32_t width, int32_t height, std::string *error) {
    const char *names[] = {"astronaut.png", "coffee.png", "chelsea.png"};
    std::vector<Photo> photos(3);
    for (int i = 0; i < 3; ++i)
        if (!ReadPng(std::string(ORV_TEST_DATA_DIR) + "/" + names[i], photos[i], error)) return aehost::Image{};

    aehost::Image frame = aehost::Image::Make(width, height);
    int32_t x0 = 0;
    for (int tile = 0; x0 < width; ++tile) {
        const Photo &p = photos[tile % 3];
        const int32_t tileWidth = static_cast<int32_t>(static_cast<int64_t>(p.width) * height / p.height);
        for (int32_t y = 0; y < height; ++y) {
            const int32_t sy = static_cast<int32_t>(static_cast<int64_t>(y) * p.height / height);
            for (int32_t x = x0; x < width && x < x0 + tileWidth; ++x) {
                const int32_t sx = static_cast<int32_t>(static_cast<int64_t>(x - x0) * p.width / tileWidth);
                const uint8_t *s = &p.argb[(static_cast<size_t>(sy) * p.width + sx) * 4];
                uint8_t *d = frame.Pixel(x, y);
                d[0] = static_cast<uint8_t>(static_cast<int64_t>(x) * 255 / (width > 1 ? width - 1 : 1));
                d[1] = s[1], d[2] = s[2], d[3] = s[3];
            }
        }
        x0 += tileWidth;
    }
    return frame;
}

aehost::Image NoiseFrame(int32_t width, int32_t height, uint32_t seed) {
    aehost::Image frame = aehost::Image::Make(width, height);
    std::mt19937 rng(seed);
    for (size_t i = 0; i + 4 <= frame.pixels.size(); i += 4) {
        const uint32_t r = rng();
        for (int b = 0; b < 4; ++b) frame.pixels[i + b] = static_cast<uint8_t>(r >> (8 * b));
    }
    return frame;
}

}  // namespace orvbench
