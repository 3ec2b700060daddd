// Still pictures in every common format, one path per format: PNG through libpng (png_io.h), every
// other format through OpenImageIO. Pixels reach the effect as 8-bit straight ARGB: deeper samples
// are rounded to 8 bits, float samples clamped to 0..1 first, associated alpha (TIFF, OpenEXR)
// divided out, and a picture without alpha gets alpha 255. The metadata that keeps its meaning
// across formats (colour space, gamma, ICC profile, resolution) travels in PngTags.
#ifndef ORVANE_CLI_IMAGE_IO_H
#define ORVANE_CLI_IMAGE_IO_H

#include <string>

#include "png_io.h"

namespace orvcli {

struct Still {
    aehost::Image image;  // ARGB, straight alpha
    PngTags tags;
    std::string conversion;  // how the samples were brought to 8 bits, or "" when they were 8-bit already
};

// True when the name's extension is a still format orvane writes (.png .jpg .jpeg .tif .tiff .tga
// .bmp .webp .dpx); with `orRead`, also one it only reads (.exr).
bool IsStillName(const std::string &path, bool orRead);
// True when INPUT is read as a still: a PNG signature, or a still extension.
bool IsStillInput(const std::string &path);

bool ReadStill(const std::string &path, Still *still, std::string *error);

// Writes OUTPUT whole or not at all, in the format its extension names: 8-bit RGBA (RGB where the
// format keeps no alpha; TIFF tagged as straight alpha), or 8-bit grey from the green channel when
// `grey`. *dropped names tags the format could not keep, empty when none.
bool WriteStill(const std::string &path, const aehost::Image &image, const PngTags &tags, bool grey,
                std::string *dropped, std::string *error);

}  // namespace orvcli

#endif
