// PNG stills through libpng. Every 8-bit colour type reads as straight ARGB (grey, palette and RGB
// get alpha 255 unless a tRNS chunk gives transparency); 16-bit files are rounded to 8 bits
// (v x 255 / 65535 to the nearest) and say so. Colour-space chunks (sRGB, gAMA, cHRM, iCCP) and
// the pixel density (pHYs) are carried to the output: the pixel values keep their encoding.
#ifndef ORVANE_CLI_PNG_IO_H
#define ORVANE_CLI_PNG_IO_H

#include <cstdint>
#include <string>
#include <vector>

#include "aehost.h"

namespace orvcli {

// The chunks carried from input to output, as read.
struct PngTags {
    bool hasSrgb = false;
    int srgbIntent = 0;
    bool hasGamma = false;
    uint32_t gamma = 0;  // fixed, x 100000
    bool hasChrm = false;
    int32_t chrm[8] = {};  // white x, y, red x, y, green x, y, blue x, y; fixed, x 100000
    std::string iccName;
    std::vector<uint8_t> iccProfile;
    bool hasPhys = false;
    uint32_t physX = 0, physY = 0;
    int physUnit = 0;
};

struct PngPicture {
    aehost::Image image;  // ARGB, rows unpadded
    PngTags tags;
    int bitDepth = 8;     // as stored in the file
};

// True when the file starts with the PNG signature.
bool LooksLikePng(const std::string &path);

// Reads a PNG. False with a message when it cannot be read or its size is beyond the effect's.
bool ReadPng(const std::string &path, PngPicture *picture, std::string *error);

// The tags as they can be written: a profile libpng's writer refuses is left out (with the sRGB chunk
// in its place when libpng recognised it as an sRGB profile). *dropped says what was left out and why,
// empty when everything is kept.
// Example: ICC profile "ICC Profile" (libpng refuses to write it: known incorrect sRGB profile).
PngTags WritableTags(const PngTags &tags, std::string *dropped);

// Encodes 8-bit RGBA (from ARGB) or 8-bit grey (from one byte per pixel) into memory.
bool EncodePngRgba(const aehost::Image &image, const PngTags *tags, std::vector<uint8_t> *file, std::string *error);
bool EncodePngGrey(int32_t width, int32_t height, const uint8_t *grey, std::vector<uint8_t> *file,
                   std::string *error);

}  // namespace orvcli

#endif
